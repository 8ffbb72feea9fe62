// The Welcome page's notes through the real form: the start-up failures the
// emulated system can produce, the read-me of the chosen language, and
// read-mes without a byte-order mark in the system's code page.
#include <gtest/gtest.h>

#include "catalogue/payload_files.h"
#include "support/payload_records.h"
#include "support/wizard_env.h"

namespace {

// No system directory gives start-up code 5, no programs folder code 6: the
// wizard stays on Welcome with the code's note in either language.
TEST_F(WizardTest, NoSystemDirectoryNote) {
  sim.FailFrom("GetSystemDirectoryW", 1, cErrAccessDenied);
  Start();
  ASSERT_EQ(Code(), 5);
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Error while determining the system path."});
  EXPECT_FALSE(Enabled(idBtFrNext));
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Fehler bei der Ermittlung des Systempfades."});
}

TEST_F(WizardTest, NoProgramsFolderNote) {
  sim.specialFolderErrors[cCsidlProgramFiles] = cE_FAIL;
  Start();
  ASSERT_EQ(Code(), 6);
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Error while determining the programs folder."});
  EXPECT_FALSE(Enabled(idBtFrNext));
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Fehler bei der Ermittlung des Ordners für Programme."});
}

// The read-me follows the language: the German record in German, the English
// one again after switching back.
TEST_F(WizardTest, ReadMeOfTheChosenLanguage) {
  sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst)}] = TextRecord({u"Read me first."});
  sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst + 1)}] = TextRecord({u"Bitte zuerst lesen.", u"Zweite Zeile"});
  Start();
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Read me first."});
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 1));
  EXPECT_EQ(Lines(idMmWcNote), (std::vector<ustring>{u"Bitte zuerst lesen.", u"Zweite Zeile"}));
  ASSERT_TRUE(Form().SelectItem(idCbWcLang, 0));
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Read me first."});
}

// An update in German starts with the German read-me.
TEST_F(WizardTest, GermanUpdateStartsWithGermanReadMe) {
  sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst + 1)}] = TextRecord({u"Bitte zuerst lesen."});
  PutEarlierInstallation(true);
  Start();
  EXPECT_EQ(Lines(idMmWcNote), std::vector<ustring>{u"Bitte zuerst lesen."});
}

struct TCodePageCase {
  std::uint32_t codePage;
  std::vector<ustring> lines;
};

class ReadMeWithoutMark : public WizardTest, public testing::WithParamInterface<TCodePageCase> {};

// A read-me without a byte-order mark is read in the system's ANSI code page:
// the same bytes ("Grüße", written as UTF-8) read differently on a Western
// system and on one whose code page is UTF-8.
TEST_P(ReadMeWithoutMark, FollowsTheSystemCodePage) {
  const std::string bytes = "Gr\xC3\xBC\xC3\x9F" "e\r\n\x80";
  sim.resources[{cRtRcData, PayResourceId(cPayReadMeFirst)}] = MakeRecord(TByteVec(bytes.begin(), bytes.end()));
  sim.ansiCodePage = GetParam().codePage;
  Start();
  EXPECT_EQ(Lines(idMmWcNote), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(CodePages, ReadMeWithoutMark,
                         testing::Values(TCodePageCase{1252, {u"GrÃ¼ÃŸe", u"€"}},
                                         TCodePageCase{65001, {u"Grüße", u"\uFFFD"}}));

}  // namespace
