#include "app/setup_defaults.h"

#include <array>

#include "app/su_fm_prep.h"
#include "catalogue/hash_exts.h"
#include "common/utils.h"
#include "shell/shortcuts.h"
#include "shell/win_shl_to.h"

bool DefaultOverwrite(std::uint8_t nsInsTyp) { return nsInsTyp == cInsTypUpdate; }

bool DefaultDesktopLink(std::uint8_t nsInsTyp) { return nsInsTyp == cInsTypUpdate && DesktopShortCutExists(); }

bool DefaultAssociation(std::uint8_t nsInsTyp, bool ours, const ustring& owner) {
  // Another program's extension stays with it unless the user ticks the box.
  if (nsInsTyp == cInsTypNew) return owner.empty() || ours;
  return ours;
}

void DefaultChoices(TNewSetup& ns) {
  ns.nsCanOvr = DefaultOverwrite(ns.nsInsTyp);
  ns.nsCutDsk = DefaultDesktopLink(ns.nsInsTyp);
  std::array<bool, cHashExtCount> ours{};
  std::array<ustring, cHashExtCount> owner;
  GetAssocOwners(ours, owner);
  for (std::size_t i = 0; i < cHashExtCount; ++i) ns.nsAssoci[i] = DefaultAssociation(ns.nsInsTyp, ours[i], owner[i]);
}

bool FolderBelowProgramFiles(const ustring& path, ustring& full) {
  full.clear();
  ustring absolute;
  if (Os().GetFullPathNameW(path, absolute) != cErrSuccess || absolute.size() > 260) return false;
  ustring programs;
  if (!GetSpecialFolder(cCsidlProgramFiles, programs)) return false;
  absolute = AddBackslash(absolute);
  const ustring lower = LowerAscii(absolute);
  programs = LowerAscii(AddBackslash(programs));
  if (lower.size() <= programs.size() || lower.compare(0, programs.size(), programs) != 0) return false;
  full = absolute;
  return true;
}

bool ApplyCmdOptions(const TCmdParams& cp, TNewSetup& ns) {
  ns.nsEulAgr = ns.nsEulAgr || cp.cpEulAgr;
  ns.nsCutDsk = ns.nsCutDsk || cp.cpDskIco;
  ns.nsCanOvr = ns.nsCanOvr || cp.cpCanOvr;
  if (cp.cpLanGiv) ns.nsLangua = cp.cpSelLan;
  if (!cp.cpDirGiv || ns.nsInsTyp != cInsTypNew) return true;
  ustring full;
  if (cp.cpInsDir.empty() || !FolderBelowProgramFiles(cp.cpInsDir, full)) return false;
  ns.nsInsLoc = full;
  return true;
}
