#include "catalogue/joined_texts.h"

#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/texts.h"

ustring WindowCaption() { return cTxCaptionPrefix[cLangEnglish] + cProductName; }

ustring WelcomeTitle(TSuLang lang) { return cTxWcTitle[lang] + cProductName; }

ustring WelcomeSubject(TSuLang lang) { return cTxWcSubject1[lang] + cProductName + cTxWcSubject2[lang]; }

ustring WrongPlatformNote(TSuLang lang) {
  // This is the 64-bit setup, so the note can only ever name the 32-bit
  // system it was started on; the web address ends with "/" and "Download"
  // becomes its last path segment.
  return cTxWcPlatform1[lang] + cProductName + cTxWcPlatform2[lang] + u"64" + cTxWcPlatform3[lang] + u"x86" +
         cTxWcPlatform4[lang] + cWebAddress + u"Download";
}

ustring UninstallFirstNote(TSuLang lang) { return cTxWcUninstall1[lang] + cTxWcUninstall2[lang]; }

ustring InstallTypeLabel(TSuLang lang, bool update) {
  return cTxPpTypeLabel[lang] + (update ? cTxPpTypeUpdate : cTxPpTypeNew)[lang];
}

ustring RunNowCaption(TSuLang lang) { return cTxFiRunNow1[lang] + cProductName + cTxFiRunNow2[lang]; }

ustring ApplicationDescription(TSuLang lang) { return cTxAppDescription[lang] + AlgoListText; }
