// The shared string, number, path and clock helpers.
#include <gtest/gtest.h>

#include "common/utils.h"
#include "support/sim_fixture.h"

namespace {

struct TTextCase {
  const char16_t* input;
  const char16_t* expected;
};

// AddBackslash appends exactly one backslash, never to an empty text.
TEST(Utils, AddBackslash) {
  for (const TTextCase& c : {TTextCase{u"", u""}, {u"C:", u"C:\\"}, {u"C:\\", u"C:\\"}, {u"a/", u"a/\\"},
                            {u"C:\\Program Files", u"C:\\Program Files\\"}})
    EXPECT_EQ(AddBackslash(c.input), c.expected) << ToUtf8(c.input);
}

// TrimControls drops every code <= 32 at both ends and nothing inside.
TEST(Utils, TrimControls) {
  for (const TTextCase& c : {TTextCase{u"\t \t  ", u""}, {u" /s:1 ", u"/s:1"}, {u"a b", u"a b"}, {u"\x01x\x1f", u"x"},
                            {u"", u""}})
    EXPECT_EQ(TrimControls(c.input), c.expected) << ToUtf8(c.input);
}

// PathOfFile keeps everything up to the last backslash or colon.
TEST(Utils, SplitCrLf) {
  const struct {
    ustring text;
    std::vector<ustring> lines;
  } cases[] = {
      {u"", {u""}},
      {u"one", {u"one"}},
      {u"one\r\ntwo", {u"one", u"two"}},
      {u"one\r\n", {u"one", u""}},
      {u"\r\n\r\n", {u"", u"", u""}},
      {u"a\rb\nc", {u"a\rb\nc"}},     // lone breaks stay in the line
      {u"a\n\r\nb", {u"a\n", u"b"}},  // LF CR LF: the pair ends the line
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCrLf(c.text), c.lines) << ToUtf8(c.text);
}

TEST(Utils, PathOfFile) {
  for (const TTextCase& c : {TTextCase{u"C:\\dir\\file.exe", u"C:\\dir\\"}, {u"C:file", u"C:"}, {u"file", u""},
                            {u"C:", u"C:"}, {u"\\\\server\\share\\x", u"\\\\server\\share\\"}})
    EXPECT_EQ(PathOfFile(c.input), c.expected) << ToUtf8(c.input);
}

// LastCharOf gives the 1-based position of the last character of the set.
TEST(Utils, LastCharOf) {
  EXPECT_EQ(LastCharOf(u".", u"3.0.0.10001"), 6);
  EXPECT_EQ(LastCharOf(u".", u"abc"), 0);
  EXPECT_EQ(LastCharOf(u"/", u""), 0);
  EXPECT_EQ(LastCharOf(u"\\:", u"C:\\a\\b"), 5);
  EXPECT_EQ(LastCharOf(u"\\:", u"C:x"), 2);
}

// FindChar finds the terminator for 0 and nothing for an absent character.
TEST(Utils, FindChar) {
  const char16_t* text = u"abca";
  EXPECT_EQ(FindChar(text, u'c'), text + 2);
  EXPECT_EQ(FindChar(text, u'a'), text);
  EXPECT_EQ(FindChar(text, 0), text + 4);
  EXPECT_EQ(FindChar(text, u'z'), nullptr);
}

// TextToInt64 accepts only whole signed decimal numbers.
TEST(Utils, TextToInt64) {
  struct TCase {
    const char16_t* text;
    bool ok;
    std::int64_t value;
  };
  for (const TCase& c : {TCase{u"0", true, 0}, {u"7", true, 7}, {u"-12", true, -12}, {u"+5", true, 5},
                        {u"x", false, 0}, {u"", false, 0}, {u"-", false, 0}, {u"1a", false, 0}, {u" 1", false, 0},
                        {u"9223372036854775807", true, INT64_MAX}, {u"-9223372036854775808", true, INT64_MIN},
                        {u"9223372036854775808", false, 0}}) {
    std::int64_t v = 99;
    EXPECT_EQ(TextToInt64(c.text, v), c.ok) << ToUtf8(c.text);
    if (c.ok) {
      EXPECT_EQ(v, c.value) << ToUtf8(c.text);
    }
  }
}

// HexOf: upper case, padded to the minimum, never shorter than the value needs.
TEST(Utils, HexOf) {
  EXPECT_EQ(HexOf(std::uint64_t{0x1F}, 8), u"0000001F");
  EXPECT_EQ(HexOf(std::uint64_t{0x1F}, 1), u"1F");
  EXPECT_EQ(HexOf(std::uint64_t{0}, 0), u"0");
  EXPECT_EQ(HexOf(std::uint64_t{255}, 2), u"FF");
  EXPECT_EQ(HexOf(std::uint64_t{256}, 2), u"100");
  EXPECT_EQ(HexOf(std::uint64_t{0xABC}, 0), u"ABC");
  EXPECT_EQ(HexOf(std::uint32_t{0x80070005u}, 8), u"80070005");
  EXPECT_EQ(HexOf(std::int64_t{-1}, 8), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(HexOf(47, 2), u"2F");
}

// DecOfInt and DecOfIntPadded, including the most negative number.
TEST(Utils, DecimalTexts) {
  EXPECT_EQ(DecOfInt(0), u"0");
  EXPECT_EQ(DecOfInt(-5), u"-5");
  EXPECT_EQ(DecOfInt(10001), u"10001");
  EXPECT_EQ(DecOfInt(2147483647), u"2147483647");
  EXPECT_EQ(DecOfInt(INT32_MIN), u"-2147483648");
  EXPECT_EQ(DecOfInt(1000000000), u"1000000000");
  EXPECT_EQ(DecOfInt(99), u"99");
  EXPECT_EQ(DecOfInt(100), u"100");
  EXPECT_EQ(DecOfIntPadded(7, 2), u"07");
  EXPECT_EQ(DecOfIntPadded(2023, 4), u"2023");
  EXPECT_EQ(DecOfIntPadded(123, 2), u"123");
}

// LowerAscii changes A-Z only.
TEST(Utils, LowerAscii) {
  EXPECT_EQ(LowerAscii(u"ÄBC"), u"Äbc");
  EXPECT_EQ(LowerAscii(u"C:\\Program Files\\"), u"c:\\program files\\");
}

// The date stamp and time tag come from the UTC clock of the platform.
TEST_F(SimFixture, UtcDateStampAndTimeTag) {
  sim.utcTime = TSystemTime{2023, 12, 5, 1, 0, 30, 12, 345};
  EXPECT_EQ(UtcDateStamp(), u"2023-12-01");
  EXPECT_EQ(TimeTag(5), 0x31590005u);
  EXPECT_EQ(TimeTag(0x12345), 0x31592345u);
  EXPECT_EQ(HexOf(TimeTag(5), 8) + u".tmp", u"31590005.tmp");
  sim.utcTime = TSystemTime{2026, 1, 1, 9, 23, 59, 59, 999};
  EXPECT_EQ(UtcDateStamp(), u"2026-01-09");
  EXPECT_EQ(TimeTag(0xFFFF), (61415u << 16) | 0xFFFFu);
}

// UTF-8 conversion round-trips text outside the basic plane too.
TEST(Utils, Utf8RoundTrip) {
  const ustring text = u"Zurück \U0001F600 ß";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"Ändern ..."), "\xC3\x84ndern ...");
}

// Ill-formed UTF-8 becomes one U+FFFD per broken piece, and a broken
// sequence never takes the byte that ends it: a line break after a cut
// character stays a line break.
TEST(Utils, Utf8IllFormedPieces) {
  struct TCase {
    std::string bytes;
    ustring text;
  };
  const TCase cases[] = {
      {"a\xC3\r\nb", u"a\uFFFD\r\nb"},           // cut two-byte character before CR LF
      {"\xE2\x82\n", u"\uFFFD\n"},                 // cut three-byte character: one U+FFFD
      {"\x80\xBF", u"\uFFFD\uFFFD"},                // stray continuation bytes
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                // overlong "/": C0 never starts a character
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},     // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},     // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF7\xBF\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // F7 never starts a character
      {"\xF0\x9F\x98", u"\uFFFD"},                 // cut four-byte character at the end
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},          // the last code point is fine
      {"\xEF\xBF\xBD", u"\uFFFD"},                  // and so is U+FFFD itself
  };
  for (const TCase& c : cases) EXPECT_EQ(FromUtf8(c.bytes), c.text) << testing::PrintToString(c.bytes);
}

}  // namespace
