// The bilingual texts: joined texts, messages by status code and the
// details of wording that the pages rely on.
#include <gtest/gtest.h>

#include <functional>

#include "catalogue/hash_exts.h"
#include "catalogue/joined_texts.h"
#include "catalogue/setup_msgs.h"
#include "catalogue/texts.h"
#include "common/utils.h"

namespace {

struct TJoinCase {
  const char* what;
  std::function<ustring(TSuLang)> compose;
  const char16_t* english;
  const char16_t* german;
};

}  // namespace

// Every joined text comes out exactly, spaces and umlauts included, in both languages.
TEST(JoinedTextsTest, ComposeExactly) {
  const TJoinCase cases[] = {
      {"caption", [](TSuLang) { return WindowCaption(); }, u"Setup - Corvalin", u"Setup - Corvalin"},
      {"welcome title", WelcomeTitle, u"Welcome to the setup of Corvalin", u"Willkommen beim Setup für Corvalin"},
      {"welcome subject", WelcomeSubject,
       u"This wizard will help you to install Corvalin on your computer. Please close all programs before you "
       u"continue.",
       u"Dieser Wizard wird Ihnen dabei helfen, Corvalin auf Ihrem Computer zu installieren. Bitte beenden Sie alle "
       u"Programme, bevor Sie fortfahren."},
      {"wrong platform", WrongPlatformNote,
       u"Error: This version of Corvalin is designed for Windows 64 bit. The correct version for your operating "
       u"system (x86) is available at https://www.corvalin.example/Download",
       u"Fehler: Diese Version von Corvalin wurde für Windows 64 bit erstellt. Die richtige Version für Ihr "
       u"Betriebssystem (x86) ist verfügbar unter https://www.corvalin.example/Download"},
      {"uninstall first", UninstallFirstNote,
       u"Please uninstall the existing version and restart setup.\r\n - User specific settings will be taken over, "
       u"if exist.",
       u"Bitte deinstallieren Sie die existierende Version und starten Setup erneut.\r\n - Benutzerdefinierte "
       u"Einstellungen werden übernommen, falls vorhanden."},
      {"new installation", [](TSuLang l) { return InstallTypeLabel(l, false); },
       u"Installation type: New installation", u"Installationstyp: Neue Installation"},
      {"update installation", [](TSuLang l) { return InstallTypeLabel(l, true); },
       u"Installation type: Update installation - replaces files, no change of settings.",
       u"Installationstyp: Update Installation - ersetzt Dateien, keine Veränderung bei den Einstellungen."},
      {"run now", RunNowCaption, u"Run Corvalin now as user: ", u"Jetzt Corvalin ausführen als: "},
  };
  for (const TJoinCase& c : cases) {
    EXPECT_EQ(c.compose(cLangEnglish), c.english) << c.what;
    EXPECT_EQ(c.compose(cLangGerman), c.german) << c.what;
  }
}

// The registry description is the language's sentence followed directly by the 288-character list.
TEST(JoinedTextsTest, ApplicationDescriptionEndsWithTheAlgorithmList) {
  const ustring english = ApplicationDescription(cLangEnglish);
  const ustring german = ApplicationDescription(cLangGerman);
  const ustring englishHead =
      u"Corvalin is a tool for creating and validating file hash values. The following file extensions are used for "
      u"hash files:\r\n\r\n.blk:\tBLAKE2S-256, ";
  const ustring germanHead =
      u"Corvalin ist ein Werkzeug zur Erstellung und Validierung von Datei-Hashwerten. Die folgenden "
      u"Datei-Erweiterungen werden für Hashdateien verwendet:\r\n\r\n.blk:\t";
  EXPECT_EQ(english.substr(0, englishHead.size()), englishHead);
  EXPECT_EQ(german.substr(0, germanHead.size()), germanHead);
  EXPECT_EQ(english.substr(english.size() - 288), AlgoListText);
  EXPECT_EQ(german.substr(german.size() - 288), AlgoListText);
  const ustring lastLine = u"\r\n.xxh:\tXXH32, XXH64";
  EXPECT_EQ(english.substr(english.size() - lastLine.size()), lastLine);
}

