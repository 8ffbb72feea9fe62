// Special folders and shell services against the emulated system.
#include "shell/win_shl_to.h"

#include <vector>

#include "support/sim_fixture.h"

namespace {

// Parameterised cases print as their name.
template <typename T>
  requires requires(const T& t) { t.name; }
void PrintTo(const T& c, std::ostream* os) {
  *os << c.name;
}


class WinShlToTest : public SimFixture {
 protected:
  std::vector<TSimCall> Calls(const std::string& op) {
    std::vector<TSimCall> found;
    for (const TSimCall& call : sim.CallLog()) {
      if (call.op == op) found.push_back(call);
    }
    return found;
  }
};

// The system directory comes back as the platform reports it; an empty answer or a failed second step gives "".
TEST_F(WinShlToTest, GetSystemDir) {
  ustring path = u"stale";
  GetSystemDir(path);
  EXPECT_EQ(path, u"C:\\Windows\\system32");
  sim.FailCall("GetSystemDirectoryW", 2, 0);
  GetSystemDir(path);
  EXPECT_EQ(path, u"");
  sim.systemDirectory.clear();
  path = u"stale";
  GetSystemDir(path);
  EXPECT_EQ(path, u"");
}

struct TLibraryCase {
  const char* name;
  ustring systemDir;
  ustring library;  // what the shell folder call is given
};

class LibraryPath : public WinShlToTest, public testing::WithParamInterface<TLibraryCase> {};

// The shell library is named by the system directory with exactly one backslash, or bare when that is unknown.
TEST_P(LibraryPath, IsBuiltFromTheSystemDirectory) {
  sim.systemDirectory = GetParam().systemDir;
  sim.PutFile(u"C:\\shell32.dll", "");
  ustring path;
  EXPECT_TRUE(GetSpecialFolder(cCsidlProgramFiles, path));
  EXPECT_EQ(path, u"C:\\Program Files");
  const auto calls = Calls("SHGetFolderPathW");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].arg, GetParam().library);
  EXPECT_EQ(calls[0].number, static_cast<std::uint64_t>(cCsidlProgramFiles));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryPath,
    testing::Values(TLibraryCase{"system32", u"C:\\Windows\\system32", u"C:\\Windows\\system32\\shell32.dll"},
                    TLibraryCase{"drive_root", u"C:\\", u"C:\\shell32.dll"},
                    TLibraryCase{"unknown", u"", u"shell32.dll"}),
    [](const testing::TestParamInfo<TLibraryCase>& info) { return std::string(info.param.name); });

// A folder the shell knows but that is missing on disk (S_FALSE) still resolves, with the path written.
TEST_F(WinShlToTest, FolderMissingOnDiskResolves) {
  sim.specialFolders[cCsidlCommonDesktopDirectory] = u"D:\\Nowhere\\Desktop";
  ustring path;
  EXPECT_TRUE(GetSpecialFolder(cCsidlCommonDesktopDirectory, path));
  EXPECT_EQ(path, u"D:\\Nowhere\\Desktop");
}

struct TFailCase {
  const char* name;
  int csidl;
  void (*arrange)(TSimPlatform&);
};

class FolderFailures : public WinShlToTest, public testing::WithParamInterface<TFailCase> {};

// Every failure of the shell gives false and the empty string.
TEST_P(FolderFailures, GiveFalseAndEmpty) {
  GetParam().arrange(sim);
  ustring path = u"stale";
  EXPECT_FALSE(GetSpecialFolder(GetParam().csidl, path));
  EXPECT_EQ(path, u"");
}

INSTANTIATE_TEST_SUITE_P(
    Table, FolderFailures,
    testing::Values(TFailCase{"unknown_csidl", 0x7E, [](TSimPlatform&) {}},
                    TFailCase{"shell_refuses", cCsidlCommonPrograms,
                              [](TSimPlatform& s) { s.specialFolderErrors[cCsidlCommonPrograms] = cE_FAIL; }},
                    TFailCase{"library_missing", cCsidlProgramFiles,
                              [](TSimPlatform& s) { s.systemDirectory = u"C:\\NoSystem"; }}),
    [](const testing::TestParamInfo<TFailCase>& info) { return std::string(info.param.name); });

// The longest path the shell can write (259 characters and its NUL) arrives whole.
TEST_F(WinShlToTest, LongestFolderPathFits) {
  const ustring longest = u"C:\\" + ustring(256, u'x');
  ASSERT_EQ(longest.size(), 259u);
  sim.specialFolders[cCsidlDesktop] = longest;
  ustring path;
  EXPECT_TRUE(GetSpecialFolder(cCsidlDesktop, path));
  EXPECT_EQ(path, longest);
}

// CreateFolder: 0 for a new folder, 183 for an existing one, 3 under a missing parent (which stays missing).
TEST_F(WinShlToTest, CreateFolderCodes) {
  EXPECT_EQ(CreateFolder(u"C:\\Program Files\\Corvalin"), 0u);
  EXPECT_TRUE(sim.HasDir(u"C:\\Program Files\\Corvalin"));
  EXPECT_EQ(CreateFolder(u"C:\\Program Files\\Corvalin\\"), cErrAlreadyExists);
  EXPECT_EQ(CreateFolder(u"C:\\Missing\\Child"), cErrPathNotFound);
  EXPECT_FALSE(sim.HasDir(u"C:\\Missing"));
}

// Paths up to 260 characters are notified as wide paths; longer ones are not sent at all.
TEST_F(WinShlToTest, NotifyShellPathLimit) {
  const ustring at260 = u"C:\\" + ustring(257, u'a');
  const ustring at261 = at260 + u"b";
  NotifyShellPath(cShcneUpdateDir, at260);
  NotifyShellPath(cShcneMkdir, at261);
  const auto sent = sim.Notifications();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].event, cShcneUpdateDir);
  EXPECT_EQ(sent[0].flags, cShcnfPathW);
  EXPECT_TRUE(sent[0].hasPath);
  EXPECT_EQ(sent[0].path, at260);
}

// The association change goes out with flags 0 and no item.
TEST_F(WinShlToTest, NotifyAssocChanged) {
  NotifyAssocChanged();
  const auto sent = sim.Notifications();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].event, cShcneAssocChanged);
  EXPECT_EQ(sent[0].flags, 0u);
  EXPECT_FALSE(sent[0].hasPath);
}

// RunProgram asks the shell to "Open" the path in double quotes; only results above 32 count as started.
TEST_F(WinShlToTest, RunProgramQuotesThePath) {
  const ustring exe = u"C:\\Program Files\\Corvalin\\Corvalin.exe";
  sim.PutFile(exe, "MZ");
  EXPECT_TRUE(RunProgram(exe));
  sim.shellExecuteResult = 32;
  EXPECT_FALSE(RunProgram(exe));
  sim.shellExecuteResult = 33;
  EXPECT_TRUE(RunProgram(exe));
  EXPECT_FALSE(RunProgram(u"C:\\Program Files\\Corvalin\\Gone.exe"));
  const auto runs = sim.Executions();
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[0].verb, u"Open");
  EXPECT_EQ(runs[0].file, u"\"" + exe + u"\"");
}

}  // namespace
