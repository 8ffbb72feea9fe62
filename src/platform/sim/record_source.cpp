#include "platform/sim/record_source.h"

#include <system_error>
#include <vector>

#include "catalogue/payload_files.h"
#include "platform/sim/file_bytes.h"
#include "platform/sim/pe_resources.h"
#include "platform/sim/record_names.h"
#include "platform/wincodes.h"

int LoadRecordFolder(TSimPlatform& sim, const std::filesystem::path& folder, std::string& error) {
  int loaded = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const std::uint32_t id = PayResourceId(static_cast<int>(i));
    const std::filesystem::path file = folder / PayRecordFileName(id);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) continue;
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(file, bytes, error)) return -1;
    sim.resources[{cRtRcData, id}] = std::move(bytes);
    ++loaded;
  }
  return loaded;
}

int LoadExeRecords(TSimPlatform& sim, const std::filesystem::path& exe, std::string& error) {
  std::vector<std::uint8_t> image;
  if (!ReadFileBytes(exe, image, error)) return -1;
  TPeResources pe;
  if (pe.Open(image.data(), image.size(), error) != TPeStatus::Found) return -1;
  int loaded = 0;
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const std::uint32_t id = PayResourceId(static_cast<int>(i));
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    const TPeStatus status = pe.Find(cRtRcData, id, data, size, error);
    if (status == TPeStatus::NotFound) continue;
    if (status != TPeStatus::Found) return -1;
    sim.resources[{cRtRcData, id}] = std::vector<std::uint8_t>(data, data + size);
    ++loaded;
  }
  return loaded;
}
