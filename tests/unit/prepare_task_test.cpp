// The setup checks and the preparation task: each code with the condition
// that gives it, the order in which the checks decide, the folder they create
// and remove, and the file tests for product files present or in use.
#include <gtest/gtest.h>

#include <functional>

#include "catalogue/payload_files.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "engine/file_checks.h"
#include "engine/prepare_task.h"
#include "support/install_env.h"
#include "support/sim_fixture.h"

namespace {

const ustring kMainProgram = kInstallDir + u"Corvalin.exe";

class PrepareTest : public SimFixture {
 protected:
  PrepareTest() : ns(NewInstallChoices(true)) {}
  void TearDown() override { EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen()); }
  int CallsOf(const std::string& op, std::uint64_t number) {
    int n = 0;
    for (const TSimCall& call : sim.CallLog()) n += call.op == op && call.number == number;
    return n;
  }
  TNewSetup ns;
};

// Licence not accepted: 31, and no folder is created, even when it is missing.
TEST_F(PrepareTest, LicenceNotAccepted) {
  ns.nsEulAgr = false;
  bool created = true;
  EXPECT_EQ(RunSetupChecks(ns, created), cStaEulaNotAccepted);
  EXPECT_FALSE(created);
  EXPECT_FALSE(sim.HasDir(kInstallDir));
  EXPECT_EQ(sim.CallCounts()["CreateDirectoryW"], 0u);
}

// A new installation into a new folder creates it for the checks, and the
// preparation removes it again.
TEST_F(PrepareTest, NewFolderIsCreatedAndRemoved) {
  bool created = false;
  EXPECT_EQ(RunSetupChecks(ns, created), cStaSettingsOk);
  EXPECT_TRUE(created);
  EXPECT_TRUE(sim.HasDir(kInstallDir));
  ASSERT_EQ(Os().RemoveDirectoryW(kInstallDir), 0u);
  EXPECT_EQ(PrepareTask(ns), cStaSettingsOk);
  EXPECT_EQ(sim.CallCounts()["CreateDirectoryW"], 2u);
  EXPECT_FALSE(sim.HasDir(kInstallDir));
}

// A folder that exists already is not created, the checks go on, and it stays.
TEST_F(PrepareTest, ExistingFolderStays) {
  sim.MakeDirs(kInstallDir);
  bool created = true;
  EXPECT_EQ(RunSetupChecks(ns, created), cStaSettingsOk);
  EXPECT_FALSE(created);
  EXPECT_EQ(PrepareTask(ns), cStaSettingsOk);
  EXPECT_TRUE(sim.HasDir(kInstallDir));
}

struct TCheckCase {
  const char* name;
  std::function<void(TSimPlatform&, TNewSetup&)> arrange;
  std::uint8_t code;
};

// Each condition gives its code.
TEST_F(PrepareTest, Codes) {
  const std::vector<TCheckCase> cases{
      {"update into a missing folder", [](TSimPlatform&, TNewSetup& n) { n.nsInsTyp = cInsTypUpdate; }, 32},
      {"parent folder missing", [](TSimPlatform&, TNewSetup& n) { n.nsInsLoc = u"C:\\NoSuch\\Corvalin\\"; }, 33},
      {"free space equal to the size",
       [](TSimPlatform& s, TNewSetup& n) { s.freeSpace[u'C'] = static_cast<std::uint64_t>(n.nsTotSiz); }, 34},
      {"free space one byte more",
       [](TSimPlatform& s, TNewSetup& n) { s.freeSpace[u'C'] = static_cast<std::uint64_t>(n.nsTotSiz) + 1; }, 37},
      {"free space query fails", [](TSimPlatform& s, TNewSetup&) { s.FailCall("GetDiskFreeSpaceExW", 1, 5); }, 34},
      {"read-only product file",
       [](TSimPlatform& s, TNewSetup& n) {
         s.PutFile(kInstallDir + u"cvlnshxt.dll", "old");
         s.SetReadOnly(kInstallDir + u"cvlnshxt.dll", true);
         n.nsCanOvr = true;
       },
       35},
      {"product file present, replacing not allowed",
       [](TSimPlatform& s, TNewSetup&) { s.PutFile(kInstallDir + u"Uninstall.exe", "old"); }, 36},
      {"product file present, replacing allowed",
       [](TSimPlatform& s, TNewSetup& n) {
         s.PutFile(kInstallDir + u"Uninstall.exe", "old");
         n.nsCanOvr = true;
       },
       37},
      {"only read-me files present",
       [](TSimPlatform& s, TNewSetup&) {
         s.PutFile(kInstallDir + u"ReadMe_en.txt", "x");
         s.SetReadOnly(kInstallDir + u"ReadMe_en.txt", true);
       },
       37},
      {"base key refused",
       [](TSimPlatform& s, TNewSetup&) {
         s.DenyKeyAccess(cHkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                         cKeyCreateSubKey);
       },
       30},
      {"Start-menu folder unknown",
       [](TSimPlatform& s, TNewSetup&) { s.specialFolderErrors[cCsidlCommonPrograms] = cE_FAIL; }, 28},
      {"desktop unknown and wanted",
       [](TSimPlatform& s, TNewSetup& n) {
         s.specialFolderErrors[cCsidlCommonDesktopDirectory] = cE_FAIL;
         n.nsCutDsk = true;
       },
       29},
      {"desktop unknown, not wanted",
       [](TSimPlatform& s, TNewSetup&) { s.specialFolderErrors[cCsidlCommonDesktopDirectory] = cE_FAIL; }, 37},
  };
  for (const TCheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSimPlatform fresh;
    SetOs(&fresh);
    TNewSetup choices = ns;
    c.arrange(fresh, choices);
    EXPECT_EQ(PrepareTask(choices), c.code);
    EXPECT_EQ(fresh.OpenCount(), 0u) << testing::PrintToString(fresh.DescribeOpen());
    SetOs(&sim);
  }
}

