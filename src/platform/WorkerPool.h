#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace sonavue::platform {

// A small fixed set of threads that share the items of one job with the
// thread that hands it in. Threads start with the pool and end with it;
// a job only wakes them, so running one costs no allocation. The tasks
// never touch App: they work on memory the caller lends them for the job.
class WorkerPool {
 public:
  // Threads a pool uses by default: the processor's cores, at most four.
  static int DefaultThreads();

  // Starts threads − 1 workers (the calling thread is the other one); fewer
  // when the system refuses more. threads ≤ 1 gives a pool without workers.
  explicit WorkerPool(int threads = DefaultThreads());
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Threads that take part in a job (workers and the caller), ≥ 1.
  int Threads() const { return static_cast<int>(workers_.size()) + 1; }

  // Calls task(item, slot) once for every item 0 … count − 1 and returns when
  // all have returned. Items go to whichever thread is free next, so a
  // thread the system holds up delays the job by one item at most. slot
  // (0 … Threads() − 1) is the calling thread's number within the job (0 for
  // the caller): tasks use it to pick their own work memory. task must not
  // throw, and must not run another job on this pool.
  template <typename Task>
  void Run(int count, Task& task) {
    Run(count, &Call<Task>, &task);
  }

 private:
  using Thunk = void (*)(void* task, int item, int slot);
  template <typename Task>
  static void Call(void* task, int item, int slot) {
    (*static_cast<Task*>(task))(item, slot);
  }
  void Run(int count, Thunk thunk, void* task);
  void Work(int slot);
  void WorkerLoop(int slot);

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::uint64_t generation_ = 0;  // counts jobs; a change wakes the workers
  bool stopping_ = false;
  int busyWorkers_ = 0;
  Thunk thunk_ = nullptr;
  void* task_ = nullptr;
  int count_ = 0;
  std::atomic<int> next_{0};
};

}  // namespace sonavue::platform
