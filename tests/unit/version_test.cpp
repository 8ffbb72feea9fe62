// The product version texts and numbers, and the reader of version resources
// running against blocks served by the emulated system.
#include <gtest/gtest.h>

#include <stdexcept>

#include "catalogue/vers_info.h"
#include "catalogue/version.h"
#include "common/utils.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/version_block.h"

namespace {

// A fresh emulated system per test, installed as the backend while the test runs.
class VersionReaderTest : public testing::Test {
 protected:
  void SetUp() override { previous_ = SetOs(&sim_); }
  void TearDown() override { SetOs(previous_); }

  // Serves content as the version resource of `file`.
  void ServeBlock(const ustring& file, const TVersionBlockContent& content) {
    sim_.versionBlocks[LowerAscii(file)] = BuildVersionBlock(content);
  }

  TSimPlatform sim_;
  IPlatform* previous_ = nullptr;
};

const ustring cExe = u"c:\\setup\\corvalin-setup.exe";

TVersionBlockContent OneTable(std::uint16_t lang, std::uint16_t charSet, const ustring& key,
                           std::vector<TVersionString> strings) {
  TVersionBlockContent content;
  content.fileVersion = PackVersion(3, 0, 0, 10001);
  content.translations = {{lang, charSet}};
  content.stringTables = {{key, std::move(strings)}};
  return content;
}

ustring ValueText(const TLocaVersInfo& info, int index) { return ustring(info.Values[index]); }

}  // namespace

// The display version pads a one-digit minor to two digits and keeps longer ones whole.
TEST(VersionTextTest, DisplayVersionPadsTheMinor) {
  struct TCase {
    std::int32_t major, minor;
    const char16_t* expected;
  };
  const TCase cases[] = {{10, 0, u"10.00 KQ"}, {10, 1, u"10.01 KQ"}, {10, 9, u"10.09 KQ"},
                         {10, 12, u"10.12 KQ"}, {10, 123, u"10.123 KQ"}, {9, 10, u"9.10 KQ"}};
  for (const TCase& c : cases) EXPECT_EQ(ComposeDisplayVersion(c.major, c.minor), c.expected);
}

// The title line and the display name are built from the version constants.
TEST(VersionTextTest, TitleLineAndDisplayName) {
  EXPECT_EQ(ComposeTitleLine(), u"Corvalin 10.01.10001 x64 KQ");
  EXPECT_EQ(ComposeDisplayName(), u"Corvalin v10.01 KQ x64");
}

// The registry numbers place major, minor, build, tag and bitness in their bytes.
TEST(VersionTextTest, VersionNumbersPackTheirParts) {
  EXPECT_EQ(cVersionDword, 0x0A012711u);
  EXPECT_EQ(cSetupVersionDword, 0x0A010140u);
  EXPECT_EQ(ComposeVersionDword(1, 2, 0xFFFF), 0x0102FFFFu);
  EXPECT_EQ(ComposeSetupVersionDword(11, 255, 2, 32), 0x0BFF0220u);
}

