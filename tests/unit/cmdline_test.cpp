// The option parser: shapes, letters, values, order and the program path.
#include <gtest/gtest.h>

#include "common/cmdline.h"
#include "common/utils.h"

namespace {

struct TParseCase {
  const char16_t* input;
  bool sil, eul, dsk, ovr;
  int lang;
  const char16_t* exe;
};

void PrintTo(const TParseCase& c, std::ostream* os) { *os << ToUtf8(c.input); }

class ParseCmdLineCases : public testing::TestWithParam<TParseCase> {};

// Each input yields exactly the expected record.
TEST_P(ParseCmdLineCases, YieldsRecord) {
  const TParseCase& c = GetParam();
  const TCmdParams p = ParseCmdLine(c.input);
  EXPECT_EQ(p.cpModSil, c.sil);
  EXPECT_EQ(p.cpEulAgr, c.eul);
  EXPECT_EQ(p.cpDskIco, c.dsk);
  EXPECT_EQ(p.cpCanOvr, c.ovr);
  EXPECT_EQ(p.cpSelLan, c.lang);
  EXPECT_EQ(p.cpPa0Exe, c.exe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseCmdLineCases,
    testing::Values(
        TParseCase{u"", false, false, false, false, 0, u""},
        TParseCase{u"  \t ", false, false, false, false, 0, u""},
        TParseCase{u"\"C:\\Setup Files\\setup.exe\" /L:1 /S:1", true, false, false, false, 1,
                   u"\"C:\\Setup Files\\setup.exe\""},
        TParseCase{u"C:\\Program Files\\Corvalin\\Uninstall.exe /l:1", false, false, false, false, 1,
                   u"C:\\Program Files\\Corvalin\\Uninstall.exe"},
        TParseCase{u"C:\\Program Files\\Corvalin\\Uninstall.exe", false, false, false, false, 0,
                   u"C:\\Program Files\\Corvalin\\Uninstall.exe"},
        TParseCase{u"x /l:5", false, false, false, false, 0, u"x"},
        TParseCase{u"/L:\"1\"", false, false, false, false, 1, u""},
        TParseCase{u"/L:2", false, false, false, false, 0, u""},
        TParseCase{u"/L:10", false, false, false, false, 0, u""},
        TParseCase{u"/L:x", false, false, false, false, 0, u""},
        TParseCase{u"/L:\"\"", false, false, false, false, 0, u""},
        TParseCase{u"/S:0 /S:1", false, false, false, false, 0, u""},
        TParseCase{u"/S:1 /S:0", true, false, false, false, 0, u""},
        TParseCase{u"/E:x", false, false, false, false, 0, u""},
        TParseCase{u"/E:1 /E:11", false, true, false, false, 0, u""},
        TParseCase{u"/I:1 /O:1 /e:1", false, true, true, true, 0, u""},
        TParseCase{u"/S:", false, false, false, false, 0, u""},
        TParseCase{u"/S1", false, false, false, false, 0, u""},
        TParseCase{u"/Q:1", false, false, false, false, 0, u""},
        TParseCase{u"/P:\"any text\" /U:5 /S:1", true, false, false, false, 0, u""},
        TParseCase{u"/L:1/S:1", true, false, false, false, 1, u""},
        TParseCase{u"C:/tools/setup.exe /L:1", false, false, false, false, 1, u"C:"},
        TParseCase{u"prog /L:0 /L:1", false, false, false, false, 0, u"prog"},
        // Starting from a set value tells "set to false" from "left unchanged":
        // the right-hand option is applied first, the left-hand one last.
        TParseCase{u"/E:x /E:1", false, false, false, false, 0, u""},
        TParseCase{u"/E:11 /E:1", false, true, false, false, 0, u""},
        TParseCase{u"/S:x /S:1 /I:x /I:1 /O:x /O:1", false, false, false, false, 0, u""},
        TParseCase{u"/L:2 /L:1", false, false, false, false, 1, u""},
        TParseCase{u"/L:10 /L:1", false, false, false, false, 1, u""},
        TParseCase{u"/L:x /L:1", false, false, false, false, 1, u""},
        TParseCase{u"/L:\"\" /L:1", false, false, false, false, 1, u""}));

struct TGivenCase {
  const char16_t* input;
  bool lanGiven;
  bool dirGiven;
  const char16_t* dir;
  bool logGiven;
  const char16_t* log;
};

void PrintTo(const TGivenCase& c, std::ostream* os) { *os << ToUtf8(c.input); }

class GivenOrNotCases : public testing::TestWithParam<TGivenCase> {};

// Whether /L, /P and /R were given, and the texts of /P and /R (leftmost
// wins, quotes removed, cut at a "/").
TEST_P(GivenOrNotCases, YieldsRecord) {
  const TGivenCase& c = GetParam();
  const TCmdParams p = ParseCmdLine(c.input);
  EXPECT_EQ(p.cpLanGiv, c.lanGiven);
  EXPECT_EQ(p.cpDirGiv, c.dirGiven);
  EXPECT_EQ(p.cpInsDir, c.dir);
  EXPECT_EQ(p.cpLogGiv, c.logGiven);
  EXPECT_EQ(p.cpLogFil, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GivenOrNotCases,
    testing::Values(TGivenCase{u"setup.exe", false, false, u"", false, u""},
                    TGivenCase{u"x /L:0", true, false, u"", false, u""},
                    TGivenCase{u"x /L:2 /L:x", false, false, u"", false, u""},
                    TGivenCase{u"x /P:\"C:\\Program Files\\A B\" /R:\"C:\\My Logs\\s.log\"", false, true,
                               u"C:\\Program Files\\A B", true, u"C:\\My Logs\\s.log"},
                    TGivenCase{u"x /p:C:\\X /P:C:\\Y", false, true, u"C:\\X", false, u""},
                    TGivenCase{u"x /P:\"\"", false, true, u"", false, u""},
                    TGivenCase{u"x /R:l", false, false, u"", true, u"l"},
                    TGivenCase{u"x /P:\"C:\\a/b\"", false, true, u"\"C:\\a", false, u""}));

// A later parse starts from the defaults again.
TEST(ParseCmdLine, StartsFromDefaults) {
  EXPECT_TRUE(ParseCmdLine(u"/S:1").cpModSil);
  EXPECT_FALSE(ParseCmdLine(u"x").cpModSil);
}

}  // namespace
