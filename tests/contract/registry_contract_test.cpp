// What the registry layer relies on the registry to do. Runs against the
// emulation natively and against the real registry in the Windows build.
#include <cstring>
#include <vector>

#include "contract_env.h"

namespace {

// Parameterised cases print as their name.
template <typename T>
  requires requires(const T& t) { t.name; }
void PrintTo(const T& c, std::ostream* os) {
  *os << c.name;
}


using RegistryContract = ContractTest;

std::vector<std::uint8_t> Utf16Bytes(const ustring& text, bool withNul) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size() + (withNul ? 1 : 0); ++i) {
    const char16_t c = i < text.size() ? text[i] : u'\0';
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

// Stores exactly the given bytes. Windows (and Wine) count a NUL unit that
// follows a string's bytes in memory as part of the value even when the size
// leaves it out; the non-NUL guard behind the data keeps that from happening.
std::uint32_t Set(THKey key, const ustring& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> guarded = data;
  guarded.insert(guarded.end(), {'X', 0, 'X', 0});
  return Os().RegSetValueExW(key, name, type, data.empty() ? nullptr : guarded.data(),
                             static_cast<std::uint32_t>(data.size()));
}

constexpr std::uint32_t cRw = cKeyQueryValue | cKeySetValue;

// Creating a key that exists opens it: second disposition "opened", and both handles see one key.
TEST_F(RegistryContract, CreatingAnExistingKeyOpensIt) {
  TScopedKey first, second;
  std::uint32_t disposition = 0;
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"Twice", 0, cRw, first.out(), &disposition), 0u);
  EXPECT_EQ(disposition, cRegCreatedNewKey);
  ASSERT_EQ(Set(first.get(), u"v", cRegDword, {1, 0, 0, 0}), 0u);
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"Twice", 0, cRw, second.out(), &disposition), 0u);
  EXPECT_EQ(disposition, cRegOpenedExistingKey);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(Os().RegQueryValueExW(second.get(), u"v", &type, nullptr, &size), 0u);
  EXPECT_EQ(type, cRegDword);
}

// An empty sub-key path opens a second, independent handle to the parent key.
TEST_F(RegistryContract, EmptySubKeyOpensSecondHandleToParent) {
  ASSERT_EQ(Set(Key(), u"marker", cRegDword, {7, 0, 0, 0}), 0u);
  TScopedKey again;
  ASSERT_EQ(Os().RegOpenKeyExW(Key(), u"", 0, cKeyQueryValue, again.out()), 0u);
  ASSERT_NE(again.get(), 0u);
  EXPECT_NE(again.get(), Key());
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(Os().RegQueryValueExW(again.get(), u"marker", &type, nullptr, &size), 0u);
  EXPECT_EQ(size, 4u);
  again.Close();
  // The parent handle is untouched by closing the second one.
  EXPECT_EQ(Os().RegQueryValueExW(Key(), u"marker", &type, nullptr, &size), 0u);
}

// A trailing backslash names the same key; it is how the registry layer passes every path.
TEST_F(RegistryContract, TrailingBackslashNamesTheSameKey) {
  TScopedKey created, opened;
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"Outer\\Inner\\", 0, cRw, created.out(), nullptr), 0u);
  ASSERT_EQ(Set(created.get(), u"here", cRegDword, {1, 0, 0, 0}), 0u);
  ASSERT_EQ(Os().RegOpenKeyExW(Key(), u"Outer\\Inner", 0, cKeyQueryValue, opened.out()), 0u);
  std::uint32_t size = 0;
  EXPECT_EQ(Os().RegQueryValueExW(opened.get(), u"here", nullptr, nullptr, &size), 0u);
}

// Creating a key below missing keys creates the whole chain.
TEST_F(RegistryContract, CreateMakesMissingIntermediateKeys) {
  TScopedKey deep, middle;
  std::uint32_t disposition = 0;
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"A\\B\\C", 0, cRw, deep.out(), &disposition), 0u);
  EXPECT_EQ(disposition, cRegCreatedNewKey);
  EXPECT_EQ(Os().RegOpenKeyExW(Key(), u"A\\B", 0, cKeyQueryValue, middle.out()), 0u);
}

// Key and value names are compared without regard to case.
TEST_F(RegistryContract, NamesIgnoreCase) {
  TScopedKey created, opened;
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"MixedCase", 0, cRw, created.out(), nullptr), 0u);
  ASSERT_EQ(Set(created.get(), u"ValueName", cRegDword, {3, 0, 0, 0}), 0u);
  ASSERT_EQ(Os().RegOpenKeyExW(Key(), u"MIXEDCASE", 0, cKeyQueryValue, opened.out()), 0u);
  std::uint32_t size = 0;
  EXPECT_EQ(Os().RegQueryValueExW(opened.get(), u"valuename", nullptr, nullptr, &size), 0u);
  EXPECT_EQ(size, 4u);
}

// Missing keys and values answer 2; the default value of a fresh key is missing too.
TEST_F(RegistryContract, MissingKeysAndValuesGiveFileNotFound) {
  TScopedKey missing, fresh;
  EXPECT_EQ(Os().RegOpenKeyExW(Key(), u"NoSuchKey", 0, cKeyQueryValue, missing.out()), cErrFileNotFound);
  EXPECT_EQ(missing.get(), 0u);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(Os().RegQueryValueExW(Key(), u"NoSuchValue", &type, nullptr, &size), cErrFileNotFound);
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"Fresh", 0, cRw, fresh.out(), nullptr), 0u);
  EXPECT_EQ(Os().RegQueryValueExW(fresh.get(), u"", &type, nullptr, &size), cErrFileNotFound);
}

