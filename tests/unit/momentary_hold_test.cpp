// Product files that another process holds for a moment (a scanner, the
// indexer, the shell reading an icon): the checks and the file step wait for
// the reader instead of reporting the file in use or moving it aside; a hold
// that lasts still gives the outcomes of a file in use; access denied is never
// waited for; and the waiting per file is bounded. The emulated Sleep returns
// at once and adds up the pauses, so nothing here really waits.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/file_checks.h"
#include "engine/hold_patience.h"
#include "engine/install_files.h"
#include "engine/install_task.h"
#include "engine/prepare_task.h"
#include "support/install_env.h"
#include "support/sim_fixture.h"

namespace {

constexpr int kManualIndex = 13;
const ustring kManual = kInstallDir + u"Corvalin_de.pdf";
const ustring kMainProgram = kInstallDir + u"Corvalin.exe";
const std::string kOld = "old";

class MomentaryHoldTest : public InstallFixture {
 protected:
  ~MomentaryHoldTest() override { ExpectNothingOpen(sim); }

  // An earlier installation: every product file with old contents.
  void PutOldFiles() {
    for (const TPayFile& file : PayFiles) {
      if (file.pfInstal) sim.PutFile(kInstallDir + file.pfFilNam, kOld);
    }
  }
  // A reader that shares only reading: it keeps writers and moves out.
  void HoldLikeAReader(const ustring& path, std::uint32_t refusals) {
    sim.HoldBriefly(path, cGenericRead, cFileShareRead, refusals);
  }
  std::uint64_t Calls(const std::string& op) { return sim.CallCounts()[op]; }
  // Compared whole: a failure message with megabytes of bytes would only get in the way.
  bool Holds(const ustring& path, const std::string& bytes) { return sim.FileBytes(path) == bytes; }
  bool AnyTempFile() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(sim.HostPath(kInstallDir), ec)) {
      if (entry.path().extension() == ".tmp") return true;
    }
    return false;
  }
  static TNewSetup UpdateChoices(bool canOverwrite) {
    TNewSetup ns = NewInstallChoices();
    ns.nsInsTyp = cInsTypUpdate;
    ns.nsCanOvr = canOverwrite;
    return ns;
  }
};

// --- a reader that lets go after one or several refusals ---

class ReleasedHold : public MomentaryHoldTest, public testing::WithParamInterface<std::uint32_t> {};

// The checks wait for the reader: the file counts as present and replaceable
// (36 without permission to replace), and it is never renamed to find out.
TEST_P(ReleasedHold, PreparationTakesTheFileAsReplaceable) {
  PutOldFiles();
  HoldLikeAReader(kManual, GetParam());
  EXPECT_EQ(PrepareTask(UpdateChoices(false)), cStaFilesToReplace);
  EXPECT_EQ(Calls("MoveFileExW"), 0u);
  EXPECT_EQ(sim.FileBytes(kManual), kOld);
  EXPECT_GT(sim.SleptMilliseconds(), 0u);
  EXPECT_LE(sim.SleptMilliseconds(), cHoldPatienceMs);
}

// The file step waits for the reader and writes the file in place: nothing
// moved aside, no temporary file, nothing listed for deletion at restart.
TEST_P(ReleasedHold, FileStepWritesInPlace) {
  PutOldFiles();
  HoldLikeAReader(kManual, GetParam());
  EXPECT_TRUE(InstallFiles(kInstallDir));
  EXPECT_TRUE(Holds(kManual, PayloadBytes(kManualIndex)));
  EXPECT_EQ(Calls("MoveFileExW"), 0u);
  EXPECT_FALSE(AnyTempFile());
  EXPECT_TRUE(sim.RestartList().empty());
  EXPECT_LE(sim.SleptMilliseconds(), cHoldPatienceMs);
}

// A whole update with a reader on two files, one of them the main program:
// 45, every file new, nothing moved aside.
TEST_P(ReleasedHold, UpdateSucceedsWithoutMovingAside) {
  PutOldFiles();
  HoldLikeAReader(kManual, GetParam());
  HoldLikeAReader(kMainProgram, GetParam());
  EXPECT_EQ(InstallTask(kWindow, UpdateChoices(true)), cStaInstallOk);
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    if (!PayFiles[i].pfInstal) continue;
    EXPECT_TRUE(Holds(kInstallDir + PayFiles[i].pfFilNam, PayloadBytes(static_cast<int>(i))))
        << ToUtf8(PayFiles[i].pfFilNam);
  }
  EXPECT_EQ(Calls("MoveFileExW"), 0u) << "never renamed, not even to find out";
  EXPECT_FALSE(AnyTempFile());
  EXPECT_TRUE(sim.RestartList().empty());
}

INSTANTIATE_TEST_SUITE_P(Refusals, ReleasedHold, testing::Values(1u, 5u));

// A move aside that a reader of the old file turns away for a moment is
// tried again, and the old file ends up listed for deletion at restart.
TEST_F(MomentaryHoldTest, MoveAsideWaitsForAReader) {
  sim.PutFile(kMainProgram, kOld);
  HoldLikeAReader(kMainProgram, 2);
  EXPECT_TRUE(MoveAsideForReboot(kMainProgram, 0));
  const ustring temp = kInstallDir + u"31590000.tmp";
  EXPECT_EQ(sim.FileBytes(temp), kOld);
  ASSERT_EQ(sim.RestartList().size(), 1u);
  EXPECT_EQ(sim.RestartList()[0].from, temp);
}

