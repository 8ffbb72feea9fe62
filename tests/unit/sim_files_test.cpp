// The emulated file system and shell beyond what the contract suite states:
// files held by other processes (a running program among them), the restart
// list, path mapping, settings of the shell answers, shell links and COM.
#include <filesystem>
#include <thread>
#include <vector>

#include "common/utils.h"
#include "support/sim_fixture.h"

namespace {

// Parameterised cases print as their name.
template <typename T>
  requires requires(const T& t) { t.name; }
void PrintTo(const T& c, std::ostream* os) {
  *os << c.name;
}


constexpr std::uint32_t cShareAll = cFileShareRead | cFileShareWrite | cFileShareDelete;
const ustring kExe = u"C:\\Program Files\\Corvalin\\Corvalin.exe";

class SimFilesTest : public SimFixture {
 protected:
  std::uint32_t OpenClose(const ustring& path, std::uint32_t access, std::uint32_t share,
                          std::uint32_t disposition = cOpenExisting, std::uint32_t flags = 0) {
    THandle file = 0;
    const std::uint32_t err = sim.CreateFileW(path, access, share, disposition, flags, file);
    if (file != 0) sim.CloseHandle(file);
    return err;
  }
};

// A running program's image can't be written (32) or replaced (5) but can be renamed, and the hold follows it.
TEST_F(SimFilesTest, RunningImage) {
  sim.PutFile(kExe, "old");
  sim.HoldAsRunningImage(kExe);
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, cFileShareRead, cCreateAlways), cErrSharingViolation);
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, 0), cErrSharingViolation);
  EXPECT_EQ(OpenClose(kExe, cGenericRead, cShareAll), 0u);
  EXPECT_TRUE(FilePresent(kExe));
  sim.PutFile(u"C:\\new.exe", "new");
  EXPECT_EQ(sim.MoveFileExW(u"C:\\new.exe", kExe, cMoveFileReplaceExisting), cErrAccessDenied);
  const ustring aside = u"C:\\Program Files\\Corvalin\\12345678.tmp";
  ASSERT_EQ(sim.MoveFileExW(kExe, aside, cMoveFileReplaceExisting), 0u);
  EXPECT_EQ(OpenClose(aside, cFileWriteData, 0), cErrSharingViolation);  // still running, under its new name
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, cFileShareRead, cCreateAlways), 0u);  // the name is free
  EXPECT_EQ(sim.FileBytes(aside), "old");
}

// A file locked against renaming takes writers but refuses a move (32); released, it moves.
TEST_F(SimFilesTest, LockedAgainstRename) {
  sim.PutFile(kExe, "x");
  sim.HoldFile(kExe, cGenericRead, cFileShareRead | cFileShareWrite);
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, cFileShareRead | cFileShareWrite), 0u);
  EXPECT_EQ(sim.MoveFileExW(kExe, kExe + u".tmp", cMoveFileReplaceExisting), cErrSharingViolation);
  sim.ReleaseHolds(kExe);
  EXPECT_EQ(sim.MoveFileExW(kExe, kExe + u".tmp", cMoveFileReplaceExisting), 0u);
}

// A file held exclusively refuses every opening (32) yet counts as present; released, it opens.
TEST_F(SimFilesTest, HeldExclusively) {
  sim.PutFile(kExe, "x");
  sim.HoldExclusive(kExe);
  EXPECT_EQ(OpenClose(kExe, cGenericRead, cShareAll), cErrSharingViolation);
  EXPECT_TRUE(FilePresent(kExe));
  EXPECT_FALSE(DirPresent(u"C:\\Program Files\\Missing"));
  sim.ReleaseHolds(u"c:\\program files\\corvalin\\CORVALIN.EXE");
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, 0), 0u);
}

// A brief hold (a reader that shares only reading) turns away exactly the
// next N opens or moves it conflicts with, then lets go; openings it allows
// are not counted, and Sleep only adds up the pauses.
TEST_F(SimFilesTest, BriefHoldLetsGoAfterItsRefusals) {
  sim.PutFile(kExe, "x");
  sim.HoldBriefly(kExe, cGenericRead, cFileShareRead, 3);
  EXPECT_EQ(OpenClose(kExe, cGenericRead, cShareAll), 0u);  // allowed: not counted
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, 0), cErrSharingViolation);
  EXPECT_EQ(sim.MoveFileExW(kExe, kExe + u".tmp", cMoveFileReplaceExisting), cErrSharingViolation);
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, cFileShareRead, cCreateAlways), cErrSharingViolation);
  EXPECT_EQ(OpenClose(kExe, cFileWriteData, 0), 0u);
  EXPECT_EQ(sim.MoveFileExW(kExe, kExe + u".tmp", cMoveFileReplaceExisting), 0u);
  sim.Sleep(10);
  sim.Sleep(20);
  EXPECT_EQ(sim.SleptMilliseconds(), 30u);
}

