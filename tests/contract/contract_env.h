// The backend under contract: natively a fresh emulated system per test; in
// the Windows build the real one (under Wine or on Windows), working in a
// scratch folder under %TEMP% and a scratch key below
// HKCU\Software\CorvalinContractTests, both removed after each test.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"

class ContractTest : public testing::Test {
 protected:
  ContractTest();
  ~ContractTest() override;
  void SetUp() override;
  void TearDown() override;

  // Scratch folder (with a trailing backslash), existing and empty at the start.
  const ustring& Dir() const { return dir_; }
  // The scratch key, open with query, set and create-sub-key rights.
  THKey Key() const { return key_; }
  // Path of the scratch key below HKEY_CURRENT_USER.
  static ustring KeyPath();
  // The file's bytes as the system has them (test-side read, outside the seam).
  std::string ReadBack(const ustring& path);

  // Writes a file through the seam; the handle is closed again.
  void MakeFile(const ustring& path, const std::string& bytes, std::uint32_t attributes = cFileAttributeNormal);

  static bool RealBackend();
  // The real backend is Wine (where it differs from Windows, tests say so with evidence).
  static bool UnderWine();

 private:
  ustring dir_;
  THKey key_ = 0;
  struct TBackend;
  std::unique_ptr<TBackend> backend_;
};

// RAII handle of the seam, so that a failed assertion can't leak it.
class TScopedFile {
 public:
  TScopedFile() = default;
  ~TScopedFile() { Close(); }
  TScopedFile(const TScopedFile&) = delete;
  TScopedFile& operator=(const TScopedFile&) = delete;
  std::uint32_t Open(const ustring& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                     std::uint32_t flags = 0) {
    Close();
    return Os().CreateFileW(path, access, share, disposition, flags, handle_);
  }
  THandle get() const { return handle_; }
  void Close() {
    if (handle_ != 0) Os().CloseHandle(handle_);
    handle_ = 0;
  }

 private:
  THandle handle_ = 0;
};

class TScopedKey {
 public:
  TScopedKey() = default;
  ~TScopedKey() { Close(); }
  TScopedKey(const TScopedKey&) = delete;
  TScopedKey& operator=(const TScopedKey&) = delete;
  THKey& out() { return key_; }
  THKey get() const { return key_; }
  void Close() {
    if (key_ != 0) Os().RegCloseKey(key_);
    key_ = 0;
  }

 private:
  THKey key_ = 0;
};
