// Shortcuts of the product: its folder in the all-users Start menu with a
// link per entry of CutEntries, and optionally a desktop link to the main
// program. Links are made through the shell's link object.
#pragma once
#include <cstdint>
#include <stdexcept>

#include "common/setup_choices.h"
#include "platform/platform.h"

// One link request, refilled per link; the counters run over a whole step.
struct TShortCutInfo {
  ustring scInsPat;          // folder of the target; also the working folder, unchanged
  ustring scCutPat;          // the product's Start-menu folder, no trailing backslash
  ustring scExeNam;          // target's file name inside scInsPat
  ustring scLnkNam;          // link file name without ".lnk"
  ustring scDescri;          // the link's description
  bool scCreDsk = false;     // also save the link on the all-users desktop
  std::int32_t scCntDsk = 0; // desktop links saved so far
  std::int32_t scCntApp = 0; // Start-menu links saved so far
};

// The shell's link object could not be created (the HRESULT is in code()).
class EShellLinkCreate : public std::runtime_error {
 public:
  explicit EShellLinkCreate(std::int32_t code);
  std::int32_t code() const noexcept { return code_; }

 private:
  std::int32_t code_;
};

// The installation's shortcut step (uses nsInsLoc, nsCutDsk, nsLangua): true
// when the Start-menu folder exists and every requested link was saved. One
// failed link does not stop the others. Raises EShellLinkCreate (after ending
// its COM use) when the link object can't be made.
bool InstallShortCuts(const TNewSetup& ns);

// Saves the link of sc into scCutPat and, when scCreDsk, on the desktop;
// counts each saved link. True when the last save attempted succeeded.
// Raises EShellLinkCreate when the link object can't be made.
bool CreateShortCut(TShortCutInfo& sc);

// Sets target, working folder and description of link and saves it as
// folder\scLnkNam.lnk: the save's HRESULT, or E_FAIL when a property was refused.
std::int32_t SaveShellLink(THandle link, const TShortCutInfo& sc, const ustring& folder);

// True when the all-users desktop resolves and holds the main program's link.
bool DesktopShortCutExists();