// Delete-at-restart records the full path for administrators only and leaves the file alone.
TEST_F(SimFilesTest, RestartList) {
  sim.PutFile(u"C:\\Dir\\old.tmp", "x");
  ASSERT_EQ(sim.MoveFileExW(u"c:\\Dir\\.\\old.tmp", u"", cMoveFileDelayUntilReboot), 0u);
  const auto list = sim.RestartList();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].from, u"c:\\Dir\\old.tmp");
  EXPECT_EQ(list[0].to, u"");
  EXPECT_TRUE(sim.HasFile(u"C:\\Dir\\old.tmp"));
  EXPECT_EQ(sim.MoveFileExW(u"C:\\Dir\\old.tmp", u"", 0), cErrInvalidParameter);
  sim.isAdmin = false;
  EXPECT_EQ(sim.MoveFileExW(u"C:\\Dir\\old.tmp", u"", cMoveFileDelayUntilReboot), cErrAccessDenied);
  EXPECT_EQ(sim.RestartList().size(), 1u);
}

// Windows paths map into the sandbox case-insensitively; the existing spelling wins.
TEST_F(SimFilesTest, PathsMapIntoTheSandbox) {
  sim.PutFile(u"C:\\Data\\File.TXT", "abc");
  EXPECT_TRUE(std::filesystem::equivalent(sim.HostPath(u"c:\\DATA\\file.txt"),
                                          sim.SandboxRoot() / "C" / "Data" / "File.TXT"));
  EXPECT_EQ(sim.FileBytes(u"C:/data/file.txt"), "abc");
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\DATA"), cErrAlreadyExists);
  EXPECT_EQ(OpenClose(u"C:\\Data\\bad|name", cGenericWrite, 0, cCreateAlways), 123u);
  EXPECT_EQ(OpenClose(u"Q:\\x.txt", cGenericWrite, 0, cCreateAlways), cErrPathNotFound);  // no such drive
}

// A name the sandbox cannot hold (an unpaired surrogate, as a damaged
// registry value may carry) is refused as invalid, never thrown out of the
// call; a surrogate pair is a name like any other.
TEST_F(SimFilesTest, UnpairedSurrogateNamesAreInvalid) {
  const char16_t high = 0xD83D, low = 0xDE00;
  for (const ustring& name : {u"C:\\Tools\\a" + ustring(1, high) + u"b", u"C:\\Tools\\" + ustring(1, low),
                              u"C:\\x" + ustring(1, high) + u"\\Uninstall.exe"}) {
    EXPECT_EQ(OpenClose(name, cGenericWrite, 0, cCreateAlways), 123u);
    EXPECT_EQ(OpenClose(name, cGenericRead, cFileShareRead, cOpenExisting), 123u);
    EXPECT_FALSE(FilePresent(name));
    EXPECT_FALSE(DirPresent(name));
  }
  EXPECT_EQ(OpenClose(u"C:\\Smile \U0001F600.txt", cGenericWrite, 0, cCreateAlways), cErrSuccess);
}

struct TFullPathCase {
  const char* name;
  ustring path;
  ustring full;
};

class FullPaths : public SimFilesTest, public testing::WithParamInterface<TFullPathCase> {};

// Full paths are made like GetFullPathNameW makes them, relative to the current folder C:\Setup.
TEST_P(FullPaths, Resolve) {
  ustring full;
  ASSERT_EQ(sim.GetFullPathNameW(GetParam().path, full), 0u);
  EXPECT_EQ(full, GetParam().full);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FullPaths,
    testing::Values(TFullPathCase{"relative", u"a\\b.txt", u"C:\\Setup\\a\\b.txt"},
                    TFullPathCase{"parent", u"..\\x", u"C:\\x"},
                    TFullPathCase{"rooted", u"\\x\\y", u"C:\\x\\y"},
                    TFullPathCase{"slashes_and_doubles", u"C:/a//b/", u"C:\\a\\b\\"},
                    TFullPathCase{"above_root", u"C:\\..\\..\\z", u"C:\\z"},
                    TFullPathCase{"trailing_dots_and_blanks", u"C:\\dir\\name. .", u"C:\\dir\\name"},
                    TFullPathCase{"other_drive_relative", u"D:rel", u"D:\\rel"},
                    TFullPathCase{"drive_root", u"C:\\", u"C:\\"}),
    [](const testing::TestParamInfo<TFullPathCase>& info) { return std::string(info.param.name); });

// Free space is the drive's setting; a missing folder or a file fails.
TEST_F(SimFilesTest, FreeSpace) {
  sim.freeSpace[u'C'] = 12345;
  std::uint64_t free = 0;
  EXPECT_EQ(sim.GetDiskFreeSpaceExW(u"C:\\Program Files\\", free), 0u);
  EXPECT_EQ(free, 12345u);
  EXPECT_EQ(sim.GetDiskFreeSpaceExW(u"C:\\Nowhere\\", free), cErrPathNotFound);
  sim.PutFile(u"C:\\f.txt", "");
  EXPECT_NE(sim.GetDiskFreeSpaceExW(u"C:\\f.txt", free), 0u);
}

