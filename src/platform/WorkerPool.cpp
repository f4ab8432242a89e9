#include "platform/WorkerPool.h"

#include <algorithm>
#include <system_error>

namespace sonavue::platform {
namespace {

constexpr int kMostThreads = 4;

}  // namespace

int WorkerPool::DefaultThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(cores), 1, kMostThreads);
}

WorkerPool::WorkerPool(int threads) {
  const int workers = std::clamp(threads, 1, kMostThreads) - 1;
  for (int slot = 1; slot <= workers; ++slot) {
    try {
      workers_.emplace_back([this, slot] { WorkerLoop(slot); });
    } catch (const std::system_error&) {
      break;  // the threads started so far share the work
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::Run(int count, Thunk thunk, void* task) {
  if (count <= 0) return;
  if (workers_.empty() || count == 1) {
    for (int item = 0; item < count; ++item) thunk(task, item, 0);
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    thunk_ = thunk;
    task_ = task;
    count_ = count;
    next_.store(0, std::memory_order_relaxed);
    busyWorkers_ = static_cast<int>(workers_.size());
    ++generation_;
  }
  wake_.notify_all();
  Work(0);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return busyWorkers_ == 0; });
  thunk_ = nullptr;
  task_ = nullptr;
}

void WorkerPool::Work(int slot) {
  for (int item = next_.fetch_add(1, std::memory_order_relaxed); item < count_;
       item = next_.fetch_add(1, std::memory_order_relaxed)) {
    thunk_(task_, item, slot);
  }
}

void WorkerPool::WorkerLoop(int slot) {
  std::uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
    }
    Work(slot);
    bool last = false;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      last = --busyWorkers_ == 0;
    }
    if (last) done_.notify_one();
  }
}

}  // namespace sonavue::platform
