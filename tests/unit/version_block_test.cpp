// The version block reader against a block from a resource compiler and
// against blocks from the builder, including truncated and damaged ones.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/utils.h"
#include "platform/sim/version_block.h"

namespace {

// Written by the mingw-w64 resource compiler from:
//   1 VERSIONINFO FILEVERSION 3,0,0,10001 PRODUCTVERSION 10,0,0,0
//   StringFileInfo "040904E4": FileVersion "3.0.0.10001", ProductVersion "10.0", Comments ""
//   VarFileInfo: Translation 0x409, 1252
const std::vector<std::uint8_t> cCompiledBlock = {
    0x60, 0x01, 0x34, 0x00, 0x00, 0x00, 0x56, 0x00, 0x53, 0x00, 0x5f, 0x00, 0x56, 0x00, 0x45, 0x00,
    0x52, 0x00, 0x53, 0x00, 0x49, 0x00, 0x4f, 0x00, 0x4e, 0x00, 0x5f, 0x00, 0x49, 0x00, 0x4e, 0x00,
    0x46, 0x00, 0x4f, 0x00, 0x00, 0x00, 0x00, 0x00, 0xbd, 0x04, 0xef, 0xfe, 0x00, 0x00, 0x01, 0x00,
    0x00, 0x00, 0x03, 0x00, 0x11, 0x27, 0x00, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xbe, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x53, 0x00, 0x74, 0x00, 0x72, 0x00, 0x69, 0x00, 0x6e, 0x00, 0x67, 0x00, 0x46, 0x00,
    0x69, 0x00, 0x6c, 0x00, 0x65, 0x00, 0x49, 0x00, 0x6e, 0x00, 0x66, 0x00, 0x6f, 0x00, 0x00, 0x00,
    0x9a, 0x00, 0x00, 0x00, 0x01, 0x00, 0x30, 0x00, 0x34, 0x00, 0x30, 0x00, 0x39, 0x00, 0x30, 0x00,
    0x34, 0x00, 0x45, 0x00, 0x34, 0x00, 0x00, 0x00, 0x38, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x46, 0x00,
    0x69, 0x00, 0x6c, 0x00, 0x65, 0x00, 0x56, 0x00, 0x65, 0x00, 0x72, 0x00, 0x73, 0x00, 0x69, 0x00,
    0x6f, 0x00, 0x6e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x33, 0x00, 0x2e, 0x00, 0x30, 0x00, 0x2e, 0x00,
    0x30, 0x00, 0x2e, 0x00, 0x31, 0x00, 0x30, 0x00, 0x30, 0x00, 0x30, 0x00, 0x31, 0x00, 0x00, 0x00,
    0x2e, 0x00, 0x05, 0x00, 0x01, 0x00, 0x50, 0x00, 0x72, 0x00, 0x6f, 0x00, 0x64, 0x00, 0x75, 0x00,
    0x63, 0x00, 0x74, 0x00, 0x56, 0x00, 0x65, 0x00, 0x72, 0x00, 0x73, 0x00, 0x69, 0x00, 0x6f, 0x00,
    0x6e, 0x00, 0x00, 0x00, 0x31, 0x00, 0x30, 0x00, 0x2e, 0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x1a, 0x00, 0x01, 0x00, 0x01, 0x00, 0x43, 0x00, 0x6f, 0x00, 0x6d, 0x00, 0x6d, 0x00, 0x65, 0x00,
    0x6e, 0x00, 0x74, 0x00, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x56, 0x00, 0x61, 0x00, 0x72, 0x00, 0x46, 0x00, 0x69, 0x00, 0x6c, 0x00, 0x65, 0x00,
    0x49, 0x00, 0x6e, 0x00, 0x66, 0x00, 0x6f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x00, 0x04, 0x00,
    0x00, 0x00, 0x54, 0x00, 0x72, 0x00, 0x61, 0x00, 0x6e, 0x00, 0x73, 0x00, 0x6c, 0x00, 0x61, 0x00,
    0x74, 0x00, 0x69, 0x00, 0x6f, 0x00, 0x6e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x04, 0xe4, 0x04,
};

TVersionBlockContent CompiledBlockContent() {
  TVersionBlockContent content;
  content.fileVersion = PackVersion(3, 0, 0, 10001);
  content.productVersion = PackVersion(10, 0, 0, 0);
  content.fileFlagsMask = 0;  // the compiler's defaults when the script names none
  content.fileOs = 0;
  content.fileType = 0;
  content.stringTables = {{u"040904E4", {{u"FileVersion", u"3.0.0.10001"}, {u"ProductVersion", u"10.0"}, {u"Comments", u""}}}};
  content.translations = {{0x0409, 0x04E4}};
  return content;
}

struct TAnswer {
  bool found = false;
  const std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
};

TAnswer Query(const std::vector<std::uint8_t>& block, const ustring& path) {
  TAnswer answer;
  const void* data = nullptr;
  answer.found = VersionBlockQuery(block.data(), block.size(), path, data, answer.length);
  answer.data = static_cast<const std::uint8_t*>(data);
  return answer;
}

ustring TextAt(const TAnswer& answer) {
  ustring text(answer.length, u'\0');
  std::memcpy(text.data(), answer.data, answer.length * sizeof(char16_t));
  return text;
}

std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

const ustring cQueries[] = {u"\\",
                            u"\\VarFileInfo\\Translation",
                            u"\\StringFileInfo\\040904E4\\FileVersion",
                            u"\\StringFileInfo\\040904E4\\ProductVersion",
                            u"\\StringFileInfo\\040904E4\\Comments"};

}  // namespace

