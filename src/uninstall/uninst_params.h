// The uninstaller's command line. The original is started as the uninstall
// entry says: «...\Uninstall.exe», with " /l:1" for German and " /S:1" for an
// unattended run. Its private copy gets two more options: the handle of the
// original to wait for (/W:) and the installation folder to finish (/D:"...").
#pragma once
#include <cstdint>

#include "common/types.h"

struct TUnParams {
  bool upSilent = false;     // /S:1: no window, no question
  TSuLang upLangua = 0;      // /l:1: German texts
  std::uint64_t upWaitFor = 0;  // /W:n (copy only): inherited handle of the original process
  ustring upFolder;          // /D:"folder" (copy only): the installation folder, no trailing backslash
  // Started as the private copy that removes the original's file.
  bool IsCopy() const { return upWaitFor != 0 && !upFolder.empty(); }
};

// Never fails; S and L are read by the setup's own option parser, W and D
// here (D is last, quoted, and may hold spaces).
TUnParams ParseUninstallCmdLine(const ustring& text);

// The copy's command line: the quoted program, the original's options, then
// /W: and /D:.
ustring CopyCommandLine(const ustring& copyPath, const TUnParams& original, std::uint64_t waitFor,
                        const ustring& folder);
