// Special folders and shell services over the platform seam.
#include "shell/win_shl_to.h"

#include <vector>

#include "common/utils.h"
#include "platform/platform.h"

namespace {
constexpr std::size_t cShellPathUnits = 261;  // MAX_PATH + 1: one more than the shell ever writes
constexpr std::size_t cMaxNotifyPath = 260;
constexpr std::intptr_t cShellExecuteOk = 32;  // larger instance values mean success
}  // namespace

void GetSystemDir(ustring& path) {
  path.clear();
  const std::uint32_t needed = Os().GetSystemDirectoryW(nullptr, 0);  // units with the NUL
  if (needed == 0) return;
  std::vector<char16_t> buffer(static_cast<std::size_t>(needed) + 1, u'\0');
  if (Os().GetSystemDirectoryW(buffer.data(), static_cast<std::uint32_t>(buffer.size())) != 0) path = buffer.data();
}

bool GetSpecialFolder(int csidl, ustring& path) {
  path.clear();
  ustring system;
  GetSystemDir(system);
  // By full path, never through the search path, unless the system
  // directory is unknown.
  const ustring library = AddBackslash(system) + u"shell32.dll";
  std::vector<char16_t> buffer(cShellPathUnits, u'\0');
  if (Os().SHGetFolderPathW(library, csidl, buffer.data()) < 0) return false;  // S_FALSE counts as success
  buffer.back() = u'\0';
  path = buffer.data();
  return true;
}

std::uint32_t CreateFolder(const ustring& path) { return Os().CreateDirectoryW(path); }

void NotifyShellPath(std::uint32_t event, const ustring& path) {
  if (path.size() > cMaxNotifyPath) return;
  Os().SHChangeNotify(static_cast<std::int32_t>(event), cShcnfPathW, &path);
}

void NotifyAssocChanged() { Os().SHChangeNotify(cShcneAssocChanged, cShcnfIdList, nullptr); }

bool RunProgram(const ustring& path) { return Os().ShellExecuteW(u"Open", u"\"" + path + u"\"") > cShellExecuteOk; }
