#include "platform/MessagePump.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace sonavue::platform {
namespace {

TEST(MessagePumpTest, DispatchOneHandlesOneMessageAfterWindowEvents) {
  int windowEventRuns = 0;
  std::vector<int> handled;
  MessagePump pump([&] { ++windowEventRuns; }, {});
  pump.SetHandler([&](const Message& m) { handled.push_back(m.id); });

  pump.Post({MessageKind::Command, 1, 0});
  pump.Post({MessageKind::Command, 2, 0});
  EXPECT_TRUE(pump.DispatchOne());
  EXPECT_EQ(handled, std::vector<int>{1});
  EXPECT_EQ(windowEventRuns, 1);
  EXPECT_EQ(pump.Pending(), 1U);
  EXPECT_TRUE(pump.DispatchOne());
  EXPECT_FALSE(pump.DispatchOne());
  EXPECT_EQ(handled, (std::vector<int>{1, 2}));
  EXPECT_EQ(windowEventRuns, 3);
}

TEST(MessagePumpTest, NotificationsFromADeviceThreadArriveInOrderWhileALoopRuns) {
  constexpr int kCount = 2000;
  std::vector<std::int64_t> received;
  MessagePump pump({}, {});
  pump.SetHandler([&](const Message& m) {
    EXPECT_EQ(m.kind, MessageKind::WaveInData);
    received.push_back(m.param);
  });

  std::thread device([&] {
    for (int i = 0; i < kCount; ++i) pump.Post({MessageKind::WaveInData, 0, i});
  });
  // An engine-like loop: one waiting message per pass until all arrived.
  int passes = 0;
  while (received.size() < static_cast<std::size_t>(kCount) && passes < 100'000'000) {
    pump.DispatchOne();
    ++passes;
  }
  device.join();
  pump.DispatchAll();

  ASSERT_EQ(received.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(received[static_cast<std::size_t>(i)], i);
}

TEST(MessagePumpTest, HandlerMayRunANestedLoopThatSeesLaterMessagesInOrder) {
  MessagePump pump({}, {});
  std::vector<int> order;
  pump.SetHandler([&](const Message& m) {
    order.push_back(m.id);
    if (m.id == 1) {
      // A command that runs its own loop, as an engine does.
      pump.Post({MessageKind::Command, 3, 0});
      while (pump.DispatchOne()) {
      }
      order.push_back(-1);  // the loop ended
    }
  });
  pump.Post({MessageKind::Command, 1, 0});
  pump.Post({MessageKind::Command, 2, 0});
  pump.DispatchAll();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, -1}));
}

TEST(MessagePumpTest, PostWakesTheGuiThread) {
  int wakes = 0;
  MessagePump pump({}, [&] { ++wakes; });
  pump.Post({MessageKind::WaveOutDone, 0, 0});
  pump.Post({MessageKind::WaveInClose, 0, 0});
  EXPECT_EQ(wakes, 2);
}

TEST(MessagePumpTest, SourcesArePolledBeforeEachDispatchAndSignalOnlyCallsItsHook) {
  int signals = 0;
  int polls = 0;
  bool due = false;
  std::vector<std::int64_t> handled;
  MessagePump pump({}, {}, [&] { ++signals; });
  pump.SetHandler([&](const Message& m) { handled.push_back(m.param); });
  int owner = 0;
  pump.AddSource(&owner, [&] {
    ++polls;
    if (due) {
      due = false;
      pump.Post({MessageKind::WaveInData, 0, 7});
    }
  });
  EXPECT_FALSE(pump.DispatchOne());
  EXPECT_EQ(polls, 1);

  due = true;
  pump.Signal();
  EXPECT_EQ(signals, 1);
  EXPECT_EQ(polls, 1);  // the poll waits for the GUI thread's next dispatch
  EXPECT_TRUE(pump.DispatchOne());
  EXPECT_EQ(handled, std::vector<std::int64_t>{7});
  due = true;
  pump.DispatchAll();
  EXPECT_EQ(handled, (std::vector<std::int64_t>{7, 7}));

  pump.RemoveSource(&owner);
  due = true;
  pump.DispatchAll();
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(handled.size(), 2U);
  // Without a hook, a signal does nothing.
  MessagePump quiet({}, {});
  quiet.Signal();
}

}  // namespace
}  // namespace sonavue::platform
