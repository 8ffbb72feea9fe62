// Chooses the backend of the contract suite: the emulation natively, the real
// system in the Windows build. The tests themselves are the same source.
#include "contract_env.h"

#ifdef _WIN32
#include "contract_win32.h"
#else
#include "platform/sim/sim_platform.h"
#endif

#include "common/utils.h"

struct ContractTest::TBackend {
#ifndef _WIN32
  TSimPlatform sim;
  IPlatform* previous = nullptr;
#endif
};

ContractTest::ContractTest() = default;
ContractTest::~ContractTest() = default;

ustring ContractTest::KeyPath() { return u"Software\\CorvalinContractTests"; }

bool ContractTest::RealBackend() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

bool ContractTest::UnderWine() {
#ifdef _WIN32
  return WinIsWine();
#else
  return false;
#endif
}

void ContractTest::SetUp() {
  backend_ = std::make_unique<TBackend>();
#ifdef _WIN32
  WinDeleteKeyTree(KeyPath());
  dir_ = WinScratchFolder();
#else
  backend_->previous = SetOs(&backend_->sim);
  dir_ = u"C:\\ContractScratch\\";
  ASSERT_EQ(Os().CreateDirectoryW(dir_), 0u);
#endif
  ASSERT_FALSE(dir_.empty());
  ASSERT_EQ(Os().RegCreateKeyExW(cHkeyCurrentUser, KeyPath(), 0, cKeyQueryValue | cKeySetValue | cKeyCreateSubKey,
                                 key_, nullptr),
            0u);
}

void ContractTest::TearDown() {
  if (key_ != 0) Os().RegCloseKey(key_);
  key_ = 0;
#ifdef _WIN32
  WinRemoveTree(dir_);
  WinDeleteKeyTree(KeyPath());
#else
  // Every test closes what it opened.
  EXPECT_EQ(backend_->sim.OpenCount(), 0u);
  SetOs(backend_->previous);
#endif
  backend_.reset();
}

std::string ContractTest::ReadBack(const ustring& path) {
#ifdef _WIN32
  return WinReadFile(path);
#else
  return backend_->sim.FileBytes(path).value_or("<missing>");
#endif
}

void ContractTest::MakeFile(const ustring& path, const std::string& bytes, std::uint32_t attributes) {
  TScopedFile file;
  ASSERT_EQ(file.Open(path, cGenericWrite, 0, cCreateAlways, attributes), 0u) << ToUtf8(path);
  std::uint32_t written = 0;
  ASSERT_EQ(Os().WriteFile(file.get(), bytes.data(), static_cast<std::uint32_t>(bytes.size()), written), 0u);
  ASSERT_EQ(written, bytes.size());
}
