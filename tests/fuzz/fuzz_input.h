// What every fuzz target shares: a reader that takes typed fields from the
// fuzzer's bytes (running dry gives zeros, never an error), the check that
// turns a broken property into a crash the fuzzer keeps, a fresh emulated
// system per input, and the encoding of registry values that the registry
// targets and their seed writer agree on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/types.h"
#include "platform/sim/sim_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// A broken property: libFuzzer keeps the input and the replay run fails.
#define FUZZ_CHECK(cond)                                                                 \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond);  \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

class TFuzzInput {
 public:
  TFuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::size_t Left() const { return size_ - pos_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
  std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }
  std::uint64_t U64() { return U32() | static_cast<std::uint64_t>(U32()) << 32; }
  // Up to count bytes (fewer at the end).
  std::vector<std::uint8_t> Bytes(std::size_t count) {
    if (count > Left()) count = Left();
    std::vector<std::uint8_t> out(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return out;
  }
  std::vector<std::uint8_t> Rest() { return Bytes(Left()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The bytes as UTF-16 little-endian units; an odd last byte is dropped.
inline ustring Utf16Of(const std::uint8_t* data, std::size_t size) {
  ustring text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  return text;
}

// A fresh emulated system as the process's platform for one input. Whatever
// the input, every key and handle the code under test opened must be closed
// again when it is done.
template <class TSystem = TSimPlatform>
class TFuzzSystem {
 public:
  TFuzzSystem() { previous_ = SetOs(&sim); }
  ~TFuzzSystem() { SetOs(previous_); }
  TFuzzSystem(const TFuzzSystem&) = delete;
  TFuzzSystem& operator=(const TFuzzSystem&) = delete;

  void ExpectNothingOpen() {
    if (sim.OpenCount() == 0) return;
    for (const std::string& item : sim.DescribeOpen()) std::fprintf(stderr, "still open: %s\n", item.c_str());
    FUZZ_CHECK(sim.OpenCount() == 0);
  }

  TSystem sim;

 private:
  IPlatform* previous_ = nullptr;
};

// One registry value in a fuzz input: a name selector, the type (one byte,
// or 0xFF and then four bytes for any 32-bit type), a 16-bit length and the
// data. Input that runs dry ends the list.
struct TFuzzRegValue {
  std::uint8_t name;
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

inline constexpr std::uint8_t cFuzzWideType = 0xFF;

inline std::vector<TFuzzRegValue> ReadRegValues(TFuzzInput& in) {
  std::vector<TFuzzRegValue> values;
  while (in.Left() >= 4) {
    TFuzzRegValue v;
    v.name = in.Byte();
    const std::uint8_t type = in.Byte();
    v.type = type == cFuzzWideType ? in.U32() : type;
    v.data = in.Bytes(in.U16());
    values.push_back(std::move(v));
  }
  return values;
}

inline void AppendRegValue(std::vector<std::uint8_t>& out, const TFuzzRegValue& v) {
  out.push_back(v.name);
  if (v.type < cFuzzWideType) {
    out.push_back(static_cast<std::uint8_t>(v.type));
  } else {
    out.push_back(cFuzzWideType);
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<std::uint8_t>(v.type >> (8 * b)));
  }
  out.push_back(static_cast<std::uint8_t>(v.data.size()));
  out.push_back(static_cast<std::uint8_t>(v.data.size() >> 8));
  out.insert(out.end(), v.data.begin(), v.data.end());
}

// The UTF-16 units of text with a terminating NUL, as a program writes REG_SZ.
inline std::vector<std::uint8_t> RegSzBytes(const ustring& text) {
  std::vector<std::uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

// What a program reading stored string data gets: the little-endian units
// up to the first NUL unit; an odd last byte is the low half of one more unit.
inline ustring TextOfRegData(const std::vector<std::uint8_t>& data) {
  ustring text;
  for (std::size_t i = 0; i < data.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | (i + 1 < data.size() ? data[i + 1] << 8 : 0));
    if (unit == 0) break;
    text += unit;
  }
  return text;
}
