#include "engine/payload_store.h"

#include <string>

#include "catalogue/payload_files.h"
#include "engine/pay_head.h"
#include "engine/payload_unpack.h"
#include "platform/platform.h"
#include "platform/wincodes.h"

bool ReadPayloadEntry(int index, TMemStream& buffer) {
  if (index < 0 || static_cast<std::size_t>(index) >= cPayFileCount)
    throw std::out_of_range("payload entry " + std::to_string(index) + " does not exist");
  const std::uint32_t id = PayResourceId(index);
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  if (!Os().FindOwnResource(cRtRcData, id, data, size))
    throw EResNotFound("payload record " + std::to_string(id) + " not found");
  if (size < cPayHeadSize) throw EReadError("payload record " + std::to_string(id) + " is shorter than its header");
  // The record's bytes stay where the resource layer keeps them (mapped with
  // the module on Windows); the inflater reads them in place.
  const TPayHead head = DecodePayHead(data);
  return UnpackPayloadFrom(data + cPayHeadSize, size - cPayHeadSize, head, buffer);
}

std::int64_t CheckPayload() {
  try {
    TMemStream buffer;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < cPayFileCount; ++i) {
      if (!PayFiles[i].pfInstal) continue;
      if (!ReadPayloadEntry(static_cast<int>(i), buffer)) return -1;
      total += static_cast<std::int64_t>(buffer.Size());  // equals the record's phOrgSiz
    }
    return total;
  } catch (...) {
    // A missing or unreadable record, or no memory for the buffer: the
    // payload cannot be proved intact.
    return -1;
  }
}
