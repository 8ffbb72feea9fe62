// The records hold raw deflate data without the zlib wrapper. Decompressing
// them as a zlib stream behind the two-byte header 0x78 0x9C (32 KiB window)
// and stopping after phOrgSiz bytes behaves exactly like a raw inflate with
// window bits -15 that stops there: the end of the stream and the Adler-32
// trailer are never looked for, so trailing bytes do not matter. The raw
// inflate reads the record in place and writes straight into the buffer, so a
// record costs phOrgSiz bytes plus zlib's own state, and no copies.
#include "engine/payload_unpack.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <exception>

#include "engine/crc32.h"

namespace {

// No deflate stream inflates to more than 1032 bytes per input byte: the
// longest match (258 bytes) costs at least a one-bit length code and a
// one-bit distance code. A header asking for more is bound to come up short,
// so it is refused before its size is allocated.
constexpr std::uint64_t cMaxInflateRatio = 1032;

// The most that `bytes` bytes of deflate data can inflate to.
std::uint64_t MaxInflated(std::uint64_t bytes) { return bytes * cMaxInflateRatio + cMaxInflateRatio; }

bool Reachable(const TPayHead& head) { return head.phOrgSiz <= MaxInflated(head.phCmpSiz); }

// Zeros that stand in for the part of a record shorter than its phCmpSiz.
alignas(64) const unsigned char kZeroTail[16384] = {};

class TRawInflater {
 public:
  TRawInflater() { ok_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
  ~TRawInflater() {
    if (ok_) inflateEnd(&stream_);
  }
  TRawInflater(const TRawInflater&) = delete;
  TRawInflater& operator=(const TRawInflater&) = delete;

  bool Ok() const { return ok_; }
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

// Room for the output: the whole file at once when the record's own bytes can
// deliver it, which is so for every intact record. A header that claims more
// than they can give counts on the zero padding up to phCmpSiz, which inflates
// to nothing in all but contrived streams; there the room grows with what
// really comes out, so a damaged header cannot make the scan reserve up to
// 4 GiB before a byte of it is checked.
constexpr std::size_t cFirstRoom = 1u << 20;

std::size_t FirstRoom(std::size_t realBytes, std::uint32_t orgSiz) {
  if (orgSiz <= MaxInflated(realBytes)) return orgSiz;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(orgSiz, std::max<std::uint64_t>(cFirstRoom, MaxInflated(realBytes))));
}

// Feeds body[0, min(size, cmpSiz)) and then zeros up to cmpSiz bytes in all,
// and takes out orgSiz bytes into out (sized to them at the end); true when
// all of them came out.
bool InflateExactly(const std::uint8_t* body, std::size_t size, std::uint32_t cmpSiz, TMemStream& out,
                    std::uint32_t orgSiz) {
  if (orgSiz == 0) return true;
  TRawInflater inflater;
  if (!inflater.Ok()) return false;
  z_stream& s = inflater.Stream();
  const std::size_t real = std::min<std::size_t>(size, cmpSiz);
  std::uint64_t zerosLeft = cmpSiz - real;
  std::size_t room = FirstRoom(real, orgSiz);
  s.next_in = body;
  s.avail_in = static_cast<uInt>(real);
  s.next_out = out.SetSize(room);
  s.avail_out = static_cast<uInt>(room);
  std::size_t produced = 0;
  while (produced < orgSiz) {
    if (s.avail_out == 0) {
      room = static_cast<std::size_t>(std::min<std::uint64_t>(orgSiz, std::uint64_t{room} * 2));
      s.next_out = out.SetSize(room) + produced;
      s.avail_out = static_cast<uInt>(room - produced);
    }
    if (s.avail_in == 0) {
      if (zerosLeft == 0) break;
      const auto chunk = static_cast<uInt>(std::min<std::uint64_t>(zerosLeft, sizeof kZeroTail));
      s.next_in = kZeroTail;
      s.avail_in = chunk;
      zerosLeft -= chunk;
    }
    const uInt before = s.avail_out;
    const int rc = inflate(&s, Z_NO_FLUSH);
    produced += before - s.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && s.avail_in == 0) continue;  // wants more input
    if (rc != Z_OK) return false;                        // corrupt data or out of memory
  }
  return produced == orgSiz;
}

// Inflates and checks one record body into out (size phOrgSiz).
bool InflateAndCheck(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& out) {
  out.Clear();
  if (!InflateExactly(body, size, head.phCmpSiz, out, head.phOrgSiz)) return false;
  out.SetSize(head.phOrgSiz);
  const std::uint8_t* dst = out.Data();
  // One running value over the whole file; fed in pieces that fit the
  // signed 32-bit length, so that files of 2 GiB and more check correctly.
  std::uint32_t crc;
  CRC32Init(crc);
  constexpr std::size_t cPiece = 1u << 30;
  for (std::size_t done = 0; done < head.phOrgSiz; done += cPiece)
    CRC32Update(dst + done, static_cast<std::int32_t>(std::min<std::size_t>(cPiece, head.phOrgSiz - done)), crc);
  return ~crc == head.phCrcVal;
}

}  // namespace

bool UnpackPayload(TMemStream& buffer, const TPayHead& head) {
  bool ok = false;
  try {
    if (Reachable(head)) {
      TMemStream inflated;
      ok = InflateAndCheck(buffer.Data(), buffer.Size(), head, inflated);
      if (ok) buffer.Swap(inflated);
    }
  } catch (const std::exception&) {
    ok = false;
  }
  buffer.SetPosition(0);
  return ok;
}

bool UnpackPayloadFrom(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& buffer) {
  bool ok = false;
  try {
    if (Reachable(head)) ok = InflateAndCheck(body, size, head, buffer);
  } catch (const std::exception&) {
    ok = false;
  }
  buffer.SetPosition(0);
  return ok;
}
