// The wizard's pages on the emulated system: the texts in both languages and
// the language switch, the Welcome notes per start-up code, the association
// and shortcut boxes, an update's pages, the review summary, the byte count
// and the texts taken from the payload.
#include <gtest/gtest.h>

#include <map>

#include "app/su_fm_welc.h"
#include "app/su_fm_revi.h"
#include "app/su_pay_text.h"
#include "catalogue/payload_files.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "support/payload_records.h"
#include "support/wizard_env.h"

namespace {

const ustring kClasses = u"SOFTWARE\\Classes\\";

// Every caption, every line and every state the user can see.
std::map<int, ustring> Snapshot(TSimForm& form) {
  std::map<int, ustring> all;
  all[0] = form.Caption();
  for (int id = idBtFrCanc; id <= idFramFini; ++id) {
    TSimControl& c = form.Sim(static_cast<TCtlId>(id));
    ustring state = c.Caption() + u"|" + (c.Enabled() ? u"e" : u"d") + (c.Checked() ? u"c" : u"u");
    for (const ustring& line : c.Lines()) state += u"|" + line;
    all[id] = state;
  }
  return all;
}

// Switching to German re-texts every page and reloads the licence; switching
// back restores every text exactly, association owners included.
TEST_F(WizardTest, LanguageSwitchThereAndBack) {
  sim.PutString(cHkeyLocalMachine, kClasses + u".md5", u"", u"OtherApp.md5");
  Start();
  const auto english = Snapshot(Form());
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  EXPECT_EQ(Wizard().NewSetup().nsLangua, cLangGerman);
  EXPECT_EQ(Caption(idBtFrNext), u"Weiter");
  EXPECT_EQ(Caption(idBtFrCanc), u"Abbruch");
  EXPECT_EQ(Caption(idBtFrBack), u"Zurück");
  EXPECT_EQ(Caption(idLbWcTitl), u"Willkommen beim Setup für Corvalin");
  EXPECT_EQ(Caption(idGbWcLang), u"Installationssprache:");
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Zur Zeit keine speziellen Hinweise."});
  EXPECT_EQ(Caption(idCkLcAgre), u"Ich akzeptiere den Lizenzvertrag");
  EXPECT_EQ(Lines(idMmLicens), kLicenseDe);
  EXPECT_EQ(Caption(idLbPpType), u"Installationstyp: Neue Installation");
  EXPECT_EQ(Caption(idBtPpFold), u"Ändern ...");
  EXPECT_EQ(Caption(idCkPpScSm), u"Startmenü");
  EXPECT_EQ(Caption(idCkRvOvwt), u"Existierende Dateien ersetzen");
  EXPECT_EQ(Caption(idCkFiExec), u"Jetzt Corvalin ausführen als: ");
  EXPECT_EQ(Caption(idLbFiUser), u"Tester");
  EXPECT_EQ(Caption(idLbFiNext), u"Klicken Sie auf Beenden um den Wizard zu schließen.");
  EXPECT_EQ(Caption(idCkPpAsc1), u".md5 (OtherApp.md5)");
  // The items of the language box stay English.
  EXPECT_EQ(Lines(idCbWcLang), (std::vector<ustring>{u"English", u"German"}));
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 0));
  EXPECT_EQ(Snapshot(Form()), english);
}

// The German choice reaches the pages shown later and the Next captions.
TEST_F(WizardTest, GermanThroughTheWizard) {
  Start();
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  GoToPrepare();
  EXPECT_EQ(Caption(idLbPpNext), u"Klicken Sie auf Weiter, um Ihre Einstellungen zu überprüfen.");
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Caption(idBtFrNext), u"Installieren");
  EXPECT_EQ(Lines(idMmReview).front(), u"Installationstyp: Neue Installation");
  EXPECT_EQ(Lines(idMmReview).back(), u"Alle Einstellungen in Ordnung.");
}

struct TNoteCase {
  int code;
  std::vector<ustring> english;
};

class WelcomeNotes : public testing::TestWithParam<TNoteCase> {};

// The note of each start-up code, two lines for code 4.
TEST_P(WelcomeNotes, NoteOfCode) {
  const ustring note = StartupNote(static_cast<std::uint8_t>(GetParam().code), cLangEnglish);
  ustring joined;
  for (std::size_t i = 0; i < GetParam().english.size(); ++i) joined += (i ? u"\r\n" : u"") + GetParam().english[i];
  EXPECT_EQ(note, joined);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, WelcomeNotes,
    testing::Values(
        TNoteCase{0, {u"No special hints at the moment."}},
        TNoteCase{1,
                  {u"Error: This version of Corvalin is designed for Windows 64 bit. The correct version for your "
                   u"operating system (x86) is available at https://www.corvalin.example/Download"}},
        TNoteCase{2, {u"Error: The setup file is damaged."}},
        TNoteCase{3, {u"Error: Insufficient privileges for running setup."}},
        TNoteCase{4,
                  {u"Please uninstall the existing version and restart setup.",
                   u" - User specific settings will be taken over, if exist."}},
        TNoteCase{5, {u"Error while determining the system path."}},
        TNoteCase{6, {u"Error while determining the programs folder."}}));

