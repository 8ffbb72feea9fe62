// Turns the body of a payload record (the raw deflate stream after the
// header) back into the file and proves it by its CRC-32.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/mem_stream.h"
#include "engine/pay_head.h"

// On entry the buffer holds the record's bytes after the header, from
// position 0. Exactly phCmpSiz bytes are fed to the decompressor (a shorter
// buffer counts as padded with zeros; bytes beyond are ignored) and exactly
// phOrgSiz bytes are taken out; true when that many came out and their CRC-32
// equals phCrcVal. On true the buffer holds the inflated file; on false its
// content is undefined. The position is 0 afterwards in every case. Never
// throws.
bool UnpackPayload(TMemStream& buffer, const TPayHead& head);

// The same result as UnpackPayload over a buffer that held the `size` bytes
// at `body`, but reading them in place: the buffer is cleared and receives
// only the inflated file. With an abandon flag, gives up with false soon
// after the flag is set (another thread's record failed). Never throws.
bool UnpackPayloadFrom(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& buffer,
                       const std::atomic<bool>* abandon = nullptr);

// The result UnpackPayloadFrom gives for the same record, without keeping
// the file: it is inflated piece by piece into `window` (reused, it grows to
// at most 256 KiB) and each piece is folded into the CRC-32 while it is
// still in the cache. For a check that needs only the verdict. Never throws.
bool CheckPayloadBody(const std::uint8_t* body, std::size_t size, const TPayHead& head, TMemStream& window,
                      const std::atomic<bool>* abandon = nullptr);

// False for a header whose phOrgSiz no deflate stream of phCmpSiz bytes can
// reach: such a record never unpacks, so it can be refused before inflating.
bool PayHeadReachable(const TPayHead& head);
