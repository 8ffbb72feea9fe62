// The registry layer against the emulated registry: what reaches the
// platform, how values are read back, and which handles are closed.
#include <vector>

#include "platform/sim/sim_platform.h"
#include "shell/reg_tools.h"
#include "support/sim_fixture.h"

namespace {

// Parameterised cases print as their name.
template <typename T>
  requires requires(const T& t) { t.name; }
void PrintTo(const T& c, std::ostream* os) {
  *os << c.name;
}


std::vector<std::uint8_t> Units(const std::u16string& text) {
  std::vector<std::uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

const ustring kKey = u"SOFTWARE\\Test";

class RegToolsTest : public SimFixture {
 protected:
  // The calls of op so far, in order.
  std::vector<TSimCall> Calls(const std::string& op) {
    std::vector<TSimCall> found;
    for (const TSimCall& call : sim.CallLog()) {
      if (call.op == op) found.push_back(call);
    }
    return found;
  }
};

struct TPathCase {
  const char* name;
  ustring given;
  ustring passed;
};

class PathNormalisation : public RegToolsTest, public testing::WithParamInterface<TPathCase> {};

// OpenKey and CreateKey hand the platform the path with exactly one trailing backslash added, nothing else changed.
TEST_P(PathNormalisation, ReachesThePlatform) {
  sim.AddKey(cHkeyLocalMachine, u"SOFTWARE\\Classes");
  TRegKey opened, created;
  OpenKey(cHkeyLocalMachine, GetParam().given, cKeyQueryValue, opened.Out());
  TRegKey parent;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, u"SOFTWARE", cKeyCreateSubKey, parent.Out()));
  CreateKey(parent.Get(), GetParam().given, created.Out());
  const auto opens = Calls("RegOpenKeyExW");
  const auto creates = Calls("RegCreateKeyExW");
  ASSERT_EQ(opens.size(), 2u);
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_EQ(opens[0].arg, GetParam().passed);
  EXPECT_EQ(creates[0].arg, GetParam().passed);
}

INSTANTIATE_TEST_SUITE_P(Table, PathNormalisation,
                         testing::Values(TPathCase{"one_name", u"SOFTWARE", u"SOFTWARE\\"},
                                         TPathCase{"two_names", u"SOFTWARE\\Classes", u"SOFTWARE\\Classes\\"},
                                         TPathCase{"already_ends_in_backslash", u"SOFTWARE\\", u"SOFTWARE\\"},
                                         TPathCase{"empty_stays_empty", u"", u""},
                                         TPathCase{"nothing_else_changed", u" a\\\\b ", u" a\\\\b \\"}),
                         [](const testing::TestParamInfo<TPathCase>& info) { return std::string(info.param.name); });

// The rights asked for: OpenKey's mask unchanged, 3 for every created key, KEY_READ for the user root; never a view flag.
TEST_F(RegToolsTest, AccessMasksReachThePlatformUnchanged) {
  TRegKey a, b, c;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, u"SOFTWARE", cKeyCreateSubKey, a.Out()));
  ASSERT_TRUE(CreateKey(a.Get(), u"Made", b.Out()));
  ASSERT_TRUE(OpenRootKey(cHkeyCurrentUser, c.Out()));
  EXPECT_EQ(Calls("RegOpenKeyExW").at(0).number, cKeyCreateSubKey);
  EXPECT_EQ(Calls("RegCreateKeyExW").at(0).number, cKeyQueryValue | cKeySetValue);
  EXPECT_EQ(Calls("RegOpenCurrentUser").at(0).number, cKeyRead);
}

// A created key can be written and read back; creating it again opens it with its values.
TEST_F(RegToolsTest, CreateKeyCreatesOrOpens) {
  TRegKey key;
  ASSERT_TRUE(CreateKey(cHkeyCurrentUser, u"Software\\Made\\Deep", key.Out()));
  ASSERT_TRUE(WriteDWord(key.Get(), u"n", 5));
  key.Close();
  ASSERT_TRUE(CreateKey(cHkeyCurrentUser, u"Software\\Made\\Deep", key.Out()));
  std::uint32_t n = 0;
  EXPECT_TRUE(ReadDWord(key.Get(), u"n", n));
  EXPECT_EQ(n, 5u);
}