// The checks decide in their order: with every later condition failing too,
// the earliest one gives the code.
TEST_F(PrepareTest, EarliestFailingCheckDecides) {
  using TArrange = std::function<void(TSimPlatform&, TNewSetup&)>;
  const std::vector<std::pair<std::uint8_t, TArrange>> conditions{
      {31, [](TSimPlatform&, TNewSetup& n) { n.nsEulAgr = false; }},
      {33, [](TSimPlatform&, TNewSetup& n) { n.nsInsLoc = u"C:\\NoSuch\\Corvalin\\"; }},
      {34, [](TSimPlatform& s, TNewSetup&) { s.freeSpace[u'C'] = 0; }},
      {35,
       [](TSimPlatform& s, TNewSetup&) {
         s.PutFile(kMainProgram, "old");
         s.SetReadOnly(kMainProgram, true);
       }},
      {30,
       [](TSimPlatform& s, TNewSetup&) {
         s.DenyKeyAccess(cHkeyLocalMachine, u"SOFTWARE\\Classes\\CLSID", cKeyCreateSubKey);
       }},
      {28, [](TSimPlatform& s, TNewSetup&) { s.specialFolderErrors[cCsidlCommonPrograms] = cE_FAIL; }},
      {29,
       [](TSimPlatform& s, TNewSetup& n) {
         s.specialFolderErrors[cCsidlCommonDesktopDirectory] = cE_FAIL;
         n.nsCutDsk = true;
       }},
  };
  for (std::size_t first = 0; first < conditions.size(); ++first) {
    TSimPlatform fresh;
    SetOs(&fresh);
    TNewSetup choices = ns;
    for (std::size_t i = first; i < conditions.size(); ++i) conditions[i].second(fresh, choices);
    bool created = false;
    EXPECT_EQ(RunSetupChecks(choices, created), conditions[first].first) << "from condition " << first;
    SetOs(&sim);
  }
}

// A running main program (held open, but movable) gives 36 without
// permission to replace and passes with it; never 35. It keeps its name and
// nothing is listed for deletion.
TEST_F(PrepareTest, RunningMainProgram) {
  sim.MakeDirs(kInstallDir);
  sim.PutFile(kMainProgram, "running");
  sim.HoldAsRunningImage(kMainProgram);
  EXPECT_EQ(PrepareTask(ns), cStaFilesToReplace);
  ns.nsCanOvr = true;
  EXPECT_EQ(PrepareTask(ns), cStaSettingsOk);
  EXPECT_EQ(sim.FileBytes(kMainProgram), "running");
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"31590000.tmp"));
  EXPECT_TRUE(sim.RestartList().empty());
  sim.ReleaseHolds(kMainProgram);
}

// Without a desktop shortcut the desktop folder is never looked up.
TEST_F(PrepareTest, DesktopNotLookedUpUnlessWanted) {
  EXPECT_EQ(PrepareTask(ns), cStaSettingsOk);
  EXPECT_EQ(CallsOf("SHGetFolderPathW", cCsidlCommonDesktopDirectory), 0);
  EXPECT_EQ(CallsOf("SHGetFolderPathW", cCsidlCommonPrograms), 1);
  ns.nsCutDsk = true;
  EXPECT_EQ(PrepareTask(ns), cStaSettingsOk);
  EXPECT_EQ(CallsOf("SHGetFolderPathW", cCsidlCommonDesktopDirectory), 1);
}