// The setup version label drops the last part of the file version.
TEST_F(VersionReaderTest, SetupVersionTextDropsTheLastPart) {
  struct TCase {
    const char16_t* fileVersion;
    const char16_t* expected;
  };
  const TCase cases[] = {{u"3.0.0.10001", u" v3.0.0"}, {u"3", u" v"}, {u"3.0", u" v3"}};
  for (const TCase& c : cases) {
    ServeBlock(cExe, OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", c.fileVersion}}));
    EXPECT_EQ(SetupVersionText(cExe), c.expected) << ToUtf8(c.fileVersion);
  }
}

// Only a resource with exactly one US-English/1252 translation yields a label text.
TEST_F(VersionReaderTest, SetupVersionTextNeedsTheOneEnglishTranslation) {
  TVersionBlockContent two = OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", u"3.0.0.10001"}});
  two.translations.push_back({0x0407, 0x04E4});
  two.stringTables.push_back({u"040704E4", {{u"FileVersion", u"3.0.0.10001"}}});
  ServeBlock(cExe, two);
  EXPECT_EQ(SetupVersionText(cExe), u"");

  ServeBlock(cExe, OneTable(0x0407, 0x04E4, u"040704E4", {{u"FileVersion", u"3.0.0.10001"}}));
  EXPECT_EQ(SetupVersionText(cExe), u"");

  ServeBlock(cExe, OneTable(0x0409, 0x04B0, u"040904B0", {{u"FileVersion", u"3.0.0.10001"}}));
  EXPECT_EQ(SetupVersionText(cExe), u"");
}

// A file without a version resource gives the empty label text.
TEST_F(VersionReaderTest, SetupVersionTextWithoutResourceIsEmpty) {
  EXPECT_EQ(SetupVersionText(u"c:\\setup\\other.exe"), u"");
}

// All twelve values of a translation land in their slots, and the translation is recorded.
TEST_F(VersionReaderTest, ReadVersionInfoFillsEveryValueSlot) {
  std::vector<TVersionString> strings;
  for (const char16_t* name : cVersValueNames) strings.push_back({name, ustring(u"v:") + name});
  ServeBlock(cExe, OneTable(0x0409, 0x04E4, u"040904E4", strings));
  TVersInfoArr arr;
  std::uint32_t count = 0;
  ASSERT_TRUE(ReadVersionInfo(cExe, arr, count));
  ASSERT_EQ(count, 1u);
  ASSERT_EQ(arr.size(), 1u);
  EXPECT_EQ(arr[0].Transl.Lang, 0x0409);
  EXPECT_EQ(arr[0].Transl.CharSet, 0x04E4);
  for (int j = 0; j < cVersValueCount; ++j)
    EXPECT_EQ(ValueText(arr[0], j), ustring(u"v:") + cVersValueNames[static_cast<std::size_t>(j)]);
}

// A value longer than 64 units is cut to its first 64, and the buffer stays terminated.
TEST_F(VersionReaderTest, LongValueIsCutTo64Units) {
  const ustring longValue(100, u'x');
  ServeBlock(cExe, OneTable(0x0409, 0x04E4, u"040904E4", {{u"Comments", longValue}, {u"FileVersion", u"1.2"}}));
  TVersInfoArr arr;
  std::uint32_t count = 0;
  ASSERT_TRUE(ReadVersionInfo(cExe, arr, count));
  EXPECT_EQ(ValueText(arr[0], 0), ustring(64, u'x'));
  EXPECT_EQ(arr[0].Values[0][64], u'\0');
  EXPECT_EQ(ValueText(arr[0], cVersFileVersion), u"1.2");
}

// Translations come back in table order, and each one finds the string table of its own key.
TEST_F(VersionReaderTest, EachTranslationReadsItsOwnTable) {
  TVersionBlockContent content;
  content.translations = {{0x0407, 0x04B0}, {0x0409, 0x04E4}, {0x040C, 0x04E4}};
  content.stringTables = {{u"040704B0", {{u"FileVersion", u"de"}}},
                       {u"040904e4", {{u"FileVersion", u"en"}}},  // lower case still matches
                       {u"040C04E4", {{u"ProductName", u"fr"}}}};
  ServeBlock(cExe, content);
  TVersInfoArr arr;
  std::uint32_t count = 0;
  ASSERT_TRUE(ReadVersionInfo(cExe, arr, count));
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(arr[0].Transl.Lang, 0x0407);
  EXPECT_EQ(arr[2].Transl.Lang, 0x040C);
  EXPECT_EQ(ValueText(arr[0], cVersFileVersion), u"de");
  EXPECT_EQ(ValueText(arr[1], cVersFileVersion), u"en");
  EXPECT_EQ(ValueText(arr[2], cVersFileVersion), u"");
  EXPECT_EQ(ValueText(arr[2], 2), u"fr");
}

// A resource with translations but none of the twelve values reports failure, yet lists the translations.
TEST_F(VersionReaderTest, NoKnownValueGivesFalse) {
  ServeBlock(cExe, OneTable(0x0409, 0x04E4, u"040904E4", {{u"Unrelated", u"x"}}));
  TVersInfoArr arr;
  std::uint32_t count = 0;
  EXPECT_FALSE(ReadVersionInfo(cExe, arr, count));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(ValueText(arr[0], cVersFileVersion), u"");
}

// Without a resource or without translations the result is false, count 0 and the array emptied.
TEST_F(VersionReaderTest, MissingResourceOrTranslationsGiveFalse) {
  TVersInfoArr arr(2);
  std::uint32_t count = 7;
  EXPECT_FALSE(ReadVersionInfo(cExe, arr, count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(arr.empty());

  TVersionBlockContent noTranslations = OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", u"3.0"}});
  noTranslations.translations.clear();
  ServeBlock(cExe, noTranslations);
  arr.resize(2);
  count = 7;
  EXPECT_FALSE(ReadVersionInfo(cExe, arr, count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(arr.empty());
}

// A translation table that overruns its node is malformed: no translations, no crash.
TEST_F(VersionReaderTest, MalformedTranslationNodeGivesFalse) {
  std::vector<std::uint8_t> block =
      BuildVersionBlock(OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", u"3.0"}}));
  // The Translation node closes the block: header 6, key with NUL 24, padding 2,
  // value 4. Make it claim more value bytes than it holds.
  const std::size_t var = block.size() - 36;
  ASSERT_EQ(block[var + 2], 4);
  block[var + 2] = 0x40;
  TTransArr trans;
  std::uint32_t count = 9;
  EXPECT_FALSE(ReadTranslations(block.data(), trans, count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(trans.empty());
}

// The string reader fills the elements it is given and grows a short array rather than overrun it.
TEST_F(VersionReaderTest, ReadVersionStringsOnABlock) {
  const std::vector<std::uint8_t> block =
      BuildVersionBlock(OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", u"3.0.0.10001"}}));
  TTransArr trans;
  std::uint32_t count = 0;
  ASSERT_TRUE(ReadTranslations(block.data(), trans, count));
  ASSERT_EQ(count, 1u);
  TVersInfoArr arr;  // deliberately not sized
  ASSERT_TRUE(ReadVersionStrings(block.data(), trans, count, arr));
  ASSERT_EQ(arr.size(), 1u);
  EXPECT_EQ(ValueText(arr[0], cVersFileVersion), u"3.0.0.10001");
}

namespace {
// An emulated system whose version read raises, as a broken driver might.
class TThrowingVersionSim : public TSimPlatform {
 public:
  bool GetFileVersionInfoW(const ustring&, std::uint32_t, void*) override {
    throw std::runtime_error("read failed");
  }
};
}  // namespace

// A damaged block whose root length claims more than it holds (cut short,
// or a single byte) reads as no version and is never read past its bytes
// (the sanitizer build checks).
TEST_F(VersionReaderTest, BlockShorterThanItsLengthReadsAsNone) {
  const std::vector<std::uint8_t> whole =
      BuildVersionBlock(OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", u"3.0.0.10001"}}));
  for (std::size_t kept : {std::size_t{1}, std::size_t{40}, whole.size() / 2, whole.size() - 2}) {
    SCOPED_TRACE(kept);
    sim_.versionBlocks[LowerAscii(cExe)] = std::vector<std::uint8_t>(whole.begin(), whole.begin() + kept);
    TVersInfoArr arr;
    std::uint32_t count = 0;
    EXPECT_FALSE(ReadVersionInfo(cExe, arr, count));
    EXPECT_EQ(SetupVersionText(cExe), u"");
  }
  sim_.versionBlocks[LowerAscii(cExe)] = whole;
  EXPECT_EQ(SetupVersionText(cExe), u" v3.0.0");
}

// An exception while reading leaves an empty array, count 0 and false, and does not escape.
TEST(VersionReaderExceptionTest, ExceptionIsContained) {
  TThrowingVersionSim sim;
  sim.versionBlocks[cExe] = BuildVersionBlock(OneTable(0x0409, 0x04E4, u"040904E4", {{u"FileVersion", u"3.0"}}));
  IPlatform* previous = SetOs(&sim);
  TVersInfoArr arr(3);
  std::uint32_t count = 5;
  bool result = true;
  EXPECT_NO_THROW(result = ReadVersionInfo(cExe, arr, count));
  EXPECT_FALSE(result);
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(arr.empty());
  EXPECT_EQ(SetupVersionText(cExe), u"");
  SetOs(previous);
}
