#include "shell/shortcut_target.h"

#include "platform/platform.h"

std::int32_t ReadShortCutTarget(const ustring& linkPath, ustring& target) {
  target.clear();
  THandle link = 0;
  std::int32_t hr = Os().ShellLinkCreate(link);
  if (hr < 0) return hr;
  hr = Os().ShellLinkLoad(link, linkPath);
  if (hr >= 0) hr = Os().ShellLinkGetPath(link, target);
  Os().ShellLinkRelease(link);
  if (hr < 0) target.clear();
  return hr;
}
