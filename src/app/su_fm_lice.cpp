#include "app/su_fm_lice.h"

#include "app/su_pay_text.h"
#include "catalogue/payload_files.h"
#include "catalogue/texts.h"

TFramLice::TFramLice(IFormView& form)
    : frame(form.Control(idFramLice)),
      lbLcTitl(form.Control(idLbLcTitl)),
      lbLcSubj(form.Control(idLbLcSubj)),
      mmLicens(form.Control(idMmLicens)),
      ckLcAgre(form.Control(idCkLcAgre)) {}

void TFramLice::Init(std::function<void()> onAgreeClick) {
  mmLicens.ClearLines();
  ckLcAgre.Tag = 1;
  ckLcAgre.SetChecked(false);
  ckLcAgre.Tag = 0;
  ckLcAgre.OnClick = std::move(onAgreeClick);
}

void TFramLice::SetLanguage(TSuLang lang) {
  lbLcTitl.SetCaption(cTxLcTitle[lang]);
  lbLcSubj.SetCaption(cTxLcSubject[lang]);
  LoadPayloadText(mmLicens, cPayLicenseFirst + lang);
  ckLcAgre.SetCaption(cTxLcAccept[lang]);
}