// Codes just outside 28..47 have no message; the ends of the range give the first and last texts.
TEST(SetupMsgsTest, MessageByCodeCoversExactly28To47) {
  struct TCase {
    int code;
    const char16_t* english;
    const char16_t* german;
  };
  const TCase cases[] = {
      {27, u"", u""},
      {28, u"Error while determining the menu path.", u"Fehler bei der Ermittlung des Menüpfades."},
      {37, u"All settings OK.", u"Alle Einstellungen in Ordnung."},
      {47, u"Unexpected error occured", u"Ein unerwarteter Fehler trat auf."},
      {48, u"", u""},
      {0, u"", u""},
      {-1, u"", u""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(SetupMsgText(c.code, cLangEnglish), c.english) << c.code;
    EXPECT_EQ(SetupMsgText(c.code, cLangGerman), c.german) << c.code;
  }
}

// Every code in the range has a text in both languages.
TEST(SetupMsgsTest, EveryCodeHasBothLanguages) {
  for (int code = cFirstMsgCode; code <= cLastMsgCode; ++code) {
    EXPECT_FALSE(SetupMsgText(code, cLangEnglish).empty()) << code;
    EXPECT_FALSE(SetupMsgText(code, cLangGerman).empty()) << code;
  }
}

// A step label and its result word join with exactly one space after the ellipsis.
TEST(SetupMsgsTest, StepLabelJoinsWithResultWord) {
  EXPECT_EQ(SetupMsgText(38, cLangEnglish) + StepResults[1][cLangEnglish], u"Preparing installation ... OK");
  EXPECT_EQ(SetupMsgText(41, cLangGerman) + StepResults[2][cLangGerman], u"Erstelle Verknüpfungen ... Fehlerhaft");
  EXPECT_EQ(SetupMsgText(43, cLangEnglish) + PkgProgress[1][cLangEnglish], u"Installing context menu entries - queued ... ");
  EXPECT_EQ(SetupMsgText(44, cLangGerman) + PkgStates[2][cLangGerman], u"Installation von Kontextmenüeinträgen: Durchgeführt");
}

// Index 0 of the result and state tables is empty, never the word of index 1.
TEST(SetupMsgsTest, IndexZeroWordsAreEmpty) {
  for (TSuLang lang : {cLangEnglish, cLangGerman}) {
    EXPECT_EQ(StepResults[0][lang], u"");
    EXPECT_EQ(PkgStates[0][lang], u"");
    EXPECT_FALSE(StepResults[1][lang].empty());
    EXPECT_FALSE(PkgStates[1][lang].empty());
  }
  EXPECT_EQ(PkgProgress[0][cLangEnglish], u" ... ");
}

// The German accept text has no full stop while the English one has.
TEST(TextsTest, AcceptTextFullStopOnlyInEnglish) {
  EXPECT_EQ(cTxLcAccept[cLangEnglish], u"I accept the license agreement.");
  EXPECT_EQ(cTxLcAccept[cLangGerman], u"Ich akzeptiere den Lizenzvertrag");
}

// Pieces that are joined keep their edge spaces in both languages, so joins need no extra blanks.
TEST(TextsTest, PiecesKeepTheirEdgeSpaces) {
  struct TCase {
    const TLangText* piece;
    bool leading;
    bool trailing;
  };
  const TCase cases[] = {{&cTxCaptionPrefix, false, true}, {&cTxWcTitle, false, true},
                         {&cTxWcSubject1, false, true},    {&cTxWcSubject2, true, false},
                         {&cTxWcPlatform1, false, true},   {&cTxWcPlatform2, true, true},
                         {&cTxWcPlatform3, true, false},   {&cTxWcPlatform4, false, true},
                         {&cTxPpTypeLabel, false, true},   {&cTxFiRunNow1, false, true},
                         {&cTxFiRunNow2, true, true}};
  for (const TCase& c : cases)
    for (TSuLang lang : {cLangEnglish, cLangGerman}) {
      const ustring text = (*c.piece)[lang];
      EXPECT_EQ(text.front() == u' ', c.leading) << ToUtf8(text);
      EXPECT_EQ(text.back() == u' ', c.trailing) << ToUtf8(text);
    }
}

// The second piece of the uninstall note begins with its own line break.
TEST(TextsTest, UninstallSecondPieceStartsANewLine) {
  for (TSuLang lang : {cLangEnglish, cLangGerman}) EXPECT_EQ(cTxWcUninstall2[lang].substr(0, 3), u"\r\n ");
}

// The language box lists the languages in TSuLang order.
TEST(TextsTest, LanguageNamesInLanguageOrder) {
  EXPECT_EQ(ustring(LangNames[cLangEnglish]), u"English");
  EXPECT_EQ(ustring(LangNames[cLangGerman]), u"German");
}