// A key the platform refuses leaves the out handle 0 and false.
TEST_F(RegToolsTest, RefusedKeysFail) {
  sim.DenyKeyAccess(cHkeyLocalMachine, kKey, cKeyCreateSubKey);
  THKey key = 77;
  EXPECT_FALSE(OpenKey(cHkeyLocalMachine, kKey, cKeyCreateSubKey, key));
  EXPECT_EQ(key, 0u);
  EXPECT_TRUE(OpenKey(cHkeyLocalMachine, kKey, cKeyQueryValue, key));
  EXPECT_EQ(CloseKey(key), 0u);
  EXPECT_FALSE(CreateKey(cHkeyLocalMachine, kKey + u"\\Child", key));
  EXPECT_EQ(key, 0u);
}

struct TStringCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  bool stored;  // false: no such value
  bool ok;
  ustring text;
};

class ReadStringCases : public RegToolsTest, public testing::WithParamInterface<TStringCase> {};

// ReadString accepts REG_SZ only and yields the text up to the first NUL, also when the data has none.
TEST_P(ReadStringCases, Reads) {
  const TStringCase& c = GetParam();
  if (c.stored) sim.PutValue(cHkeyLocalMachine, kKey, u"v", c.type, c.data);
  sim.AddKey(cHkeyLocalMachine, kKey);
  TRegKey key;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, kKey, cKeyQueryValue, key.Out()));
  ustring text = u"stale";
  EXPECT_EQ(ReadString(key.Get(), u"v", text), c.ok);
  EXPECT_EQ(text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadStringCases,
    testing::Values(TStringCase{"with_nul", cRegSz, Units(std::u16string(u"abc") + u'\0'), true, true, u"abc"},
                    TStringCase{"zero_bytes", cRegSz, {}, true, true, u""},
                    TStringCase{"only_nul", cRegSz, {0, 0}, true, true, u""},
                    TStringCase{"three_units_no_nul", cRegSz, Units(u"abc"), true, true, u"abc"},
                    TStringCase{"odd_byte_count", cRegSz, {'a', 0, 'b', 0, 'c'}, true, true, u"abc"},
                    TStringCase{"stops_at_first_nul", cRegSz, Units(std::u16string(u"ab\0cd", 5)), true, true, u"ab"},
                    TStringCase{"expand_sz", cRegExpandSz, Units(std::u16string(u"%X%") + u'\0'), true, false, u""},
                    TStringCase{"multi_sz", cRegMultiSz, Units(std::u16string(u"a\0\0", 3)), true, false, u""},
                    TStringCase{"binary", cRegBinary, Units(u"ab"), true, false, u""},
                    TStringCase{"missing", cRegSz, {}, false, false, u""}),
    [](const testing::TestParamInfo<TStringCase>& info) { return std::string(info.param.name); });

// The second read passes the size of the first, so a value that grew meanwhile fails instead of overflowing.
TEST_F(RegToolsTest, ReadStringSecondReadFailureClearsText) {
  sim.PutString(cHkeyLocalMachine, kKey, u"v", u"abc");
  sim.FailCall("RegQueryValueExW", 2, cErrMoreData);
  TRegKey key;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, kKey, cKeyQueryValue, key.Out()));
  ustring text = u"stale";
  EXPECT_FALSE(ReadString(key.Get(), u"v", text));
  EXPECT_EQ(text, u"");
}

struct TDwordCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
  bool ok;
  std::uint32_t value;
};

class ReadDWordCases : public RegToolsTest, public testing::WithParamInterface<TDwordCase> {};

// ReadDWord accepts REG_DWORD data that fits 4 bytes; anything else yields false and 0.
TEST_P(ReadDWordCases, Reads) {
  const TDwordCase& c = GetParam();
  sim.PutValue(cHkeyLocalMachine, kKey, u"d", c.type, c.data);
  TRegKey key;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, kKey, cKeyQueryValue, key.Out()));
  std::uint32_t value = 0xDEADBEEF;
  EXPECT_EQ(ReadDWord(key.Get(), u"d", value), c.ok);
  EXPECT_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadDWordCases,
    testing::Values(TDwordCase{"dword", cRegDword, {0x78, 0x56, 0x34, 0x12}, true, 0x12345678u},
                    TDwordCase{"binary_of_four", cRegBinary, {1, 0, 0, 0}, false, 0},
                    TDwordCase{"sz", cRegSz, {'1', 0, 0, 0}, false, 0},
                    TDwordCase{"eight_bytes", cRegDword, {1, 0, 0, 0, 0, 0, 0, 0}, false, 0},
                    TDwordCase{"two_bytes_zero_filled", cRegDword, {0x34, 0x12}, true, 0x1234u}),
    [](const testing::TestParamInfo<TDwordCase>& info) { return std::string(info.param.name); });

