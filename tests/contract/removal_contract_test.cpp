// What the uninstaller relies on when it removes things. Runs against the
// emulation natively and against the real system in the Windows build.
#include "contract_env.h"

namespace {

using RemovalContract = ContractTest;

constexpr std::uint32_t cRw = cKeyQueryValue | cKeySetValue;

// A key with a sub-key can't be deleted (5); without it, it can; a missing one gives 2.
TEST_F(RemovalContract, KeyGoesOnlyWithoutSubKeys) {
  TScopedKey child;
  std::uint32_t disposition = 0;
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"Parent\\Child", 0, cRw, child.out(), &disposition), 0u);
  child.Close();
  EXPECT_EQ(Os().RegDeleteKeyW(Key(), u"Parent"), cErrAccessDenied);
  EXPECT_EQ(Os().RegDeleteKeyW(Key(), u"Parent\\Child"), 0u);
  EXPECT_EQ(Os().RegDeleteKeyW(Key(), u"Parent"), 0u);
  EXPECT_EQ(Os().RegDeleteKeyW(Key(), u"Parent"), cErrFileNotFound);
  TScopedKey gone;
  EXPECT_EQ(Os().RegOpenKeyExW(Key(), u"Parent", 0, cKeyQueryValue, gone.out()), cErrFileNotFound);
}

// Values are counted with the default value; deleting a missing value gives 2.
TEST_F(RemovalContract, ValuesAreCountedAndDeleted) {
  TScopedKey key;
  std::uint32_t disposition = 0;
  ASSERT_EQ(Os().RegCreateKeyExW(Key(), u"Counted", 0, cRw, key.out(), &disposition), 0u);
  std::uint32_t subKeys = 9, values = 9;
  ASSERT_EQ(Os().RegQueryInfoKeyW(key.get(), subKeys, values), 0u);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(values, 0u);
  const std::uint8_t one[4] = {1, 0, 0, 0};
  ASSERT_EQ(Os().RegSetValueExW(key.get(), u"", cRegDword, one, 4), 0u);
  ASSERT_EQ(Os().RegSetValueExW(key.get(), u"named", cRegDword, one, 4), 0u);
  ASSERT_EQ(Os().RegQueryInfoKeyW(key.get(), subKeys, values), 0u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(Os().RegDeleteValueW(key.get(), u""), 0u);
  EXPECT_EQ(Os().RegDeleteValueW(key.get(), u"NAMED"), 0u);  // names compare without case
  EXPECT_EQ(Os().RegDeleteValueW(key.get(), u"named"), cErrFileNotFound);
  ASSERT_EQ(Os().RegQueryInfoKeyW(key.get(), subKeys, values), 0u);
  EXPECT_EQ(values, 0u);
}

// Deleting a file: read-only gives 5 until the attribute is cleared; a handle
// without delete sharing gives 32; one with delete sharing does not stop it.
TEST_F(RemovalContract, FileDeletion) {
  const ustring path = Dir() + u"a.bin";
  MakeFile(path, "abc", cFileAttributeReadonly);
  EXPECT_EQ(Os().DeleteFileW(path), cErrAccessDenied);
  ASSERT_EQ(Os().SetFileAttributesW(path, cFileAttributeNormal), 0u);
  {
    TScopedFile held;
    ASSERT_EQ(held.Open(path, cGenericRead, cFileShareRead, cOpenExisting), 0u);
    EXPECT_EQ(Os().DeleteFileW(path), cErrSharingViolation);
  }
  {
    TScopedFile shared;
    ASSERT_EQ(shared.Open(path, cGenericRead, cFileShareRead | cFileShareDelete, cOpenExisting), 0u);
    EXPECT_EQ(Os().DeleteFileW(path), 0u);
  }
  EXPECT_EQ(Os().DeleteFileW(path), cErrFileNotFound);
  EXPECT_EQ(Os().DeleteFileW(Dir() + u"no\\such.bin"), cErrPathNotFound);
}

// A copy never replaces a file (80); the copy has the same bytes.
TEST_F(RemovalContract, CopyMakesANewFileOnly) {
  MakeFile(Dir() + u"from.bin", "payload");
  MakeFile(Dir() + u"there.bin", "other");
  EXPECT_EQ(Os().CopyFileW(Dir() + u"from.bin", Dir() + u"there.bin"), cErrFileExists);
  EXPECT_EQ(ReadBack(Dir() + u"there.bin"), "other");
  ASSERT_EQ(Os().CopyFileW(Dir() + u"from.bin", Dir() + u"to.bin"), 0u);
  EXPECT_EQ(ReadBack(Dir() + u"to.bin"), "payload");
}

// A private folder is made like any folder: 183 when it exists, 3 without its parent.
TEST_F(RemovalContract, PrivateFolder) {
  EXPECT_EQ(Os().CreatePrivateDirectoryW(Dir() + u"mine"), 0u);
  EXPECT_EQ(Os().CreatePrivateDirectoryW(Dir() + u"mine"), cErrAlreadyExists);
  EXPECT_EQ(Os().CreatePrivateDirectoryW(Dir() + u"no\\mine"), cErrPathNotFound);
  MakeFile(Dir() + u"mine\\inside.bin", "x");  // the creator (an administrator) can write in it
  EXPECT_EQ(ReadBack(Dir() + u"mine\\inside.bin"), "x");
  EXPECT_EQ(Os().RemoveDirectoryW(Dir() + u"mine"), cErrDirNotEmpty);
}

}  // namespace