// An earlier installation of a newer version: code 4 and its two-line note,
// kept in German too; no page beyond Welcome.
TEST_F(WizardTest, UninstallFirstNoteOnTwoLines) {
  PutEarlierInstallation(false);
  sim.PutDword(cHkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin", u"Version",
               10u << 24 | 2u << 16 | 1u);
  sim.PutString(cHkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin",
                u"DisplayVersion", u"10.02 KQ");
  Start();
  EXPECT_EQ(Code(), 4);
  EXPECT_EQ(Lines(idMmWcNote), (std::vector<ustring>{u"Please uninstall the existing version and restart setup.",
                                                       u" - User specific settings will be taken over, if exist."}));
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  EXPECT_EQ(Lines(idMmWcNote).size(), 2u);
  EXPECT_EQ(Lines(idMmWcNote)[0], u"Bitte deinstallieren Sie die existierende Version und starten Setup erneut.");
  EXPECT_FALSE(Enabled(idBtFrNext));
}

// A read-me with text is shown instead of the note.
TEST_F(WizardTest, ReadMeTextReplacesTheNote) {
  sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst)}] = TextRecord({u"Read me first."});
  Start();
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Read me first."});
}

// The association boxes: ours checked with "(Corvalin)", another program's
// unchecked with its type name, a free one checked; all enabled for a new installation.
TEST_F(WizardTest, AssociationBoxesOfANewInstallation) {
  sim.PutString(cHkeyLocalMachine, kClasses + u".sfv", u"", u"Corvalin.HashFileExt");
  sim.PutString(cHkeyLocalMachine, kClasses + u".md5", u"", u"OtherApp.md5");
  sim.PutString(cHkeyLocalMachine, kClasses + u".sh1", u"", u"corvalin.hashfileext");
  Start();
  EXPECT_EQ(Caption(idCkPpAsc0), u".sfv (Corvalin)");
  EXPECT_TRUE(Ctl(idCkPpAsc0).Checked());
  EXPECT_EQ(Caption(idCkPpAsc1), u".md5 (OtherApp.md5)");
  EXPECT_FALSE(Ctl(idCkPpAsc1).Checked());
  // The product's type name is compared case-sensitively.
  EXPECT_EQ(Caption(idCkPpAsc2), u".sh1 (corvalin.hashfileext)");
  EXPECT_FALSE(Ctl(idCkPpAsc2).Checked());
  EXPECT_EQ(Caption(idCkPpAsc7), u".xxh");
  EXPECT_TRUE(Ctl(idCkPpAsc7).Checked());
  for (int id = idCkPpAsc0; id <= idCkPpAsc7; ++id) EXPECT_TRUE(Enabled(static_cast<TCtlId>(id))) << id;
  EXPECT_TRUE(Ctl(idCkPpScSm).Checked());
  EXPECT_FALSE(Enabled(idCkPpScSm));
  EXPECT_FALSE(Ctl(idCkPpScDk).Checked());
  EXPECT_TRUE(Enabled(idCkPpScDk));
  EXPECT_EQ(Caption(idLbPpType), u"Installation type: New installation");
}

// An update: the earlier language, the update wording, our associations
// checked and locked, the others open, the desktop box following the existing
// shortcut, and the overwrite box checked and locked on Review.
TEST_F(WizardTest, UpdatePages) {
  PutEarlierInstallation(true);
  sim.PutString(cHkeyLocalMachine, kClasses + u".sfv", u"", u"Corvalin.HashFileExt");
  sim.PutString(cHkeyLocalMachine, kClasses + u".md5", u"", u"OtherApp.md5");
  sim.PutFile(u"C:\\Users\\Public\\Desktop\\Corvalin.lnk", "link");
  Start();
  ASSERT_EQ(Wizard().NewSetup().nsInsTyp, cInsTypUpdate);
  EXPECT_EQ(Wizard().NewSetup().nsLangua, cLangGerman);
  EXPECT_EQ(Ctl(idCbWcLang).ItemIndex(), 1);
  EXPECT_EQ(Caption(idLbPpType),
            u"Installationstyp: Update Installation - ersetzt Dateien, keine Veränderung bei den Einstellungen.");
  EXPECT_TRUE(Ctl(idCkPpAsc0).Checked());
  EXPECT_FALSE(Enabled(idCkPpAsc0));
  EXPECT_FALSE(Ctl(idCkPpAsc1).Checked());
  EXPECT_TRUE(Enabled(idCkPpAsc1));
  EXPECT_FALSE(Ctl(idCkPpAsc2).Checked());
  EXPECT_TRUE(Enabled(idCkPpAsc2));
  EXPECT_TRUE(Ctl(idCkPpScDk).Checked());
  EXPECT_FALSE(Enabled(idCkPpScDk));
  EXPECT_TRUE(Ctl(idCkRvOvwt).Checked());
  GoToPrepare();
  sim.HoldThreads();
  Click(idBtFrNext);
  EXPECT_FALSE(Enabled(idCkRvOvwt));
  EXPECT_TRUE(Ctl(idCkRvOvwt).Checked());
  // The overwrite box was set by code: it started no second preparation.
  sim.ReleaseThreads();
  FinishTasks();
  EXPECT_TRUE(Wizard().NewSetup().nsCanOvr);
  EXPECT_EQ(Wizard().NewSetup().nsInsLoc, u"D:\\Tools\\Corvalin\\");
}

