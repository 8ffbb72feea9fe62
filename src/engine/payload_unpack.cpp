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
#include <atomic>
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

// Most output between two looks at the abandon flag: small enough that a
// scan thread lets go of a large record within a millisecond or two once
// another record has failed, large enough to cost nothing measurable.
constexpr uInt cAbandonSlice = 1u << 20;

// The window a check inflates into, piece by piece: well inside a core's
// second-level cache, together with zlib's own 32 KiB window and state.
constexpr std::size_t cCheckWindow = 256u << 10;

// Where the inflated bytes of a record go. The inflation loop asks for room
// when the last piece is full (MoreRoom(stream, produced): next_out and
// avail_out, at most the bytes still to come) and hands over each piece
// right after it came out (Took).

// The whole file in one buffer, grown as the output really comes.
class TWholeFile {
 public:
  TWholeFile(TMemStream& out, std::size_t realBytes, std::uint32_t orgSiz) : out_(out), orgSiz_(orgSiz) {
    room_ = FirstRoom(realBytes, orgSiz);
  }
  void Begin(z_stream& s) {
    s.next_out = out_.SetSize(room_);
    s.avail_out = static_cast<uInt>(room_);
  }
  void MoreRoom(z_stream& s, std::size_t produced) {
    room_ = static_cast<std::size_t>(std::min<std::uint64_t>(orgSiz_, std::uint64_t{room_} * 2));
    s.next_out = out_.SetSize(room_) + produced;
    s.avail_out = static_cast<uInt>(room_ - produced);
  }
  void Took(const std::uint8_t*, uInt) {}

 private:
  TMemStream& out_;
  std::uint32_t orgSiz_;
  std::size_t room_;
};

// Only the CRC-32 of the file: each piece is folded in while it is still in
// the core's cache, and the same small window takes the next piece.
class TCrcOnly {
 public:
  TCrcOnly(TMemStream& window, std::uint32_t orgSiz) : window_(window), orgSiz_(orgSiz) { CRC32Init(crc_); }
  void Begin(z_stream& s) { MoreRoom(s, 0); }
  void MoreRoom(z_stream& s, std::size_t produced) {
    const std::size_t room = std::min<std::size_t>(cCheckWindow, orgSiz_ - produced);
    s.next_out = window_.SetSize(std::min<std::size_t>(cCheckWindow, orgSiz_));
    s.avail_out = static_cast<uInt>(room);
  }
  void Took(const std::uint8_t* piece, uInt bytes) { CRC32Update(piece, static_cast<std::int32_t>(bytes), crc_); }
  std::uint32_t Crc() const { return ~crc_; }

 private:
  TMemStream& window_;
  std::uint32_t orgSiz_;
  std::uint32_t crc_;
};

// Feeds body[0, min(size, cmpSiz)) and then zeros up to cmpSiz bytes in all,
// and takes out orgSiz bytes into the sink; true when all of them came out.
// Gives up (false) as soon as *abandon is set.
template <typename TSink>
bool InflateExactly(const std::uint8_t* body, std::size_t size, std::uint32_t cmpSiz, std::uint32_t orgSiz,
                    TSink& sink, const std::atomic<bool>* abandon) {
  if (orgSiz == 0) return true;
  TRawInflater inflater;
  if (!inflater.Ok()) return false;
  z_stream& s = inflater.Stream();
  const std::size_t real = std::min<std::size_t>(size, cmpSiz);
  std::uint64_t zerosLeft = cmpSiz - real;
  s.next_in = body;
  s.avail_in = static_cast<uInt>(real);
  sink.Begin(s);
  std::size_t produced = 0;
  while (produced < orgSiz) {
    if (s.avail_out == 0) sink.MoreRoom(s, produced);
    if (s.avail_in == 0) {
      if (zerosLeft == 0) break;
      const auto chunk = static_cast<uInt>(std::min<std::uint64_t>(zerosLeft, sizeof kZeroTail));
      s.next_in = kZeroTail;
      s.avail_in = chunk;
      zerosLeft -= chunk;
    }
    if (abandon != nullptr && abandon->load(std::memory_order_relaxed)) return false;
    const uInt room = s.avail_out;
    const uInt slice = abandon != nullptr ? std::min(room, cAbandonSlice) : room;
    s.avail_out = slice;
    const int rc = inflate(&s, Z_NO_FLUSH);
    const uInt made = slice - s.avail_out;
    sink.Took(s.next_out - made, made);
    produced += made;
    s.avail_out = room - made;
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && s.avail_in == 0) continue;  // wants more input
    if (rc != Z_OK) return false;                        // corrupt data or out of memory
  }
  return produced == orgSiz;
}

// Inflates and checks one record body into out (size phOrgSiz).
bool InflateAndCheck(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& out,
                     const std::atomic<bool>* abandon = nullptr) {
  out.Clear();
  TWholeFile whole(out, std::min<std::size_t>(size, head.phCmpSiz), head.phOrgSiz);
  if (!InflateExactly(body, size, head.phCmpSiz, head.phOrgSiz, whole, abandon)) return false;
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

bool UnpackPayloadFrom(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& buffer,
                       const std::atomic<bool>* abandon) {
  bool ok = false;
  try {
    if (Reachable(head)) ok = InflateAndCheck(body, size, head, buffer, abandon);
  } catch (const std::exception&) {
    ok = false;
  }
  buffer.SetPosition(0);
  return ok;
}

bool CheckPayloadBody(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& window,
                      const std::atomic<bool>* abandon) {
  try {
    if (!Reachable(head)) return false;
    window.Clear();
    TCrcOnly crc(window, head.phOrgSiz);
    return InflateExactly(body, size, head.phCmpSiz, head.phOrgSiz, crc, abandon) && crc.Crc() == head.phCrcVal;
  } catch (const std::exception&) {
    return false;
  }
}

bool PayHeadReachable(const TPayHead& head) { return Reachable(head); }