// The builder writes byte for byte what the resource compiler writes.
TEST(VersionBlockTest, BuilderMatchesTheResourceCompiler) {
  EXPECT_EQ(BuildVersionBlock(CompiledBlockContent()), cCompiledBlock);
}

// String values come back as UTF-16 units including the NUL, as Windows reports them.
TEST(VersionBlockTest, StringValuesCountUnitsWithTheNul) {
  struct TCase {
    const char16_t* path;
    ustring expected;
  };
  const TCase cases[] = {
      {u"\\StringFileInfo\\040904E4\\FileVersion", ustring(u"3.0.0.10001", 12)},
      {u"\\StringFileInfo\\040904E4\\ProductVersion", ustring(u"10.0", 5)},
      {u"\\StringFileInfo\\040904E4\\Comments", ustring(1, u'\0')},
  };
  for (const TCase& c : cases) {
    const TAnswer answer = Query(cCompiledBlock, c.path);
    ASSERT_TRUE(answer.found) << ToUtf8(c.path);
    EXPECT_EQ(TextAt(answer), c.expected) << ToUtf8(c.path);
  }
}

// The translation table comes back with its length in bytes.
TEST(VersionBlockTest, TranslationLengthIsInBytes) {
  const TAnswer answer = Query(cCompiledBlock, u"\\VarFileInfo\\Translation");
  ASSERT_TRUE(answer.found);
  ASSERT_EQ(answer.length, 4u);
  EXPECT_EQ(Read32(answer.data), 0x04E40409u);
}

// The root path gives the fixed file info with its signature and versions.
TEST(VersionBlockTest, RootGivesTheFixedFileInfo) {
  TVersionBlockContent content;
  content.fileVersion = PackVersion(1, 2, 3, 4);
  content.productVersion = PackVersion(5, 6, 7, 8);
  const std::vector<std::uint8_t> block = BuildVersionBlock(content);
  for (const ustring& root : {ustring(u"\\"), ustring(u"")}) {
    const TAnswer answer = Query(block, root);
    ASSERT_TRUE(answer.found);
    ASSERT_EQ(answer.length, 52u);
    EXPECT_EQ(Read32(answer.data), 0xFEEF04BDu);
    EXPECT_EQ(Read32(answer.data + 8), 0x00010002u);
    EXPECT_EQ(Read32(answer.data + 12), 0x00030004u);
    EXPECT_EQ(Read32(answer.data + 16), 0x00050006u);
    EXPECT_EQ(Read32(answer.data + 20), 0x00070008u);
  }
}

// Keys match regardless of ASCII case and empty path parts are skipped; other names are not found.
TEST(VersionBlockTest, PathMatching) {
  struct TCase {
    const char16_t* path;
    bool found;
  };
  const TCase cases[] = {
      {u"\\stringfileinfo\\040904e4\\FILEVERSION", true},
      {u"StringFileInfo\\\\040904E4\\FileVersion\\", true},
      {u"\\StringFileInfo\\040904E4\\FileVersio", false},
      {u"\\StringFileInfo\\040904E4\\FileVersionX", false},
      {u"\\StringFileInfo\\040704E4\\FileVersion", false},
      {u"\\VarFileInfo\\Translation\\More", false},
      {u"\\StringFileInfo\\Translation", false},
  };
  for (const TCase& c : cases) EXPECT_EQ(Query(cCompiledBlock, c.path).found, c.found) << ToUtf8(c.path);
}

// Every truncation of a block is refused, read from an exactly sized copy so that overruns show.
TEST(VersionBlockTest, TruncatedBlocksAreRefused) {
  for (std::size_t size = 0; size < cCompiledBlock.size(); ++size) {
    const std::vector<std::uint8_t> prefix(cCompiledBlock.begin(), cCompiledBlock.begin() + static_cast<long>(size));
    for (const ustring& path : cQueries) EXPECT_FALSE(Query(prefix, path).found) << size << " " << ToUtf8(path);
  }
}

