#include "platform/win32/win32_layout.h"

namespace {
constexpr TCtlId cForm = static_cast<TCtlId>(0);
constexpr int cPageX = 12, cPageY = 68, cPageW = 600, cPageH = 286;
}  // namespace

// Order is creation order, which is also the Tab order: reading order per page.
const TCtlSpec cLayout[] = {
    {idPaMaiTop, TCtlKind::Panel, cForm, 0, 0, 624, 62, csHeaderBand},
    {idImApLogo, TCtlKind::Image, cForm, 8, 7, 48, 48, csNone},
    {idLbTitle, TCtlKind::Label, cForm, 66, 0, 550, 62, csBigTitle},
    {idPaMaiCtl, TCtlKind::Panel, cForm, 0, 360, 624, 40, csHeaderBand},
    {idLbSuVers, TCtlKind::Label, cForm, 106, 370, 314, 20, csSmallItalic | csCenter},

    {idFramWelc, TCtlKind::Frame, cForm, cPageX, cPageY, cPageW, cPageH, csNone},
    {idLbWcTitl, TCtlKind::Label, idFramWelc, 0, 0, 600, 26, csTitle},
    {idLbWcSubj, TCtlKind::Label, idFramWelc, 0, 30, 600, 40, csWrap},
    {idGbWcLang, TCtlKind::Group, idFramWelc, 0, 72, 600, 56, csNone},
    {idCbWcLang, TCtlKind::ComboBox, idFramWelc, 12, 94, 220, 200, csNone},
    {idGbWcNote, TCtlKind::Group, idFramWelc, 0, 132, 600, 124, csNone},
    {idMmWcNote, TCtlKind::Memo, idFramWelc, 12, 152, 576, 96, csMemoSmall},
    {idLbWcNext, TCtlKind::Label, idFramWelc, 0, 262, 600, 22, csRight},

    {idFramLice, TCtlKind::Frame, cForm, cPageX, cPageY, cPageW, cPageH, csNone},
    {idLbLcTitl, TCtlKind::Label, idFramLice, 0, 0, 600, 26, csTitle},
    {idLbLcSubj, TCtlKind::Label, idFramLice, 0, 30, 600, 40, csWrap},
    {idMmLicens, TCtlKind::Memo, idFramLice, 0, 72, 600, 184, csMemoSmall},
    {idCkLcAgre, TCtlKind::CheckBox, idFramLice, 0, 262, 600, 22, csNone},

    {idFramPrep, TCtlKind::Frame, cForm, cPageX, cPageY, cPageW, cPageH, csNone},
    {idLbPpTitl, TCtlKind::Label, idFramPrep, 0, 0, 600, 26, csTitle},
    {idLbPpType, TCtlKind::Label, idFramPrep, 0, 28, 600, 20, csNone},
    {idGbPpFold, TCtlKind::Group, idFramPrep, 0, 50, 600, 52, csNone},
    {idLbPpFold, TCtlKind::Label, idFramPrep, 12, 72, 470, 22, csPathEllipsis},
    {idBtPpFold, TCtlKind::Button, idFramPrep, 494, 69, 94, 25, csNone},
    {idGbPpSCut, TCtlKind::Group, idFramPrep, 0, 104, 600, 48, csNone},
    {idCkPpScSm, TCtlKind::CheckBox, idFramPrep, 12, 124, 250, 22, csNone},
    {idCkPpScDk, TCtlKind::CheckBox, idFramPrep, 300, 124, 250, 22, csNone},
    {idGbPpAsso, TCtlKind::Group, idFramPrep, 0, 154, 600, 104, csNone},
    {idCkPpAsc0, TCtlKind::CheckBox, idFramPrep, 12, 174, 180, 22, csNone},
    {idCkPpAsc1, TCtlKind::CheckBox, idFramPrep, 206, 174, 180, 22, csNone},
    {idCkPpAsc2, TCtlKind::CheckBox, idFramPrep, 400, 174, 180, 22, csNone},
    {idCkPpAsc3, TCtlKind::CheckBox, idFramPrep, 12, 200, 180, 22, csNone},
    {idCkPpAsc4, TCtlKind::CheckBox, idFramPrep, 206, 200, 180, 22, csNone},
    {idCkPpAsc5, TCtlKind::CheckBox, idFramPrep, 400, 200, 180, 22, csNone},
    {idCkPpAsc6, TCtlKind::CheckBox, idFramPrep, 12, 226, 180, 22, csNone},
    {idCkPpAsc7, TCtlKind::CheckBox, idFramPrep, 206, 226, 180, 22, csNone},
    {idLbPpNext, TCtlKind::Label, idFramPrep, 0, 262, 600, 22, csRight},

    {idFramRevi, TCtlKind::Frame, cForm, cPageX, cPageY, cPageW, cPageH, csNone},
    {idLbRvTitl, TCtlKind::Label, idFramRevi, 0, 0, 600, 26, csTitle},
    {idGbReview, TCtlKind::Group, idFramRevi, 0, 28, 600, 230, csNone},
    {idMmReview, TCtlKind::Memo, idFramRevi, 12, 48, 576, 176, csMemoSmall},
    {idCkRvOvwt, TCtlKind::CheckBox, idFramRevi, 12, 230, 576, 22, csNone},
    {idLbRvNext, TCtlKind::Label, idFramRevi, 0, 262, 600, 22, csRight},

    {idFramFini, TCtlKind::Frame, cForm, cPageX, cPageY, cPageW, cPageH, csNone},
    {idLbFiTitl, TCtlKind::Label, idFramFini, 0, 0, 600, 26, csTitle},
    {idMmFiProg, TCtlKind::Memo, idFramFini, 0, 30, 600, 196, csMemoSmall},
    {idCkFiExec, TCtlKind::CheckBox, idFramFini, 0, 232, 300, 22, csNone},
    {idLbFiUser, TCtlKind::Label, idFramFini, 304, 234, 296, 20, csBoldUnderline},
    {idLbFiNext, TCtlKind::Label, idFramFini, 0, 262, 600, 22, csRight},

    {idBtFrCanc, TCtlKind::Button, cForm, 8, 368, 90, 25, csNone},
    {idBtFrBack, TCtlKind::Button, cForm, 428, 368, 90, 25, csNone},
    {idBtFrNext, TCtlKind::Button, cForm, 526, 368, 90, 25, csNone},
};
const int cLayoutCount = static_cast<int>(sizeof cLayout / sizeof cLayout[0]);
