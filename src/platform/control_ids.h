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