// Writes land at the handle's position; a file made read-only by its creator still takes them.
TEST_F(SimFilesTest, WritesThroughTheCreatingHandle) {
  THandle file = 0;
  ASSERT_EQ(sim.CreateFileW(u"C:\\ro.bin", cGenericWrite, 0, cCreateAlways, cFileAttributeReadonly, file), 0u);
  std::uint32_t written = 0;
  EXPECT_EQ(sim.WriteFile(file, "abc", 3, written), 0u);
  EXPECT_EQ(sim.WriteFile(file, "de", 2, written), 0u);
  EXPECT_EQ(sim.CloseHandle(file), 0u);
  EXPECT_EQ(sim.FileBytes(u"C:\\ro.bin"), "abcde");
  EXPECT_TRUE(sim.IsReadOnly(u"C:\\ro.bin"));
  EXPECT_EQ(sim.CloseHandle(file), cErrInvalidHandle);
}

// Shell answers are settings: missing folders give S_FALSE, and a failing CSIDL gives its HRESULT.
TEST_F(SimFilesTest, SpecialFolderSettings) {
  char16_t buffer[261] = {};
  EXPECT_EQ(sim.SHGetFolderPathW(u"C:\\Windows\\system32\\shell32.dll", cCsidlCommonPrograms, buffer), cS_OK);
  EXPECT_EQ(ustring(buffer), u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
  sim.specialFolders[cCsidlProgramFiles] = u"E:\\Apps";
  EXPECT_EQ(sim.SHGetFolderPathW(u"shell32.dll", cCsidlProgramFiles, buffer), cS_FALSE);
  EXPECT_EQ(ustring(buffer), u"E:\\Apps");
  sim.specialFolderErrors[cCsidlDesktop] = cE_ACCESSDENIED;
  EXPECT_EQ(sim.SHGetFolderPathW(u"shell32.dll", cCsidlDesktop, buffer), cE_ACCESSDENIED);
}

// Saved shell links record target, working folder and description; a link needs an apartment.
TEST_F(SimFilesTest, ShellLinks) {
  THandle link = 0;
  EXPECT_LT(sim.ShellLinkCreate(link), 0);
  ASSERT_EQ(sim.CoInitialize(), cS_OK);
  EXPECT_EQ(sim.CoInitialize(), cS_FALSE);
  ASSERT_EQ(sim.ShellLinkCreate(link), cS_OK);
  sim.ShellLinkSetPath(link, kExe);
  sim.ShellLinkSetWorkingDirectory(link, u"C:\\Program Files\\Corvalin\\");
  sim.ShellLinkSetDescription(link, u"Hash tool");
  EXPECT_EQ(sim.ShellLinkSave(link, u"C:\\NoFolder\\x.lnk", true), HResultFromWin32(cErrPathNotFound));
  EXPECT_EQ(sim.ShellLinkSave(link, u"C:\\Users\\Public\\Desktop\\Corvalin.lnk", true), cS_OK);
  sim.ShellLinkRelease(link);
  sim.CoUninitialize();
  sim.CoUninitialize();
  const auto saved = sim.ReadLink(u"C:\\Users\\Public\\Desktop\\Corvalin.lnk");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->target, kExe);
  EXPECT_EQ(saved->workingDirectory, u"C:\\Program Files\\Corvalin\\");
  EXPECT_EQ(saved->description, u"Hash tool");
}

// Registered classes are found only inside an apartment of the calling thread.
TEST_F(SimFilesTest, ClassProbeNeedsAnApartmentOnThisThread) {
  const TGuid clsid{0x1968106D, 0xF3B5, 0x44CF, {0x89, 0x0E, 0x11, 0x6F, 0xCB, 0x9E, 0xCE, 0xF1}};
  sim.comClasses.push_back(clsid);
  ASSERT_EQ(sim.CoInitialize(), cS_OK);
  EXPECT_EQ(sim.ProbeClassInstance(clsid), cS_OK);
  EXPECT_EQ(sim.ProbeClassInstance(TGuid{}), cREGDB_E_CLASSNOTREG);
  std::int32_t elsewhere = 0;
  std::thread([&] { elsewhere = sim.ProbeClassInstance(clsid); }).join();
  EXPECT_LT(elsewhere, 0);
  sim.CoUninitialize();
}

// Many threads writing their own files at once all get whole files and leave no handle open.
TEST_F(SimFilesTest, ThreadsShareTheFileSystem) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([this, t] {
      const ustring path = u"C:\\T" + DecOfInt(t) + u".bin";
      for (int i = 0; i < 20; ++i) {
        THandle file = 0;
        if (sim.CreateFileW(path, cFileWriteData, cFileShareRead, cCreateAlways, 0, file) != 0) continue;
        std::uint32_t written = 0;
        sim.WriteFile(file, "0123456789", 10, written);
        sim.CloseHandle(file);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 6; ++t) EXPECT_EQ(sim.FileBytes(u"C:\\T" + DecOfInt(t) + u".bin"), "0123456789");
}

}  // namespace
