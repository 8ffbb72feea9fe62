#include "shell/shortcuts.h"

#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "shell/com_apartment.h"
#include "shell/win_shl_to.h"

namespace {

constexpr char16_t cLinkExt[] = u".lnk";

// Owns the link object for one CreateShortCut call.
class TShellLinkRef {
 public:
  TShellLinkRef() {
    const std::int32_t hr = Os().ShellLinkCreate(link_);
    if (hr < 0 || link_ == 0) {
      link_ = 0;
      throw EShellLinkCreate(hr < 0 ? hr : cE_NOINTERFACE);
    }
  }
  ~TShellLinkRef() { Os().ShellLinkRelease(link_); }
  TShellLinkRef(const TShellLinkRef&) = delete;
  TShellLinkRef& operator=(const TShellLinkRef&) = delete;
  THandle get() const { return link_; }

 private:
  THandle link_ = 0;
};

}  // namespace

EShellLinkCreate::EShellLinkCreate(std::int32_t code)
    : std::runtime_error("the shell link object could not be created (0x" +
                         ToUtf8(HexOf(static_cast<std::uint32_t>(code), 8)) + ")"),
      code_(code) {}

std::int32_t SaveShellLink(THandle link, const TShortCutInfo& sc, const ustring& folder) {
  if (Os().ShellLinkSetPath(link, AddBackslash(sc.scInsPat) + sc.scExeNam) < 0) return cE_FAIL;
  if (Os().ShellLinkSetWorkingDirectory(link, sc.scInsPat) < 0) return cE_FAIL;
  if (Os().ShellLinkSetDescription(link, sc.scDescri) < 0) return cE_FAIL;
  return Os().ShellLinkSave(link, AddBackslash(folder) + sc.scLnkNam + cLinkExt, false);
}

bool CreateShortCut(TShortCutInfo& sc) {
  TShellLinkRef link;
  std::int32_t hr = SaveShellLink(link.get(), sc, sc.scCutPat);
  if (hr >= 0) ++sc.scCntApp;
  if (hr < 0) return false;
  if (sc.scCreDsk) {
    hr = cE_FAIL;
    ustring desktop;
    if (GetSpecialFolder(cCsidlCommonDesktopDirectory, desktop)) {
      // The same object, saved a second time into the desktop folder.
      hr = SaveShellLink(link.get(), sc, desktop);
      if (hr >= 0) ++sc.scCntDsk;
    }
  }
  return hr >= 0;
}

bool InstallShortCuts(const TNewSetup& ns) {
  ustring programs;
  if (!GetSpecialFolder(cCsidlCommonPrograms, programs)) return false;
  TShortCutInfo sc;
  sc.scCutPat = AddBackslash(programs) + cProductName;
  const std::uint32_t made = CreateFolder(sc.scCutPat);
  if (made == cErrSuccess) {
    NotifyShellPath(cShcneMkdir, sc.scCutPat);
  } else if (made != cErrAlreadyExists) {
    return false;
  }
  if (!ComInitOk(ComInit())) return false;
  TComDoneGuard done;  // also when a link object can't be made and we raise

  bool result = true;
  sc.scInsPat = ns.nsInsLoc;
  sc.scCntDsk = 0;
  sc.scCntApp = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const TCutEntry& entry = CutEntries[i];
    if (entry.ceLnkNam[0] == u'\0') continue;
    sc.scExeNam = PayFiles[i].pfFilNam;
    sc.scLnkNam = entry.ceLnkNam;
    sc.scDescri = entry.ceDescri[ns.nsLangua];
    sc.scCreDsk = i == static_cast<std::size_t>(cCutDesktopEntry) && ns.nsCutDsk;
    if (!CreateShortCut(sc)) result = false;
  }

  if (sc.scCntDsk > 0) {
    ustring desktop;
    if (GetSpecialFolder(cCsidlCommonDesktopDirectory, desktop)) NotifyShellPath(cShcneUpdateDir, desktop);
  }
  if (sc.scCntApp > 0) NotifyShellPath(cShcneUpdateDir, sc.scCutPat);
  return result;
}

bool DesktopShortCutExists() {
  ustring desktop;
  if (!GetSpecialFolder(cCsidlCommonDesktopDirectory, desktop)) return false;
  return FilePresent(AddBackslash(desktop) + CutEntries[cCutDesktopEntry].ceLnkNam + cLinkExt);
}
