#include "app/su_fm_prep.h"

#include "app/setup_defaults.h"
#include "catalogue/identity.h"
#include "catalogue/joined_texts.h"
#include "catalogue/registry_tables.h"
#include "catalogue/texts.h"
#include "shell/reg_tools.h"
#include "shell/shortcuts.h"

TFramPrep::TFramPrep(IFormView& form)
    : frame(form.Control(idFramPrep)),
      lbPpTitl(form.Control(idLbPpTitl)),
      btPpFold(form.Control(idBtPpFold)),
      ckPpScDk(form.Control(idCkPpScDk)),
      ckPpScSm(form.Control(idCkPpScSm)),
      lbPpNext(form.Control(idLbPpNext)),
      gbPpFold(form.Control(idGbPpFold)),
      lbPpFold(form.Control(idLbPpFold)),
      gbPpSCut(form.Control(idGbPpSCut)),
      lbPpType(form.Control(idLbPpType)),
      gbPpAsso(form.Control(idGbPpAsso)),
      ckPpAsc{&form.Control(idCkPpAsc0), &form.Control(idCkPpAsc1), &form.Control(idCkPpAsc2),
              &form.Control(idCkPpAsc3), &form.Control(idCkPpAsc4), &form.Control(idCkPpAsc5),
              &form.Control(idCkPpAsc6), &form.Control(idCkPpAsc7)} {}

void GetAssocOwners(std::array<bool, cHashExtCount>& ours, std::array<ustring, cHashExtCount>& owner) {
  for (std::size_t i = 0; i < cHashExtCount; ++i) {
    ustring value;
    if (ReadRootString(cHkeyLocalMachine, ustring(RegBases[0].rbKeyPat) + u"\\" + HashExts[i], u"", value)) {
      ours[i] = value == cProgId;
      owner[i] = ours[i] ? ustring(cProductName) : value;
    } else {
      ours[i] = false;
      owner[i].clear();
    }
  }
}

void TFramPrep::Init(const TNewSetup& ns, std::function<void()> onFolderClick) {
  btPpFold.OnClick = std::move(onFolderClick);
  lbPpFold.SetCaption(ns.nsInsLoc);
  // Start-menu shortcuts are always made: the box only says so.
  ckPpScSm.SetChecked(true);
  ckPpScSm.SetEnabled(false);
  ckPpScDk.Tag = 1;
  ckPpScDk.SetChecked(false);
  if (DefaultDesktopLink(ns.nsInsTyp)) {
    ckPpScDk.SetChecked(true);
    ckPpScDk.SetEnabled(false);
  }
  ckPpScDk.Tag = 0;

  std::array<bool, cHashExtCount> ours{};
  std::array<ustring, cHashExtCount> owner;
  GetAssocOwners(ours, owner);
  for (std::size_t i = 0; i < cHashExtCount; ++i) {
    IControl& box = *ckPpAsc[i];
    ustring caption = HashExts[i];
    if (!owner[i].empty()) caption += u" (" + owner[i] + u")";
    box.SetCaption(caption);
    box.Tag = 1;
    box.SetChecked(DefaultAssociation(ns.nsInsTyp, ours[i], owner[i]));
    // In an update an existing association stays; the others may be added.
    box.SetEnabled(ns.nsInsTyp == cInsTypNew || !ours[i]);
    box.Tag = 0;
  }
}

void TFramPrep::SetLanguage(TSuLang lang, std::uint8_t nsInsTyp) {
  lbPpTitl.SetCaption(cTxPpTitle[lang]);
  lbPpType.SetCaption(InstallTypeLabel(lang, nsInsTyp == cInsTypUpdate));
  gbPpFold.SetCaption(cTxPpFolder[lang]);
  btPpFold.SetCaption(cTxPpChange[lang]);
  gbPpSCut.SetCaption(cTxPpShortcuts[lang]);
  ckPpScSm.SetCaption(cTxPpStartMenu[lang]);
  ckPpScDk.SetCaption(cTxPpDesktop[lang]);
  gbPpAsso.SetCaption(cTxPpAssocs[lang]);
  lbPpNext.SetCaption(cTxPpHint[lang]);
}