// A lock violation is a hold too: a create or a chunk written that a lock
// turns away once is tried again, and the file is written whole, in place.
TEST_F(MomentaryHoldTest, LockViolationIsWaitedFor) {
  struct {
    const char* op;
    std::uint64_t nth;
    const char16_t* file;
    int index;
  } const cases[] = {{"CreateFileW", 1, u"Corvalin_de.pdf", kManualIndex}, {"WriteFile", 2, u"Corvalin.exe", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.op);
    TSimInstallOs fresh;
    SetOs(&fresh);
    PutPayload(fresh);
    fresh.MakeDirs(kInstallDir);
    fresh.FailCall(c.op, c.nth, cErrLockViolation, c.file);
    EXPECT_TRUE(InstallFiles(kInstallDir));
    EXPECT_TRUE(fresh.FileBytes(kInstallDir + c.file) == PayloadBytes(c.index));
    EXPECT_EQ(fresh.CallCounts()["MoveFileExW"], 0u);
    EXPECT_EQ(fresh.CallCounts()["Sleep"], 1u);
    ExpectNothingOpen(fresh);
    SetOs(&sim);
  }
}

// --- holds that last: the outcomes of a file in use, after bounded waiting ---

// A reader that never lets go: the checks give 35 and the file step fails
// (39) without moving the file, each after waiting its patience and no more.
TEST_F(MomentaryHoldTest, LastingReaderGivesFilesInUse) {
  PutOldFiles();
  sim.HoldFile(kManual, cGenericRead, cFileShareRead);
  EXPECT_EQ(PrepareTask(UpdateChoices(true)), cStaFilesInUse);
  EXPECT_EQ(sim.SleptMilliseconds(), cHoldPatienceMs);
  EXPECT_EQ(sim.FileBytes(kManual), kOld);

  EXPECT_FALSE(InstallFiles(kInstallDir));
  EXPECT_EQ(sim.SleptMilliseconds(), 2 * cHoldPatienceMs);
  EXPECT_EQ(sim.FileBytes(kManual), kOld);
  EXPECT_TRUE(Holds(kMainProgram, PayloadBytes(0))) << "files before it are written";
  EXPECT_FALSE(AnyTempFile());
  EXPECT_TRUE(sim.RestartList().empty());
  sim.ReleaseHolds(kManual);
}

// A running program (held, but movable) is still moved aside and listed for
// deletion at restart once the file's patience is spent.
TEST_F(MomentaryHoldTest, RunningProgramStillMovedAside) {
  sim.PutFile(kMainProgram, kOld);
  sim.HoldAsRunningImage(kMainProgram);
  const THandle file = OpenTarget(kMainProgram, 0);
  EXPECT_NE(file, 0u);
  if (file != 0) sim.CloseHandle(file);
  EXPECT_EQ(sim.SleptMilliseconds(), cHoldPatienceMs);
  EXPECT_EQ(sim.FileBytes(kInstallDir + u"31590000.tmp"), kOld);
  EXPECT_EQ(sim.RestartList().size(), 1u);
  sim.ReleaseHolds(kInstallDir + u"31590000.tmp");
}

// Access denied (a read-only file, or a create refused outright) is never
// waited for: the checks give 35, and the file step moves the file aside at once.
TEST_F(MomentaryHoldTest, AccessDeniedIsNotWaitedFor) {
  PutOldFiles();
  sim.SetReadOnly(kManual, true);
  EXPECT_EQ(PrepareTask(UpdateChoices(true)), cStaFilesInUse);
  EXPECT_EQ(Calls("Sleep"), 0u);
  sim.SetReadOnly(kManual, false);

  sim.FailCall("CreateFileW", 1, cErrAccessDenied, u"Corvalin_de.pdf");
  const THandle file = OpenTarget(kManual, kManualIndex);
  EXPECT_NE(file, 0u);
  if (file != 0) sim.CloseHandle(file);
  EXPECT_EQ(Calls("Sleep"), 0u);
  EXPECT_EQ(sim.RestartList().size(), 1u);
}

// The pauses grow and stop at the patience: a hold that never lets go is
// tried a handful of times, not hundreds, and other errors not at all.
TEST_F(MomentaryHoldTest, PausesGrowUpToThePatience) {
  THoldPatience patience;
  int pauses = 0;
  while (patience.PauseAfter(cErrSharingViolation)) ++pauses;
  EXPECT_EQ(patience.SpentMs(), cHoldPatienceMs);
  EXPECT_EQ(sim.SleptMilliseconds(), cHoldPatienceMs);
  EXPECT_GE(pauses, 5);
  EXPECT_LE(pauses, 12);
  std::vector<std::uint64_t> sleeps;
  for (const TSimCall& call : sim.CallLog()) {
    if (call.op == "Sleep") sleeps.push_back(call.number);
  }
  ASSERT_GE(sleeps.size(), 2u);
  EXPECT_EQ(sleeps[0], cFirstHoldPauseMs);
  EXPECT_GT(sleeps[1], sleeps[0]);
  THoldPatience other;
  EXPECT_FALSE(other.PauseAfter(cErrAccessDenied));
  EXPECT_FALSE(other.PauseAfter(cErrSuccess));
  EXPECT_TRUE(other.PauseAfter(cErrLockViolation));
}

}  // namespace