// The empty name addresses the key's default value.
TEST_F(RegistryContract, EmptyNameIsTheDefaultValue) {
  ASSERT_EQ(Set(Key(), u"", cRegSz, Utf16Bytes(u"dflt", true)), 0u);
  std::uint32_t type = 0, size = 0;
  ASSERT_EQ(Os().RegQueryValueExW(Key(), u"", &type, nullptr, &size), 0u);
  EXPECT_EQ(type, cRegSz);
  EXPECT_EQ(size, 10u);
}

struct TQueryCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

class QueryWithoutBuffer : public ContractTest, public testing::WithParamInterface<TQueryCase> {};

// A query without a buffer reports the stored type and byte size exactly, whatever they are.
TEST_P(QueryWithoutBuffer, ReportsTypeAndSize) {
  const TQueryCase& c = GetParam();
  ASSERT_EQ(Set(Key(), u"probe", c.type, c.data), 0u);
  std::uint32_t type = 0xFFFF, size = 0;
  ASSERT_EQ(Os().RegQueryValueExW(Key(), u"probe", &type, nullptr, &size), 0u);
  EXPECT_EQ(type, c.type);
  EXPECT_EQ(size, c.data.size());
  // The second read with that size brings back the same bytes.
  std::vector<std::uint8_t> back(size + 2, 0xCC);
  std::uint32_t size2 = size;
  ASSERT_EQ(Os().RegQueryValueExW(Key(), u"probe", &type, back.data(), &size2), 0u);
  EXPECT_EQ(size2, size);
  EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), back.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Types, QueryWithoutBuffer,
    testing::Values(TQueryCase{"sz", cRegSz, Utf16Bytes(u"abc", true)},
                    TQueryCase{"expand_sz_is_not_sz", cRegExpandSz, Utf16Bytes(u"%TEMP%", true)},
                    TQueryCase{"sz_without_nul", cRegSz, Utf16Bytes(u"abc", false)},
                    TQueryCase{"sz_only_nul", cRegSz, Utf16Bytes(u"", true)},
                    TQueryCase{"sz_empty", cRegSz, {}},
                    TQueryCase{"binary_of_four", cRegBinary, {1, 2, 3, 4}},
                    TQueryCase{"binary_empty", cRegBinary, {}},
                    TQueryCase{"none_empty", cRegNone, {}},
                    TQueryCase{"dword", cRegDword, {0x78, 0x56, 0x34, 0x12}}),
    [](const testing::TestParamInfo<TQueryCase>& info) { return std::string(info.param.name); });

// A buffer too small gives 234 with the size needed and the type, and leaves the caller to retry.
TEST_F(RegistryContract, TooSmallBufferGivesMoreData) {
  ASSERT_EQ(Set(Key(), u"long", cRegSz, Utf16Bytes(u"longer text", true)), 0u);
  std::uint8_t buffer[4] = {};
  std::uint32_t type = 0, size = sizeof buffer;
  EXPECT_EQ(Os().RegQueryValueExW(Key(), u"long", &type, buffer, &size), cErrMoreData);
  EXPECT_EQ(size, 24u);
  EXPECT_EQ(type, cRegSz);
}

// A handle only has the rights it was opened with.
TEST_F(RegistryContract, HandleRightsAreChecked) {
  ASSERT_EQ(Set(Key(), u"v", cRegDword, {1, 0, 0, 0}), 0u);
  TScopedKey readOnly, writeOnly;
  ASSERT_EQ(Os().RegOpenKeyExW(Key(), u"", 0, cKeyQueryValue, readOnly.out()), 0u);
  ASSERT_EQ(Os().RegOpenKeyExW(Key(), u"", 0, cKeySetValue, writeOnly.out()), 0u);
  const std::uint8_t data[4] = {2, 0, 0, 0};
  EXPECT_EQ(Os().RegSetValueExW(readOnly.get(), u"v", cRegDword, data, 4), cErrAccessDenied);
  std::uint32_t size = 0;
  EXPECT_EQ(Os().RegQueryValueExW(writeOnly.get(), u"v", nullptr, nullptr, &size), cErrAccessDenied);
}

// Closing a handle twice fails the second time, with the handle reported invalid.
TEST_F(RegistryContract, ClosingTwiceFails) {
  THKey key = 0;
  ASSERT_EQ(Os().RegOpenKeyExW(Key(), u"", 0, cKeyQueryValue, key), 0u);
  EXPECT_EQ(Os().RegCloseKey(key), 0u);
  EXPECT_EQ(Os().RegCloseKey(key), cErrInvalidHandle);
}

// The current user's root opens as an owned handle that reaches the user's keys.
TEST_F(RegistryContract, CurrentUserRootIsAnOwnedHandle) {
  TScopedKey root, scratch;
  ASSERT_EQ(Os().RegOpenCurrentUser(cKeyRead, root.out()), 0u);
  ASSERT_NE(root.get(), 0u);
  EXPECT_NE(root.get(), cHkeyCurrentUser);
  EXPECT_EQ(Os().RegOpenKeyExW(root.get(), KeyPath(), 0, cKeyQueryValue, scratch.out()), 0u);
}

}  // namespace
