#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/WorkerPool.h"

namespace sonavue::platform {
namespace {

TEST(WorkerPoolTest, EveryItemRunsOnceAndASlotIsNeverInTwoItemsAtOnce) {
  WorkerPool pool(4);
  ASSERT_GE(pool.Threads(), 1);
  ASSERT_LE(pool.Threads(), 4);
  std::vector<std::atomic<int>> runs(1000);
  std::vector<std::atomic<int>> busy(static_cast<std::size_t>(pool.Threads()));
  std::atomic<bool> overlap{false};
  std::atomic<bool> badSlot{false};
  auto task = [&](int item, int slot) {
    if (slot < 0 || slot >= pool.Threads()) {
      badSlot = true;
      return;
    }
    if (busy[static_cast<std::size_t>(slot)].fetch_add(1) != 0) overlap = true;
    runs[static_cast<std::size_t>(item)].fetch_add(1);
    if (item % 97 == 0) std::this_thread::yield();
    busy[static_cast<std::size_t>(slot)].fetch_sub(1);
  };
  for (int job = 0; job < 50; ++job) pool.Run(static_cast<int>(runs.size()), task);
  for (const auto& r : runs) ASSERT_EQ(r.load(), 50);
  EXPECT_FALSE(overlap);
  EXPECT_FALSE(badSlot);
}

TEST(WorkerPoolTest, WhatTheItemsWroteIsThereWhenRunReturns) {
  WorkerPool pool(2);
  std::vector<int> values(4096, 0);  // plain memory, no atomics: Run orders it
  for (int job = 1; job <= 20; ++job) {
    auto task = [&](int item, int) { values[static_cast<std::size_t>(item)] += job; };
    pool.Run(static_cast<int>(values.size()), task);
    for (int v : values) ASSERT_EQ(v, job * (job + 1) / 2);
  }
}

TEST(WorkerPoolTest, OneThreadOrOneItemRunsOnTheCaller) {
  WorkerPool single(1);
  EXPECT_EQ(single.Threads(), 1);
  const auto caller = std::this_thread::get_id();
  bool elsewhere = false;
  int calls = 0;
  auto task = [&](int, int slot) {
    elsewhere = elsewhere || std::this_thread::get_id() != caller || slot != 0;
    ++calls;
  };
  single.Run(10, task);
  WorkerPool pool(2);
  pool.Run(1, task);
  pool.Run(0, task);
  pool.Run(-3, task);
  EXPECT_EQ(calls, 11);
  EXPECT_FALSE(elsewhere);
}

TEST(WorkerPoolTest, APoolEndsWhileItsWorkersWait) {
  for (int i = 0; i < 20; ++i) {
    WorkerPool pool(3);
    if (i % 2 == 0) {
      std::atomic<int> sum{0};
      auto task = [&](int item, int) { sum += item; };
      pool.Run(100, task);
      EXPECT_EQ(sum.load(), 4950);
    }
  }
}

}  // namespace
}  // namespace sonavue::platform
