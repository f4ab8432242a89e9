#include "platform/MessagePump.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace sonavue::platform {
namespace {

TEST(MessagePumpTest, PlaceholderBuild) { EXPECT_EQ(MessagePump({}, {}).Pending(), 0U); }

}  // namespace
}  // namespace sonavue::platform
