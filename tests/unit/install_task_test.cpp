// The installation task through its worker thread: the messages of each
// outcome, what a failed step leaves behind, and a product file in use that is
// moved aside for deletion at restart.
#include <gtest/gtest.h>

#include <functional>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/install_task.h"
#include "support/install_env.h"

namespace {

const ustring kMainProgram = kInstallDir + u"Corvalin.exe";
const ustring kUninstallKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
const ustring kStartMenu = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Corvalin";

class InstallTaskTest : public InstallFixture {};

constexpr TStep Start() { return {2, 48, 1, 0}; }
constexpr TStep Step(int phase, int status) { return {2, phase, status, 0}; }
constexpr TStep End(std::intptr_t code, int status = 1) { return {2, 49, status, code}; }

struct TSequenceCase {
  const char* name;
  std::function<void(TSimPlatform&, TNewSetup&)> arrange;
  std::vector<TStep> steps;
};

// Each outcome posts exactly its messages, in order, and the end message last.
TEST_F(InstallTaskTest, MessageSequences) {
  const std::vector<TSequenceCase> cases{
      {"clean install", [](TSimPlatform&, TNewSetup&) {},
       {Start(), Step(39, 1), Step(40, 1), Step(41, 1), End(45)}},
      {"free space equal to the size",
       [](TSimPlatform& s, TNewSetup& ns) { s.freeSpace[u'C'] = static_cast<std::uint64_t>(ns.nsTotSiz); },
       {Start(), Step(38, 2), Step(34, 0), End(34)}},
      {"licence not accepted", [](TSimPlatform&, TNewSetup& ns) { ns.nsEulAgr = false; },
       {Start(), Step(38, 2), Step(31, 0), End(31)}},
      {"record of entry 5 missing",
       [](TSimPlatform& s, TNewSetup&) { s.resources.erase({cRtRcData, PayResourceId(5)}); },
       {Start(), Step(39, 2), End(39)}},
      {"uninstall entry refused",
       [](TSimPlatform& s, TNewSetup&) { s.DenyKeyAccess(cHkeyLocalMachine, kUninstallKey, cKeySetValue); },
       {Start(), Step(39, 1), Step(40, 2), End(40)}},
      {"Start-menu folder name taken by a file",
       [](TSimPlatform& s, TNewSetup&) { s.PutFile(kStartMenu, "not a folder"); },
       {Start(), Step(39, 1), Step(40, 1), Step(41, 2), End(41)}},
  };
  for (const TSequenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSimInstallOs fresh;
    IPlatform* outer = SetOs(&fresh);
    PutPayload(fresh);
    TNewSetup ns = NewInstallChoices();
    c.arrange(fresh, ns);
    RunTaskThread(fresh, ns, cTaskInstall);
    EXPECT_EQ(PostedSteps(fresh), c.steps);
    EXPECT_EQ(fresh.OpenCount(), 0u) << testing::PrintToString(fresh.DescribeOpen());
    SetOs(outer);
  }
}

// A clean installation writes the thirteen flagged files with the records'
// bytes and neither read-me; the large file goes out in 1 MiB writes.
TEST_F(InstallTaskTest, CleanInstallWritesFlaggedFiles) {
  ASSERT_EQ(InstallTask(kWindow, NewInstallChoices()), cStaInstallOk);
  int written = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const ustring path = kInstallDir + PayFiles[i].pfFilNam;
    if (PayFiles[i].pfInstal) {
      EXPECT_EQ(sim.FileBytes(path), PayloadBytes(static_cast<int>(i))) << ToUtf8(path);
      ++written;
    } else {
      EXPECT_FALSE(sim.HasFile(path)) << ToUtf8(path);
    }
  }
  EXPECT_EQ(written, 13);
  std::vector<std::uint64_t> mainWrites;
  for (const TSimCall& call : sim.CallLog())
    if (call.op == "WriteFile" && call.subject == kMainProgram) mainWrites.push_back(call.number);
  EXPECT_EQ(mainWrites, (std::vector<std::uint64_t>{1u << 20, 1u << 20, (1u << 19) + 7}));
  // The new folder was announced, and so were its new contents.
  bool mkdir = false, updated = false;
  for (const TSimNotification& n : sim.Notifications()) {
    mkdir = mkdir || (n.event == cShcneMkdir && n.path == kInstallDir);
    updated = updated || (n.event == cShcneUpdateDir && n.path == kInstallDir);
  }
  EXPECT_TRUE(mkdir);
  EXPECT_TRUE(updated);
}

