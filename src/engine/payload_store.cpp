#include "engine/payload_store.h"

#include <string>

#include "catalogue/payload_files.h"
#include "engine/pay_head.h"
#include "engine/payload_scan.h"
#include "engine/payload_unpack.h"
#include "platform/platform.h"
#include "platform/wincodes.h"

TPayRecord OpenPayloadRecord(int index) {
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
  return TPayRecord{index, DecodePayHead(data), data + cPayHeadSize, size - cPayHeadSize};
}

bool ReadPayloadEntry(int index, TMemStream& buffer) {
  const TPayRecord record = OpenPayloadRecord(index);
  return UnpackPayloadFrom(record.body, record.size, record.head, buffer);
}

std::int64_t CheckPayload() {
  std::int64_t total = 0;
  if (TakeStartedPayloadCheck(total)) return total;
  return CheckPayloadOnThreads(ScanThreadCount());
}
