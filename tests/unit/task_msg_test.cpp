// The WM_SETUP_TASK layout and its posting helper.
#include <gtest/gtest.h>

#include "common/task_msg.h"
#include "support/sim_fixture.h"

namespace {

// The packing puts task, phase and status into bytes 2, 1 and 0.
TEST(TaskMsg, Packing) {
  EXPECT_EQ(WM_SETUP_TASK, 0x8641u);
  EXPECT_EQ(PackTaskMsg(1, 48, 1), 0x013001u);
  EXPECT_EQ(PackTaskMsg(2, 49, 1), 0x023101u);
  EXPECT_EQ(PackTaskMsg(2, 42, 0), 0x022A00u);
  EXPECT_EQ(PackTaskMsg(2, 43, 0), 0x022B00u);
  EXPECT_EQ(PackTaskMsg(0xFF, 0xFF, 0xFF), 0xFFFFFFu);  // the top byte stays 0
}

// PostInstallStep posts for task 2, and nothing for window 0.
TEST_F(SimFixture, PostInstallStep) {
  PostInstallStep(0, 39, 1);
  EXPECT_TRUE(sim.PostedMessages().empty());
  PostInstallStep(77, 44, 4, static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80070005u)));
  const auto msgs = sim.PostedMessages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].window, 77u);
  EXPECT_EQ(msgs[0].msg, WM_SETUP_TASK);
  EXPECT_EQ(msgs[0].wparam, 0x022C04u);
  EXPECT_EQ(msgs[0].lparam, static_cast<std::intptr_t>(-2147024891));  // sign-extended HRESULT
}

}  // namespace
