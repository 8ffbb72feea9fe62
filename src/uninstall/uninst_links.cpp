// A link is recognised by where it points, not by its name alone: a user may
// have pointed "Corvalin.lnk" at another copy of the program since.
#include "uninstall/uninst_links.h"

#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "platform/platform.h"
#include "shell/com_apartment.h"
#include "shell/shortcut_target.h"
#include "shell/win_shl_to.h"

namespace {

constexpr char16_t cLinkExt[] = u".lnk";

bool PointsInto(const ustring& target, const ustring& folder) {
  const ustring dir = AddBackslash(folder);
  return target.size() >= dir.size() && Os().SameNameIgnoringCase(target.substr(0, dir.size()), dir);
}

// Deletes the link at path when it points into folder. Returns whether a link was deleted.
bool RemoveLink(const ustring& path, const ustring& folder, TUnReport& report) {
  ustring target;
  const std::int32_t read = ReadShortCutTarget(path, target);
  if (read == HResultFromWin32(cErrFileNotFound) || read == HResultFromWin32(cErrPathNotFound)) return false;
  if (read < 0) {
    report.urLeft.push_back(path);  // not provably someone else's: it stays and is reported
    return false;
  }
  if (!PointsInto(target, folder)) return false;
  const std::uint32_t err = Os().DeleteFileW(path);
  if (err == cErrSuccess) return true;
  if (err != cErrFileNotFound) report.urLeft.push_back(path);
  return false;
}

}  // namespace

void RemoveShortCuts(const ustring& folder, TUnReport& report) {
  const std::int32_t com = ComInit();
  if (!ComInitOk(com)) {
    report.urLeft.push_back(u"shortcuts");
    return;
  }
  TComDoneGuard comDone;

  ustring programs;
  if (GetSpecialFolder(cCsidlCommonPrograms, programs)) {
    const ustring menu = AddBackslash(programs) + cProductName;
    bool removed = false;
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      const ustring name = CutEntries[i].ceLnkNam;
      if (!name.empty()) removed = RemoveLink(AddBackslash(menu) + name + cLinkExt, folder, report) || removed;
    }
    const std::uint32_t err = Os().RemoveDirectoryW(menu);
    if (err == cErrSuccess) {
      NotifyShellPath(cShcneRmdir, menu);
    } else if (removed) {
      NotifyShellPath(cShcneUpdateDir, menu);
    }
    // Not empty (the user's own link) or not there: both fine. Anything else is left.
    if (err != cErrSuccess && err != cErrDirNotEmpty && err != cErrFileNotFound && err != cErrPathNotFound)
      report.urLeft.push_back(menu);
  } else {
    report.urLeft.push_back(u"Start menu");
  }

  ustring desktop;
  if (GetSpecialFolder(cCsidlCommonDesktopDirectory, desktop)) {
    if (RemoveLink(AddBackslash(desktop) + CutEntries[cPayMainProgram].ceLnkNam + cLinkExt, folder, report))
      NotifyShellPath(cShcneUpdateDir, desktop);
  } else {
    report.urLeft.push_back(u"Desktop");
  }
}
