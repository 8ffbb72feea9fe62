// The payload this build packed: the record files, the records inside a
// built Corvalin-Setup.exe (read natively through the PE reader) and, in the
// Windows build, the records linked into this test program and read through
// the real resource API. Each is compared with the product files they were
// packed from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "catalogue/payload_files.h"
#include "engine/payload_store.h"
#include "platform/sim/file_bytes.h"
#include "platform/sim/pe_resources.h"
#include "platform/sim/record_source.h"
#include "platform/wincodes.h"
#include "support/payload_facts.h"
#include "support/payload_records.h"
#include "support/sim_fixture.h"

namespace fs = std::filesystem;

namespace {

fs::path ProductFile(std::size_t index) {
  return PayloadFacts().sourceDir / fs::path(std::u16string(PayFiles[index].pfFilNam));
}

TByteVec ReadProductFile(std::size_t index) {
  TByteVec bytes;
  std::string error;
  EXPECT_TRUE(ReadFileBytes(ProductFile(index), bytes, error)) << error;
  return bytes;
}

// The sum of the sizes of the flagged product files.
std::int64_t FlaggedTotal() {
  std::int64_t total = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i)
    if (PayFiles[i].pfInstal) total += static_cast<std::int64_t>(fs::file_size(ProductFile(i)));
  return total;
}

// Every record, flagged or not, unpacks to its product file byte for byte.
void ExpectRecordsMatchProductFiles() {
  TMemStream buffer;
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    SCOPED_TRACE(ProductFile(i).string());
    ASSERT_TRUE(ReadPayloadEntry(static_cast<int>(i), buffer));
    const TByteVec expected = ReadProductFile(i);
    ASSERT_EQ(buffer.Size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.Data()));
  }
}

class PayloadBuild : public SimFixture {};

class PayloadSetupExe : public SimFixture {
 protected:
  void SetUp() override {
    setupExe = PayloadFacts().setupExe;
    if (setupExe.empty() || !fs::exists(setupExe))
      GTEST_SKIP() << "no built Corvalin-Setup.exe: configure with -DCORVALIN_SETUP_EXE=<path> to check its payload";
  }
  fs::path setupExe;
};

}  // namespace

// The record files of this build unpack to the product files, and the scan
// gives the sum of the flagged files' sizes.
TEST_F(PayloadBuild, RecordFilesMatchProductFiles) {
  std::string error;
  ASSERT_EQ(LoadRecordFolder(sim, PayloadFacts().recordsDir, error), static_cast<int>(cPayFileCount)) << error;
  ExpectRecordsMatchProductFiles();
  EXPECT_EQ(CheckPayload(), FlaggedTotal());
}

// The fifteen records inside the built setup unpack to the product files,
// and the scan gives the flagged total.
TEST_F(PayloadSetupExe, RecordsMatchProductFiles) {
  std::string error;
  ASSERT_EQ(LoadExeRecords(sim, setupExe, error), static_cast<int>(cPayFileCount)) << error;
  ExpectRecordsMatchProductFiles();
  const std::int64_t total = CheckPayload();
  EXPECT_EQ(total, FlaggedTotal());
  std::cout << "payload total of " << setupExe.string() << ": " << total << " bytes\n";
}

// A copy of the setup with one byte of one flagged record changed fails the scan.
TEST_F(PayloadSetupExe, ChangedByteInACopyFailsTheScan) {
  TByteVec image;
  std::string error;
  ASSERT_TRUE(ReadFileBytes(setupExe, image, error)) << error;
  TPeResources pe;
  ASSERT_EQ(pe.Open(image.data(), image.size(), error), TPeStatus::Found) << error;
  const std::uint8_t* record = nullptr;
  std::uint32_t size = 0;
  ASSERT_EQ(pe.Find(cRtRcData, PayResourceId(cPayShellExt), record, size, error), TPeStatus::Found) << error;
  ASSERT_GT(size, 1000u);
  image[static_cast<std::size_t>(record - image.data()) + size / 2] ^= 0x20;

  const fs::path copy = fs::temp_directory_path() / "corvalin_payload_damaged_setup.exe";
  {
    std::ofstream out(copy, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    ASSERT_TRUE(out.good());
  }
  const int loaded = LoadExeRecords(sim, copy, error);
  fs::remove(copy);
  ASSERT_EQ(loaded, static_cast<int>(cPayFileCount)) << error;
  EXPECT_EQ(CheckPayload(), -1);
}

// The setup's version block (RT_VERSION, id 1) is readable through the same
// reader: a VS_VERSION_INFO node no longer than the resource.
TEST_F(PayloadSetupExe, VersionBlockIsReadable) {
  TByteVec block;
  std::string error;
  ASSERT_EQ(ReadPeResourceFile(setupExe, cRtVersion, 1, block, error), TPeStatus::Found) << error;
  ASSERT_GE(block.size(), 6u + 32u);
  const std::size_t length = block[0] | block[1] << 8;
  EXPECT_LE(length, block.size());
  const std::u16string key = u"VS_VERSION_INFO";
  for (std::size_t i = 0; i < key.size(); ++i)
    EXPECT_EQ(block[6 + 2 * i] | block[7 + 2 * i] << 8, key[i]) << "character " << i;
}

// In the Windows build this program carries the records itself: the scan
// through the real resource API gives the total of the product files.
TEST(PayloadOwnResources, ScanThroughTheResourceApiMatchesProductFiles) {
#ifndef _WIN32
  GTEST_SKIP() << "only the Windows build links the records into the test program";
#else
  ExpectRecordsMatchProductFiles();
  const std::int64_t total = CheckPayload();
  EXPECT_EQ(total, FlaggedTotal());
  std::cout << "payload total through the resource API: " << total << " bytes\n";
#endif
}
