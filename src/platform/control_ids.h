// Stable ids of the wizard's controls: the Win32 view gives each control this
// id (GetDlgItem finds it), the headless view keys its controls by it, and the
// end-to-end driver uses the same numbers from outside the process.
#pragma once

enum TCtlId : int {
  // form
  idBtFrCanc = 1001, idBtFrNext, idBtFrBack, idLbTitle, idLbSuVers, idImApLogo,
  idPaMaiTop, idPaMaiFrm, idPaMaiCtl, idPnApLogo, idScrlSetu,
  // Welcome
  idLbWcTitl = 1101, idLbWcSubj, idGbWcLang, idCbWcLang, idGbWcNote, idMmWcNote, idLbWcNext,
  // License
  idLbLcTitl = 1201, idLbLcSubj, idMmLicens, idCkLcAgre,
  // Prepare
  idLbPpTitl = 1301, idBtPpFold, idCkPpScDk, idCkPpScSm, idLbPpNext, idGbPpFold, idLbPpFold, idGbPpSCut,
  idLbPpType, idGbPpAsso, idPaPpAsE1, idPaPpAsE2, idPaPpAsE3,
  idCkPpAsc0, idCkPpAsc1, idCkPpAsc2, idCkPpAsc3, idCkPpAsc4, idCkPpAsc5, idCkPpAsc6, idCkPpAsc7,
  // Review
  idLbRvTitl = 1401, idGbReview, idMmReview, idCkRvOvwt, idLbRvNext,
  // Finish
  idLbFiTitl = 1501, idPaFinish, idMmFiProg, idPaFiExec, idCkFiExec, idLbFiUser, idLbFiNext,
  // page frames (containers)
  idFramWelc = 1901, idFramLice, idFramPrep, idFramRevi, idFramFini,
};

// What kind of control an id names; the Win32 view creates that window class,
// the headless view gives it the matching behaviour (a click toggles a check box).
enum class TCtlKind { Panel, Frame, Label, Button, CheckBox, ComboBox, Memo, Group, Image };

constexpr TCtlKind KindOf(TCtlId id) {
  switch (id) {
    case idBtFrCanc: case idBtFrNext: case idBtFrBack: case idBtPpFold:
      return TCtlKind::Button;
    case idCkLcAgre: case idCkPpScDk: case idCkPpScSm: case idCkRvOvwt: case idCkFiExec:
    case idCkPpAsc0: case idCkPpAsc1: case idCkPpAsc2: case idCkPpAsc3:
    case idCkPpAsc4: case idCkPpAsc5: case idCkPpAsc6: case idCkPpAsc7:
      return TCtlKind::CheckBox;
    case idCbWcLang:
      return TCtlKind::ComboBox;
    case idMmWcNote: case idMmLicens: case idMmReview: case idMmFiProg:
      return TCtlKind::Memo;
    case idGbWcLang: case idGbWcNote: case idGbPpFold: case idGbPpSCut: case idGbPpAsso: case idGbReview:
      return TCtlKind::Group;
    case idFramWelc: case idFramLice: case idFramPrep: case idFramRevi: case idFramFini:
      return TCtlKind::Frame;
    case idPaMaiTop: case idPaMaiFrm: case idPaMaiCtl: case idPnApLogo: case idScrlSetu:
    case idPaPpAsE1: case idPaPpAsE2: case idPaPpAsE3: case idPaFinish: case idPaFiExec:
      return TCtlKind::Panel;
    case idImApLogo:
      return TCtlKind::Image;
    default:
      return TCtlKind::Label;
  }
}

// The page frame that holds a page's control (ids 1101..1599), or 0 for the
// form's own controls and the frames themselves.
constexpr TCtlId FrameOf(TCtlId id) {
  const int page = static_cast<int>(id) / 100;  // 11 Welcome .. 15 Finish
  return page >= 11 && page <= 15 ? static_cast<TCtlId>(idFramWelc + (page - 11)) : static_cast<TCtlId>(0);
}

// The control whose caption names, for screen readers, a focusable control
// without a caption of its own (the language box, the memos); 0 for the
// others, whose own caption is their name.
constexpr TCtlId NamingLabelOf(TCtlId id) {
  switch (id) {
    case idCbWcLang: return idGbWcLang;
    case idMmWcNote: return idGbWcNote;
    case idMmLicens: return idLbLcTitl;
    case idMmReview: return idGbReview;
    case idMmFiProg: return idLbFiTitl;
    default: return static_cast<TCtlId>(0);
  }
}