// The size given bounds the search even when the block's own length claims more.
TEST(VersionBlockTest, GivenSizeBoundsTheSearch) {
  std::vector<std::uint8_t> block = cCompiledBlock;
  block.resize(block.size() - 8);  // the translation value is cut off, the lengths still claim it
  EXPECT_FALSE(Query(block, u"\\VarFileInfo\\Translation").found);
  const void* data = nullptr;
  std::uint32_t length = 7;
  EXPECT_FALSE(VersionBlockQuery(nullptr, 100, u"\\", data, length));
  EXPECT_EQ(length, 0u);
}

// Damage to any length, type or key unit never yields data outside the block.
TEST(VersionBlockTest, DamagedFieldsNeverPointOutside) {
  const std::uint16_t patterns[] = {0x0000, 0x0001, 0x0005, 0x00FF, 0x7FFF, 0xFFFF};
  for (std::size_t offset = 0; offset + 1 < cCompiledBlock.size(); offset += 2)
    for (std::uint16_t pattern : patterns) {
      std::vector<std::uint8_t> block = cCompiledBlock;
      block[offset] = static_cast<std::uint8_t>(pattern);
      block[offset + 1] = static_cast<std::uint8_t>(pattern >> 8);
      for (const ustring& path : cQueries) {
        const TAnswer answer = Query(block, path);
        if (!answer.found) continue;
        // Text values are counted in units, the others in bytes: bound the larger extent.
        const std::size_t extent = std::size_t{answer.length} * 2;
        const std::uint8_t* end = block.data() + block.size();
        ASSERT_TRUE(answer.data >= block.data() && answer.data <= end) << offset << " " << ToUtf8(path);
        const bool isText = path.find(u"StringFileInfo") != ustring::npos;
        EXPECT_LE(isText ? extent : answer.length, static_cast<std::size_t>(end - answer.data))
            << offset << " " << ToUtf8(path);
      }
    }
}

// A string value stored as binary is refused, since its length would be read as units.
TEST(VersionBlockTest, StringStoredAsBinaryIsRefused) {
  std::vector<std::uint8_t> block = cCompiledBlock;
  const std::size_t fileVersionNode = 0x98;  // the first String node of the table
  ASSERT_EQ(block[fileVersionNode + 4], 1);
  block[fileVersionNode + 4] = 0;
  EXPECT_FALSE(Query(block, u"\\StringFileInfo\\040904E4\\FileVersion").found);
  EXPECT_TRUE(Query(block, u"\\StringFileInfo\\040904E4\\ProductVersion").found);
}

// A key that runs to the end of the block without its NUL is refused.
TEST(VersionBlockTest, UnterminatedKeyIsRefused) {
  std::vector<std::uint8_t> block = {16, 0, 0, 0, 0, 0, 'V', 0, 'S', 0, '_', 0, 'V', 0, 'E', 0};
  EXPECT_FALSE(Query(block, u"\\").found);
  block.insert(block.end(), {0, 0});
  block[0] = 18;
  EXPECT_TRUE(Query(block, u"\\").found);
}

// Blocks built from several tables and translations answer every value they hold.
TEST(VersionBlockTest, BuiltBlocksRoundTrip) {
  TVersionBlockContent content;
  content.stringTables = {{u"040704B0", {{u"CompanyName", u"Firma"}, {u"FileVersion", u"1.0"}}},
                       {u"040904E4", {{u"CompanyName", u"Company"}, {u"LegalCopyright", ustring(300, u'c')}}}};
  content.translations = {{0x0407, 0x04B0}, {0x0409, 0x04E4}};
  const std::vector<std::uint8_t> block = BuildVersionBlock(content);
  for (const TVersionStringTable& table : content.stringTables)
    for (const TVersionString& entry : table.strings) {
      const TAnswer answer = Query(block, u"\\StringFileInfo\\" + table.key + u"\\" + entry.name);
      ASSERT_TRUE(answer.found);
      EXPECT_EQ(TextAt(answer), entry.value + u'\0');
    }
  const TAnswer trans = Query(block, u"\\VarFileInfo\\Translation");
  ASSERT_EQ(trans.length, 8u);
  EXPECT_EQ(Read32(trans.data + 4), 0x04E40409u);
}

// A node that would outgrow its 16-bit length is refused by the builder.
TEST(VersionBlockTest, BuilderRefusesOversizedNodes) {
  TVersionBlockContent content;
  content.stringTables = {{u"040904E4", {{u"Comments", ustring(40000, u'x')}}}};
  EXPECT_THROW(BuildVersionBlock(content), std::length_error);
}