// Without the desktop shortcut an update leaves the desktop box open.
TEST_F(WizardTest, UpdateWithoutDesktopShortcut) {
  PutEarlierInstallation(false);
  Start();
  EXPECT_FALSE(Ctl(idCkPpScDk).Checked());
  EXPECT_TRUE(Enabled(idCkPpScDk));
}

// The summary of the choices: with no association chosen the fifth line ends
// after the colon; the desktop shortcut is listed when chosen.
TEST_F(WizardTest, ReviewSummary) {
  Start();
  GoToPrepare();
  for (int id = idCkPpAsc0; id <= idCkPpAsc7; ++id) Click(static_cast<TCtlId>(id));
  Click(idCkPpScDk);
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Lines(idMmReview),
            (std::vector<ustring>{u"Installation type: New installation",
                                  u"Installation folder: C:\\Program Files\\Corvalin\\",
                                  u"Required disk space: " + FormatByteCount(Wizard().NewSetup().nsTotSiz) + u" bytes",
                                  u"Shortcuts: Start menu, Desktop", u"File associations: ", u"",
                                  u"All settings OK."}));
  Click(idBtFrBack);
  Click(idCkPpAsc1);
  Click(idCkPpAsc7);
  Click(idCkPpScDk);
  GoToReviewAndFinishPreparation();
  EXPECT_EQ(Lines(idMmReview)[3], u"Shortcuts: Start menu");
  EXPECT_EQ(Lines(idMmReview)[4], u"File associations: .md5, .xxh");
}

// Byte counts are grouped as the emulated regional settings say (English).
TEST_F(WizardTest, FormatByteCountGroupsThousands) {
  EXPECT_EQ(FormatByteCount(34832476), u"34,832,476");
  EXPECT_EQ(FormatByteCount(999), u"999");
  EXPECT_EQ(FormatByteCount(1000), u"1,000");
  EXPECT_EQ(FormatByteCount(0), u"0");
  EXPECT_EQ(FormatByteCount(34832476), sim.FormatNumberGrouped(34832476.0));
}

// A text record that cannot be read leaves the memo empty and reports false.
TEST_F(WizardTest, UnreadableTextLeavesMemoEmpty) {
  Start();
  TSimControl& memo = Ctl(idMmLicens);
  ASSERT_FALSE(memo.Lines().empty());
  sim.resources.erase({cRtRcData, PayResourceId(cPayLicenseFirst)});
  EXPECT_FALSE(LoadPayloadText(memo, cPayLicenseFirst));
  EXPECT_TRUE(memo.Lines().empty());
  TByteVec damaged = TextRecord(kLicenseDe);
  damaged[14] ^= 0x5A;  // inside the deflate stream, after the 12-byte header
  sim.resources[{cRtRcData, PayResourceId(cPayLicenseFirst + 1)}] = damaged;
  EXPECT_FALSE(LoadPayloadText(memo, cPayLicenseFirst + 1));
  EXPECT_TRUE(memo.Lines().empty());
  EXPECT_TRUE(LoadPayloadText(memo, cPayReadMeFirst));
  EXPECT_TRUE(memo.Lines().empty());
}

struct TDecodeCase {
  const char* name;
  std::string bytes;
  std::vector<ustring> lines;
};

class DecodeText : public testing::TestWithParam<TDecodeCase> {};

// Encodings by byte-order mark and every kind of line break.
TEST_P(DecodeText, Lines) {
  const std::string& b = GetParam().bytes;
  EXPECT_EQ(DecodeTextLines(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodeText,
    testing::Values(TDecodeCase{"bom_only", "\xEF\xBB\xBF", {}},
                    TDecodeCase{"empty", "", {}},
                    TDecodeCase{"utf8_crlf", "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F" "e\r\nzwei\r\n", {u"Grüße", u"zwei"}},
                    TDecodeCase{"empty_lines_kept", "\xEF\xBB\xBF" "a\r\n\r\nb", {u"a", u"", u"b"}},
                    TDecodeCase{"lf_and_cr", "a\nb\rc", {u"a", u"b", u"c"}},
                    TDecodeCase{"utf16le", std::string("\xFF\xFE" "A\0\xE4\0\r\0\n\0" "B\0", 12), {u"Aä", u"B"}},
                    TDecodeCase{"utf16be", std::string("\xFE\xFF\0A\0\n\0B", 8), {u"A", u"B"}},
                    TDecodeCase{"ansi_1252", "\x80 f\xFCr", {u"€ für"}}),
    [](const testing::TestParamInfo<TDecodeCase>& info) { return std::string(info.param.name); });

}  // namespace
