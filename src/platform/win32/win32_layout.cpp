#include "platform/win32/win32_layout.h"

namespace {
constexpr TCtlId cForm = static_cast<TCtlId>(0);
// Page frames: the page area less its margins.
constexpr int cPageX = 12, cPageY = 8, cPageW = 600, cPageH = 282;
constexpr unsigned cFill = anGrowW | anGrowH;
}  // namespace

// Order is creation order, which is also the Tab order: reading order per
// page, then the button bar from left to right.
const TLayoutEntry cLayout[] = {
    {idScrlSetu, cForm, 0, 0, 624, 400, cFill, csNone},
    {idPaMaiTop, idScrlSetu, 0, 0, 624, 62, anGrowW, csBand},
    {idPnApLogo, idPaMaiTop, 8, 7, 48, 48, anNone, csBand},
    {idImApLogo, idPnApLogo, 0, 0, 48, 48, anNone, csBand},
    {idLbTitle, idPaMaiTop, 68, 0, 548, 58, anGrowW, csBigTitle | csBand},
    {idPaMaiFrm, idScrlSetu, 0, 62, 624, 298, cFill, csNone},

    {idFramWelc, idPaMaiFrm, cPageX, cPageY, cPageW, cPageH, cFill, csNone},
    {idLbWcTitl, idFramWelc, 0, 0, 600, 24, anGrowW, csTitle},
    {idLbWcSubj, idFramWelc, 0, 28, 600, 40, anGrowW, csWrap},
    {idGbWcLang, idFramWelc, 0, 72, 600, 58, anGrowW, csNone},
    {idCbWcLang, idFramWelc, 12, 94, 240, 26, anNone, csNone},
    {idGbWcNote, idFramWelc, 0, 136, 600, 116, cFill, csNone},
    {idMmWcNote, idFramWelc, 12, 158, 576, 86, cFill, csMemoSmall},
    {idLbWcNext, idFramWelc, 0, 260, 600, 22, anGrowW | anMoveY, csRight},

    {idFramLice, idPaMaiFrm, cPageX, cPageY, cPageW, cPageH, cFill, csNone},
    {idLbLcTitl, idFramLice, 0, 0, 600, 24, anGrowW, csTitle},
    // Three lines: the German subject needs them at the smallest width.
    {idLbLcSubj, idFramLice, 0, 28, 600, 48, anGrowW, csWrap},
    {idMmLicens, idFramLice, 0, 80, 600, 174, cFill, csMemoSmall},
    {idCkLcAgre, idFramLice, 0, 260, 600, 22, anGrowW | anMoveY, csNone},

    {idFramPrep, idPaMaiFrm, cPageX, cPageY, cPageW, cPageH, cFill, csNone},
    {idLbPpTitl, idFramPrep, 0, 0, 600, 24, anGrowW, csTitle},
    {idLbPpType, idFramPrep, 0, 26, 600, 36, anGrowW, csWrap},
    // Folder and shortcuts share a row, so that the page fits the smallest
    // content; the room a larger window gives is left above the hint.
    {idGbPpFold, idFramPrep, 0, 64, 452, 66, anGrowW, csNone},
    {idLbPpFold, idFramPrep, 12, 90, 326, 22, anGrowW, csPathEllipsis},
    {idBtPpFold, idFramPrep, 346, 88, 94, 25, anMoveX, csNone},
    {idGbPpSCut, idFramPrep, 460, 64, 140, 66, anMoveX, csNone},
    {idCkPpScSm, idFramPrep, 472, 82, 116, 22, anMoveX, csNone},
    {idCkPpScDk, idFramPrep, 472, 104, 116, 22, anMoveX, csNone},
    {idGbPpAsso, idFramPrep, 0, 132, 600, 86, anGrowW, csNone},
    {idPaPpAsE1, idFramPrep, 12, 150, 576, 22, anGrowW, csNone},
    {idCkPpAsc0, idPaPpAsE1, 0, 0, 180, 22, anShareW, csNone},
    {idCkPpAsc1, idPaPpAsE1, 194, 0, 180, 22, anShareW, csNone},
    {idCkPpAsc2, idPaPpAsE1, 388, 0, 180, 22, anShareW, csNone},
    {idPaPpAsE2, idFramPrep, 12, 172, 576, 22, anGrowW, csNone},
    {idCkPpAsc3, idPaPpAsE2, 0, 0, 180, 22, anShareW, csNone},
    {idCkPpAsc4, idPaPpAsE2, 194, 0, 180, 22, anShareW, csNone},
    {idCkPpAsc5, idPaPpAsE2, 388, 0, 180, 22, anShareW, csNone},
    {idPaPpAsE3, idFramPrep, 12, 194, 576, 22, anGrowW, csNone},
    {idCkPpAsc6, idPaPpAsE3, 0, 0, 180, 22, anShareW, csNone},
    {idCkPpAsc7, idPaPpAsE3, 194, 0, 180, 22, anShareW, csNone},
    {idLbPpNext, idFramPrep, 0, 260, 600, 22, anGrowW | anMoveY, csRight},

    {idFramRevi, idPaMaiFrm, cPageX, cPageY, cPageW, cPageH, cFill, csNone},
    {idLbRvTitl, idFramRevi, 0, 0, 600, 24, anGrowW, csTitle},
    {idGbReview, idFramRevi, 0, 28, 600, 226, cFill, csNone},
    {idMmReview, idFramRevi, 12, 50, 576, 172, cFill, csMemoSmall},
    {idCkRvOvwt, idFramRevi, 12, 226, 576, 22, anGrowW | anMoveY, csNone},
    {idLbRvNext, idFramRevi, 0, 260, 600, 22, anGrowW | anMoveY, csRight},

    {idFramFini, idPaMaiFrm, cPageX, cPageY, cPageW, cPageH, cFill, csNone},
    {idLbFiTitl, idFramFini, 0, 0, 600, 24, anGrowW, csTitle},
    {idPaFinish, idFramFini, 0, 28, 600, 228, cFill, csNone},
    {idMmFiProg, idPaFinish, 0, 0, 600, 200, cFill, csMemoSmall},
    {idPaFiExec, idPaFinish, 0, 204, 600, 24, anGrowW | anMoveY, csNone},
    {idCkFiExec, idPaFiExec, 0, 1, 300, 22, anNone, csAutoWidth},
    {idLbFiUser, idPaFiExec, 304, 1, 296, 22, anGrowW, csBoldUnderline | csFollows | csMiddle},
    {idLbFiNext, idFramFini, 0, 260, 600, 22, anGrowW | anMoveY, csRight},

    {idPaMaiCtl, idScrlSetu, 0, 360, 624, 40, anGrowW | anMoveY, csBand},
    {idBtFrCanc, idPaMaiCtl, 8, 8, 90, 25, anNone, csBand},
    {idLbSuVers, idPaMaiCtl, 106, 10, 314, 20, anGrowW, csSmallItalic | csCenter | csBand},
    {idBtFrBack, idPaMaiCtl, 428, 8, 90, 25, anMoveX, csBand},
    {idBtFrNext, idPaMaiCtl, 526, 8, 90, 25, anMoveX, csBand},
};
const int cLayoutCount = static_cast<int>(sizeof cLayout / sizeof cLayout[0]);

const TLayoutEntry* LayoutOf(TCtlId id) {
  for (int i = 0; i < cLayoutCount; ++i)
    if (cLayout[i].id == id) return &cLayout[i];
  return nullptr;
}
