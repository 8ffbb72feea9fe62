#include "shell/shortcut_target.h"

#include "platform/platform.h"

bool ReadShortCutTarget(const ustring& linkPath, ustring& target) {
  target.clear();
  THandle link = 0;
  if (Os().ShellLinkCreate(link) < 0) return false;
  bool ok = Os().ShellLinkLoad(link, linkPath) >= 0 && Os().ShellLinkGetPath(link, target) >= 0;
  Os().ShellLinkRelease(link);
  if (!ok) target.clear();
  return ok;
}