// A missing value reads as false and 0.
TEST_F(RegToolsTest, ReadDWordMissing) {
  sim.AddKey(cHkeyLocalMachine, kKey);
  TRegKey key;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, kKey, cKeyQueryValue, key.Out()));
  std::uint32_t value = 9;
  EXPECT_FALSE(ReadDWord(key.Get(), u"none", value));
  EXPECT_EQ(value, 0u);
}

struct TWriteCase {
  const char* name;
  bool (*write)(THKey);
  ustring valueName;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

class WriteCases : public RegToolsTest, public testing::WithParamInterface<TWriteCase> {};

// Each writer stores its type and exactly its bytes (strings with their NUL, empty kinds with none).
TEST_P(WriteCases, Stores) {
  const TWriteCase& c = GetParam();
  TRegKey key;
  ASSERT_TRUE(CreateKey(cHkeyLocalMachine, kKey, key.Out()));
  ASSERT_TRUE(c.write(key.Get()));
  const auto value = sim.GetValue(cHkeyLocalMachine, kKey, c.valueName);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, c.type);
  EXPECT_EQ(value->data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteCases,
    testing::Values(
        TWriteCase{"string", [](THKey k) { return WriteString(k, u"s", u"ab"); }, u"s", cRegSz, {'a', 0, 'b', 0, 0, 0}},
        TWriteCase{"empty_string_is_two_bytes", [](THKey k) { return WriteString(k, u"s", u""); }, u"s", cRegSz, {0, 0}},
        TWriteCase{"default_value", [](THKey k) { return WriteString(k, u"", u"x"); }, u"", cRegSz, {'x', 0, 0, 0}},
        TWriteCase{"dword_little_endian", [](THKey k) { return WriteDWord(k, u"d", 0x01020304u); }, u"d", cRegDword,
                   {4, 3, 2, 1}},
        TWriteCase{"empty_binary", [](THKey k) { return WriteEmptyBinary(k, u"b"); }, u"b", cRegBinary, {}},
        TWriteCase{"empty_none", [](THKey k) { return WriteEmptyNone(k, u"n"); }, u"n", cRegNone, {}}),
    [](const testing::TestParamInfo<TWriteCase>& info) { return std::string(info.param.name); });

// Writes through a handle without the set right fail.
TEST_F(RegToolsTest, WritesNeedTheSetRight) {
  sim.AddKey(cHkeyLocalMachine, kKey);
  TRegKey key;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, kKey, cKeyQueryValue, key.Out()));
  EXPECT_FALSE(WriteString(key.Get(), u"s", u"x"));
  EXPECT_FALSE(WriteDWord(key.Get(), u"d", 1));
  EXPECT_FALSE(WriteEmptyBinary(key.Get(), u"b"));
  EXPECT_FALSE(WriteEmptyNone(key.Get(), u"n"));
  EXPECT_FALSE(sim.GetValue(cHkeyLocalMachine, kKey, u"s").has_value());
}

// CloseKey returns the platform's status; a failed close leaves the handle so that a second close succeeds.
TEST_F(RegToolsTest, CloseKeyFailureKeepsTheHandle) {
  THKey key = 0;
  ASSERT_TRUE(OpenKey(cHkeyLocalMachine, u"SOFTWARE", cKeyQueryValue, key));
  const THKey held = key;
  sim.FailCall("RegCloseKey", 1, cErrInvalidHandle);
  EXPECT_EQ(CloseKey(key), cErrInvalidHandle);
  EXPECT_EQ(key, held);
  EXPECT_EQ(CloseKey(key), 0u);
  EXPECT_EQ(key, 0u);
}

