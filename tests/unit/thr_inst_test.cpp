// The worker thread: one start and exactly one end message around whatever
// the task posts, its own copy of the choices, status 3 and result 255 when
// the task raises, unknown task ids, and a thread that can't be started.
#include <gtest/gtest.h>

#include "engine/thr_inst.h"
#include "support/install_env.h"

namespace {

class WorkerTest : public InstallFixture {
 public:
  WorkerTest() : InstallFixture(true) {}
};

// Task 1: start 0x013001 with lparam 0, end with status 1 and the checks' code.
TEST_F(WorkerTest, PreparationMessages) {
  RunTaskThread(sim, NewInstallChoices(true), cTaskPrepare);
  EXPECT_EQ(PostedSteps(sim), (std::vector<TStep>{{1, 48, 1, 0}, {1, 49, 1, 37}}));
  const auto messages = sim.PostedMessages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].wparam, 0x013001u);
  EXPECT_EQ(messages[1].wparam, 0x013101u);
  EXPECT_FALSE(sim.HasDir(kInstallDir));
}

// An unknown task id runs nothing and still ends with status 1 and 255.
TEST_F(WorkerTest, UnknownTaskRunsNothing) {
  RunTaskThread(sim, NewInstallChoices(true), 7);
  EXPECT_EQ(PostedSteps(sim), (std::vector<TStep>{{7, 48, 1, 0}, {7, 49, 1, 255}}));
  EXPECT_EQ(sim.CallCounts()["CreateDirectoryW"], 0u);
}

// A task that raises (here: no shell link object) ends with status 3 and
// 255, after the messages of the steps that completed; nothing stays open.
TEST_F(WorkerTest, RaisingTaskEndsWithStatus3) {
  sim.FailCall("ShellLinkCreate", 1, static_cast<std::uint32_t>(cREGDB_E_CLASSNOTREG));
  RunTaskThread(sim, NewInstallChoices(true), cTaskInstall);
  EXPECT_EQ(PostedSteps(sim),
            (std::vector<TStep>{{2, 48, 1, 0}, {2, 39, 1, 0}, {2, 40, 1, 0}, {2, 49, 3, 255}}));
  EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen());
}

// The worker runs on its own copy: changing the caller's record after the
// start changes nothing.
TEST_F(WorkerTest, WorkerOwnsItsCopy) {
  sim.HoldThreads();
  TNewSetup ns = NewInstallChoices(true);
  TThrInst::Create(kWindow, ns, cTaskPrepare);
  ns.nsInsLoc = u"C:\\NoSuch\\Corvalin\\";
  ns.nsEulAgr = false;
  sim.ReleaseThreads();
  sim.WaitThreads();
  EXPECT_EQ(PostedSteps(sim).back(), (TStep{1, 49, 1, 37}));
}

// A thread that can't be started raises to the caller and posts nothing.
TEST_F(WorkerTest, ThreadStartFailureRaises) {
  sim.FailCall("StartThread", 1, cErrNotEnoughMemory);
  try {
    new TThrInst(kWindow, NewInstallChoices(true), cTaskInstall);
    ADD_FAILURE() << "no exception";
  } catch (const EThreadStart& e) {
    EXPECT_EQ(e.code(), cErrNotEnoughMemory);
  }
  sim.WaitThreads();
  EXPECT_TRUE(sim.PostedMessages().empty());
  EXPECT_EQ(sim.CallCounts()["CreateDirectoryW"], 0u);
}

}  // namespace