// A damaged record stops the file step: the files before it stay, the folder
// stays, and neither registry entries nor shortcuts are made.
TEST_F(InstallTaskTest, DamagedRecordStopsBeforeRegistration) {
  auto& record = sim.resources[{cRtRcData, PayResourceId(7)}];
  record[record.size() / 2] ^= 0x5A;
  EXPECT_EQ(InstallTask(kWindow, NewInstallChoices()), cStaFiles);
  for (int i : {0, 3, 4, 5, 6}) EXPECT_TRUE(sim.HasFile(kInstallDir + PayFiles[i].pfFilNam)) << i;
  for (int i : {8, 9, 10}) EXPECT_FALSE(sim.HasFile(kInstallDir + PayFiles[i].pfFilNam)) << i;
  EXPECT_TRUE(sim.HasDir(kInstallDir));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\Corvalin.HashFileExt"));
  EXPECT_FALSE(sim.HasDir(kStartMenu));
  EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen());
}

// Failed checks on a folder that existed before leave it alone; on one they
// created, they remove it again.
TEST_F(InstallTaskTest, FailedChecksRemoveOnlyTheirOwnFolder) {
  TNewSetup ns = NewInstallChoices();
  sim.freeSpace[u'C'] = 10;
  EXPECT_EQ(InstallTask(kWindow, ns), cStaFreeSpace);
  EXPECT_FALSE(sim.HasDir(kInstallDir));
  sim.MakeDirs(kInstallDir);
  EXPECT_EQ(InstallTask(kWindow, ns), cStaFreeSpace);
  EXPECT_TRUE(sim.HasDir(kInstallDir));
}

// A product file that became unmovable since the Review page: 38 failed, then
// 35, and the existing folder stays.
TEST_F(InstallTaskTest, FileInUseAndUnmovable) {
  sim.PutFile(kMainProgram, "old");
  sim.HoldExclusive(kMainProgram);
  TNewSetup ns = NewInstallChoices();
  ns.nsCanOvr = true;
  EXPECT_EQ(InstallTask(kWindow, ns), cStaFilesInUse);
  EXPECT_EQ(PostedSteps(sim), (std::vector<TStep>{Step(38, 2), Step(35, 0)}));
  EXPECT_TRUE(sim.HasDir(kInstallDir));
  sim.ReleaseHolds(kMainProgram);
}

// An update over a running main program: the old file moves to its
// temporary name (12.345 s, entry 0 -> "31590000.tmp"), is listed for
// deletion at restart, and the new file takes the name.
TEST_F(InstallTaskTest, RunningProgramIsMovedAside) {
  sim.PutFile(kMainProgram, "old program");
  sim.HoldAsRunningImage(kMainProgram);
  TNewSetup ns = NewInstallChoices();
  ns.nsInsTyp = cInsTypUpdate;
  ns.nsCanOvr = true;
  ASSERT_EQ(InstallTask(kWindow, ns), cStaInstallOk);
  const ustring temp = kInstallDir + u"31590000.tmp";
  EXPECT_EQ(sim.FileBytes(temp), "old program");
  EXPECT_EQ(sim.FileBytes(kMainProgram), PayloadBytes(0));
  const std::vector<TSimRestartEntry> restart = sim.RestartList();
  ASSERT_EQ(restart.size(), 1u);
  EXPECT_EQ(restart[0].from, temp);
  EXPECT_EQ(restart[0].to, u"");
  sim.ReleaseHolds(temp);
}

// When the restart list refuses the temporary file, the old file gets its
// name back and the step fails instead of leaving the name empty.
TEST_F(InstallTaskTest, RefusedRestartDeletionPutsFileBack) {
  sim.PutFile(kMainProgram, "old program");
  sim.HoldAsRunningImage(kMainProgram);
  sim.isAdmin = false;  // the pending-operations list needs administrators
  TNewSetup ns = NewInstallChoices();
  ns.nsInsTyp = cInsTypUpdate;
  ns.nsCanOvr = true;
  EXPECT_EQ(InstallTask(kWindow, ns), cStaFiles);
  EXPECT_EQ(sim.FileBytes(kMainProgram), "old program");
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"31590000.tmp"));
  EXPECT_TRUE(sim.RestartList().empty());
  sim.ReleaseHolds(kMainProgram);
}

// Window 0 posts nothing, the task still runs.
TEST_F(InstallTaskTest, NoWindowNoMessages) {
  EXPECT_EQ(InstallTask(0, NewInstallChoices()), cStaInstallOk);
  EXPECT_TRUE(sim.PostedMessages().empty());
}

}  // namespace