// The owner tries a failed close once more when it goes, so nothing stays open.
TEST_F(RegToolsTest, OwnerRetriesAFailedClose) {
  {
    TRegKey key;
    ASSERT_TRUE(OpenKey(cHkeyLocalMachine, u"SOFTWARE", cKeyQueryValue, key.Out()));
    sim.FailCall("RegCloseKey", 1, cErrInvalidHandle);
    EXPECT_EQ(key.Close(), cErrInvalidHandle);
    EXPECT_TRUE(key);
  }
  EXPECT_EQ(sim.OpenCount(), 0u);
}

// OpenRootKey: the machine root is the predefined handle, the user root an owned one, other roots nothing.
TEST_F(RegToolsTest, OpenRootKey) {
  THKey key = 5;
  EXPECT_TRUE(OpenRootKey(cHkeyLocalMachine, key));
  EXPECT_EQ(key, cHkeyLocalMachine);
  EXPECT_FALSE(OpenRootKey(static_cast<THKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000000u))), key));
  EXPECT_EQ(key, 0u);
  EXPECT_TRUE(sim.CallLog().empty());
  ASSERT_TRUE(OpenRootKey(cHkeyCurrentUser, key));
  EXPECT_NE(key, cHkeyCurrentUser);
  EXPECT_EQ(CloseKey(key), 0u);
  sim.FailCall("RegOpenCurrentUser", 1, cErrAccessDenied);
  EXPECT_FALSE(OpenRootKey(cHkeyCurrentUser, key));
  EXPECT_EQ(key, 0u);
}

struct TRootCase {
  const char* name;
  THKey root;
  bool valueThere;
  bool ok;
};

class ReadRootStringCases : public RegToolsTest, public testing::WithParamInterface<TRootCase> {};

// ReadRootString closes the per-user root it opened (also when the key is missing) and never the machine root.
TEST_P(ReadRootStringCases, ClosesOnlyTheOwnedRoot) {
  const TRootCase& c = GetParam();
  if (c.valueThere) sim.PutString(c.root, u"Software\\Classes\\.md5", u"", u"Owner.File");
  ustring text = u"stale";
  EXPECT_EQ(ReadRootString(c.root, u"Software\\Classes\\.md5", u"", text), c.ok);
  EXPECT_EQ(text, c.ok ? u"Owner.File" : u"");
  for (const TSimCall& call : Calls("RegCloseKey")) EXPECT_NE(call.number, cHkeyLocalMachine);
  const auto rootOpens = Calls("RegOpenCurrentUser");
  EXPECT_EQ(rootOpens.size(), c.root == cHkeyCurrentUser ? 1u : 0u);
  // Closes: the sub-key when it opened, plus the user root.
  const std::size_t expectedCloses = (c.valueThere ? 1u : 0u) + (c.root == cHkeyCurrentUser ? 1u : 0u);
  EXPECT_EQ(Calls("RegCloseKey").size(), expectedCloses);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadRootStringCases,
                         testing::Values(TRootCase{"machine", cHkeyLocalMachine, true, true},
                                         TRootCase{"machine_missing", cHkeyLocalMachine, false, false},
                                         TRootCase{"user", cHkeyCurrentUser, true, true},
                                         TRootCase{"user_missing", cHkeyCurrentUser, false, false}),
                         [](const testing::TestParamInfo<TRootCase>& info) { return std::string(info.param.name); });

// A root other than the two known ones fails without asking the platform.
TEST_F(RegToolsTest, ReadRootStringOtherRoot) {
  ustring text = u"stale";
  EXPECT_FALSE(ReadRootString(cHkeyLocalMachine + 1, u"SOFTWARE", u"", text));
  EXPECT_EQ(text, u"");
  EXPECT_TRUE(sim.CallLog().empty());
}

// A value of the wrong type, or a failed close of the sub-key, makes the whole read fail with empty text.
TEST_F(RegToolsTest, ReadRootStringFailures) {
  sim.PutString(cHkeyLocalMachine, kKey, u"x", u"%P%", cRegExpandSz);
  sim.PutString(cHkeyLocalMachine, kKey, u"y", u"fine");
  ustring text = u"stale";
  EXPECT_FALSE(ReadRootString(cHkeyLocalMachine, kKey, u"x", text));
  EXPECT_EQ(text, u"");
  sim.FailCall("RegCloseKey", 1, cErrInvalidHandle);  // the y read's sub-key
  EXPECT_FALSE(ReadRootString(cHkeyLocalMachine, kKey, u"y", text));
  EXPECT_EQ(text, u"");
}

}  // namespace
