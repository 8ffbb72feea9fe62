#include "app/su_fm_fini.h"

#include "catalogue/joined_texts.h"
#include "catalogue/texts.h"
#include "engine/startup.h"

TFramFini::TFramFini(IFormView& form)
    : frame(form.Control(idFramFini)),
      lbFiTitl(form.Control(idLbFiTitl)),
      paFinish(form.Control(idPaFinish)),
      mmFiProg(form.Control(idMmFiProg)),
      paFiExec(form.Control(idPaFiExec)),
      ckFiExec(form.Control(idCkFiExec)),
      lbFiUser(form.Control(idLbFiUser)),
      lbFiNext(form.Control(idLbFiNext)) {}

void TFramFini::Init() {
  mmFiProg.ClearLines();
  ckFiExec.Tag = 1;
  ckFiExec.SetChecked(false);
  ckFiExec.Tag = 0;
}

void TFramFini::SetLanguage(TSuLang lang) {
  lbFiTitl.SetCaption(cTxFiTitle[lang]);
  ckFiExec.SetCaption(RunNowCaption(lang));
  lbFiUser.SetCaption(GetLogonUserName());
  lbFiNext.SetCaption(cTxFiHint[lang]);
  mmFiProg.ClearLines();
}
