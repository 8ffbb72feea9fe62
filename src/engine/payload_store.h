// Reading the payload records of the setup's own module: record 128 + i
// (resource type RCDATA) holds PayFiles entry i.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "engine/mem_stream.h"
#include "engine/pay_head.h"

// The record of an entry is not among the module's resources.
class EResNotFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The record is too short to hold its header.
class EReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One record as the resource layer holds it: its header and the bytes after
// it, read in place (they stay valid while the module is loaded).
struct TPayRecord {
  int index;
  TPayHead head;
  const std::uint8_t* body;
  std::size_t size;
};

// Opens record 128 + index and decodes its header; throws as ReadPayloadEntry.
TPayRecord OpenPayloadRecord(int index);

// Reads record 128 + index (index 0 to 14) into the reused working buffer and
// unpacks it; returns the result of UnpackPayload (on true the buffer holds
// the file at position 0). Throws EResNotFound when the record is absent,
// EReadError when it is shorter than its header, std::out_of_range for an
// index outside the table.
bool ReadPayloadEntry(int index, TMemStream& buffer);

// Inflates and verifies every record whose install flag is set and returns
// the sum of their sizes; -1 when any of them is missing, unreadable or does
// not unpack. The records are checked on as many threads as the machine has
// cores (CheckPayloadOnThreads); a scan started ahead by StartPayloadCheck
// is taken instead. Records without the flag are never opened. Never throws.
std::int64_t CheckPayload();
