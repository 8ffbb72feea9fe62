#include "app/su_too_dlg.h"

#include "app/setup_form.h"
#include "catalogue/identity.h"
#include "catalogue/texts.h"
#include "shell/win_shl_to.h"

namespace {

// Owns a shell item and frees it with the shell allocator.
class TShellItem {
 public:
  explicit TShellItem(TItemId item = 0) : item_(item) {}
  ~TShellItem() {
    if (item_ != 0) Os().Ui().CoTaskMemFree(item_);
  }
  TShellItem(const TShellItem&) = delete;
  TShellItem& operator=(const TShellItem&) = delete;
  TItemId get() const { return item_; }
  TItemId* out() { return &item_; }

 private:
  TItemId item_;
};

}  // namespace

int BrowseCallback(THwnd dialog, std::uint32_t message, std::intptr_t, std::intptr_t info) {
  if (message != cBffmInitialized || info == 0) return 0;
  const TDlgInfo copy = *reinterpret_cast<const TDlgInfo*>(info);
  IUi& ui = Os().Ui();
  ui.SendMessageW(dialog, cWmSetIcon, cIconBig, static_cast<std::intptr_t>(copy.dgAppIco));
  ui.SendMessageW(dialog, cWmSetText, 0, reinterpret_cast<std::intptr_t>(copy.dgTitle.c_str()));
  ui.SendMessageW(dialog, cBffmSetOkText, 0, reinterpret_cast<std::intptr_t>(copy.dgBtnSel.c_str()));
  return 0;
}

bool BrowseForFolder(const TDlgInfo& info, ustring& path) {
  path.clear();
  IUi& ui = Os().Ui();
  TShellItem root;
  // Without the root item the chooser starts at the top of the namespace.
  if (ui.SHGetSpecialFolderLocation(info.dgFormHd, cCsidlProgramFiles, *root.out()) < 0) *root.out() = 0;
  std::uint32_t flags = cBifReturnOnlyFsDirs | cBifNoTranslateTargets;
  ustring desktop;
  if (GetSpecialFolder(cCsidlDesktop, desktop)) flags |= cBifNewDialogStyle;
  char16_t displayName[261] = {};
  TShellItem chosen(ui.SHBrowseForFolderW(info.dgFormHd, root.get(), displayName, info.dgSubjec, flags,
                                          &BrowseCallback, reinterpret_cast<std::intptr_t>(&info)));
  if (chosen.get() == 0) return false;
  char16_t buffer[261] = {};
  if (ui.SHGetPathFromIDListW(chosen.get(), buffer)) path = buffer;  // up to the first NUL
  return !path.empty();
}

void TfmSetup::FramPrep1btPpFoldClick() {
  // An update keeps its folder.
  if (fmNewSet.nsInsTyp != cInsTypNew) return;
  const TSuLang lang = fmNewSet.nsLangua;
  TDlgInfo info;
  info.dgFormHd = view_.Handle();
  info.dgAppIco = view_.IconHandle();
  info.dgTitle = cProductName;
  info.dgSubjec = cTxPpDlgSubject[lang];
  info.dgBtnSel = cTxPpDlgSelect[lang];
  ustring path;
  if (BrowseForFolder(info, path) && path != FramPrep1.lbPpFold.Caption()) {
    FramPrep1.lbPpFold.SetCaption(path);
    UpdatePageState();
  }
}