// The temporary name: the file's folder, the clock's tag of the index as
// eight upper-case hex digits, ".tmp" (12.345 s: 0x3159 in the high word).
TEST_F(PrepareTest, TempNameFor) {
  EXPECT_EQ(TempNameFor(u"C:\\P\\Corvalin.exe", 0), u"C:\\P\\31590000.tmp");
  EXPECT_EQ(TempNameFor(u"C:\\P\\Corvalin.exe", 5), u"C:\\P\\31590005.tmp");
  EXPECT_EQ(TempNameFor(u"C:\\P\\x", 0x12345), u"C:\\P\\31592345.tmp");
  EXPECT_EQ(TempNameFor(u"C:x.dll", 14), u"C:3159000E.tmp");
  EXPECT_EQ(TempNameFor(u"x.dll", 1), u"31590001.tmp");
  sim.utcTime.wSecond = 59;
  sim.utcTime.wMilliseconds = 999;
  EXPECT_EQ(TempNameFor(u"C:\\P\\x", 0xFFFF), u"C:\\P\\EFE7FFFF.tmp");
}

// A file that another process holds without letting it be moved can't be
// swapped; a running program's file can, and ends up under its own name.
TEST_F(PrepareTest, CanSwapFile) {
  sim.PutFile(kMainProgram, "x");
  sim.HoldExclusive(kMainProgram);
  EXPECT_FALSE(CanSwapFile(kMainProgram, 0));
  sim.ReleaseHolds(kMainProgram);
  sim.HoldAsRunningImage(kMainProgram);
  EXPECT_TRUE(CanSwapFile(kMainProgram, 0));
  EXPECT_TRUE(sim.HasFile(kMainProgram));
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"31590000.tmp"));
  sim.ReleaseHolds(kMainProgram);
}

// A file that can't be renamed back is not replaceable: the check must not
// report success while the earlier installation's file has lost its name.
TEST_F(PrepareTest, CanSwapFileNeedsTheWayBack) {
  sim.MakeDirs(kInstallDir);
  sim.PutFile(kMainProgram, "running");
  sim.HoldAsRunningImage(kMainProgram);
  sim.FailCall("MoveFileExW", 2, cErrAccessDenied, u"31590000.tmp");
  EXPECT_FALSE(CanSwapFile(kMainProgram, 0));
  sim.ReleaseHolds(kInstallDir + u"31590000.tmp");
  sim.MoveFileExW(kInstallDir + u"31590000.tmp", kMainProgram, cMoveFileReplaceExisting);

  sim.HoldAsRunningImage(kMainProgram);
  sim.FailCall("MoveFileExW", 2, cErrAccessDenied, u"31590000.tmp");
  ns.nsInsTyp = cInsTypUpdate;
  ns.nsCanOvr = true;
  EXPECT_EQ(PrepareTask(ns), cStaFilesInUse);
  sim.ReleaseHolds(kInstallDir + u"31590000.tmp");
}

// The shell or a scanner looking at the file under its temporary name for a
// moment does not keep it there: the way back waits, and the file is
// replaceable under its own name.
TEST_F(PrepareTest, CanSwapFileWaitsForAReaderOfTheTemporaryName) {
  sim.PutFile(kMainProgram, "running");
  sim.HoldAsRunningImage(kMainProgram);
  sim.HoldBriefly(kInstallDir + u"31590000.tmp", cGenericRead, cFileShareRead, 3);
  EXPECT_TRUE(CanSwapFile(kMainProgram, 0));
  EXPECT_EQ(sim.FileBytes(kMainProgram), "running");
  EXPECT_FALSE(sim.HasFile(kInstallDir + u"31590000.tmp"));
  sim.ReleaseHolds(kMainProgram);
}

// Present means openable for reading or held by another process; read-mes don't count.
TEST_F(PrepareTest, AnyPayloadFileExists) {
  EXPECT_FALSE(AnyPayloadFileExists(u"C:\\Program Files\\Corvalin"));
  sim.PutFile(kInstallDir + u"ReadMe_de.txt", "x");
  EXPECT_FALSE(AnyPayloadFileExists(u"C:\\Program Files\\Corvalin"));
  sim.PutFile(kInstallDir + u"Corvalin_de.pdf", "x");
  sim.HoldExclusive(kInstallDir + u"Corvalin_de.pdf");
  EXPECT_TRUE(AnyPayloadFileExists(u"C:\\Program Files\\Corvalin"));
  sim.ReleaseHolds(kInstallDir + u"Corvalin_de.pdf");
}

// Free space is compared strictly, as signed 64-bit numbers.
TEST_F(PrepareTest, HasFreeSpace) {
  sim.freeSpace[u'C'] = 1000;
  EXPECT_TRUE(HasFreeSpace(u"C:\\", 999));
  EXPECT_FALSE(HasFreeSpace(u"C:\\", 1000));
  EXPECT_FALSE(HasFreeSpace(u"C:\\NoSuch\\", 1));
}

}  // namespace
