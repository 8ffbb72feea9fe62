#include "app/su_fm_welc.h"

#include "app/su_pay_text.h"
#include "catalogue/joined_texts.h"
#include "catalogue/payload_files.h"
#include "catalogue/texts.h"
#include "common/utils.h"

TFramWelc::TFramWelc(IFormView& form)
    : frame(form.Control(idFramWelc)),
      lbWcTitl(form.Control(idLbWcTitl)),
      lbWcSubj(form.Control(idLbWcSubj)),
      cbWcLang(form.Control(idCbWcLang)),
      gbWcLang(form.Control(idGbWcLang)),
      gbWcNote(form.Control(idGbWcNote)),
      mmWcNote(form.Control(idMmWcNote)),
      lbWcNext(form.Control(idLbWcNext)) {}

void TFramWelc::Init(TSuLang lang, std::function<void()> onLangSelect) {
  cbWcLang.OnClick = std::move(onLangSelect);
  cbWcLang.ClearLines();
  for (const char16_t* name : LangNames) cbWcLang.AddLine(name);
  cbWcLang.SetItemIndex(lang);
  mmWcNote.ClearLines();
}

ustring StartupNote(std::uint8_t code, TSuLang lang) {
  switch (code) {
    case 0: return cTxWcNoHints[lang];
    case 1: return WrongPlatformNote(lang);
    case 2: return cTxWcDamaged[lang];
    case 3: return cTxWcNoPrivileges[lang];
    case 4: return UninstallFirstNote(lang);
    case 5: return cTxWcNoSysPath[lang];
    case 6: return cTxWcNoProgFolder[lang];
    default: return ustring();
  }
}

void TFramWelc::SetLanguage(TSuLang lang, std::uint8_t stStaCod) {
  lbWcTitl.SetCaption(WelcomeTitle(lang));
  lbWcSubj.SetCaption(WelcomeSubject(lang));
  gbWcLang.SetCaption(cTxWcLangBox[lang]);
  gbWcNote.SetCaption(cTxWcNotesBox[lang]);
  // Once a task has run the notes stay as they are.
  if (stStaCod <= 6) {
    if (stStaCod == 0) LoadPayloadText(mmWcNote, cPayReadMeFirst + lang);
    else mmWcNote.ClearLines();
    if (mmWcNote.LineCount() == 0) {
      mmWcNote.SetLines(SplitCrLf(StartupNote(stStaCod, lang)));
    }
  }
  lbWcNext.SetCaption(cTxWcHint[lang]);
}
