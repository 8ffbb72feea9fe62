// What the setup relies on the shell and security services to do: the
// two-step system directory, special folders through the library loaded by
// full path, the logon name and the administrators question.
#include <vector>

#include "common/utils.h"
#include "contract_env.h"

namespace {

using ShellContract = ContractTest;

ustring SystemDir() {
  const std::uint32_t needed = Os().GetSystemDirectoryW(nullptr, 0);
  std::vector<char16_t> buffer(needed + 1, u'\0');
  const std::uint32_t length = Os().GetSystemDirectoryW(buffer.data(), needed);
  return length == 0 || length >= needed ? ustring() : ustring(buffer.data());
}

// Asked with no room, the system directory call reports the size with the NUL; then the length without it.
TEST_F(ShellContract, SystemDirectoryInTwoSteps) {
  const std::uint32_t needed = Os().GetSystemDirectoryW(nullptr, 0);
  ASSERT_GT(needed, 3u);
  std::vector<char16_t> buffer(needed, u'\xFFFF');
  EXPECT_EQ(Os().GetSystemDirectoryW(buffer.data(), needed), needed - 1);
  EXPECT_EQ(buffer[needed - 1], u'\0');
  EXPECT_NE(buffer[needed - 2], u'\\');  // no trailing backslash
  EXPECT_TRUE(DirPresent(ustring(buffer.data())));
}

// The programs folder resolves through shell32 loaded by full path, and exists.
TEST_F(ShellContract, ProgramFilesResolves) {
  std::vector<char16_t> buffer(261, u'\0');
  const std::int32_t hr = Os().SHGetFolderPathW(AddBackslash(SystemDir()) + u"shell32.dll", cCsidlProgramFiles,
                                                buffer.data());
  ASSERT_EQ(hr, cS_OK);
  const ustring path(buffer.data());
  EXPECT_GT(path.size(), 3u);
  EXPECT_TRUE(DirPresent(path));
}

// The four folders the setup uses all resolve (S_OK or S_FALSE) to absolute paths.
TEST_F(ShellContract, FoldersInUseResolve) {
  for (int csidl : {cCsidlDesktop, cCsidlCommonPrograms, cCsidlCommonDesktopDirectory, cCsidlProgramFiles}) {
    std::vector<char16_t> buffer(261, u'\0');
    const std::int32_t hr = Os().SHGetFolderPathW(AddBackslash(SystemDir()) + u"shell32.dll", csidl, buffer.data());
    EXPECT_GE(hr, 0) << "CSIDL " << csidl;
    const ustring path(buffer.data());
    EXPECT_TRUE(path.size() > 3 && path[1] == u':' && path[2] == u'\\') << "CSIDL " << csidl;
  }
}

// A CSIDL the shell doesn't know fails with a negative result.
TEST_F(ShellContract, UnknownFolderFails) {
  std::vector<char16_t> buffer(261, u'\0');
  EXPECT_LT(Os().SHGetFolderPathW(AddBackslash(SystemDir()) + u"shell32.dll", 0xFF, buffer.data()), 0);
}

// A library path that doesn't exist fails instead of searching elsewhere.
TEST_F(ShellContract, MissingLibraryFails) {
  std::vector<char16_t> buffer(261, u'\0');
  EXPECT_LT(Os().SHGetFolderPathW(Dir() + u"shell32.dll", cCsidlProgramFiles, buffer.data()), 0);
  EXPECT_EQ(buffer[0], u'\0');
}

// The logon name: too small a buffer fails and reports the size with the NUL; then it fits.
TEST_F(ShellContract, LogonNameInTwoSteps) {
  char16_t tiny[1] = {};
  std::uint32_t size = 1;
  EXPECT_FALSE(Os().GetUserNameW(tiny, size));
  ASSERT_GT(size, 1u);
  std::vector<char16_t> buffer(size, u'\0');
  std::uint32_t size2 = size;
  ASSERT_TRUE(Os().GetUserNameW(buffer.data(), size2));
  EXPECT_EQ(size2, size);
  EXPECT_EQ(ustring(buffer.data()).size(), size - 1);
}

// The administrators question gets an answer.
TEST_F(ShellContract, AdministratorsQuestionIsAnswered) {
  bool member = false;
  EXPECT_TRUE(Os().CheckAdminMembership(member));
}

}  // namespace
