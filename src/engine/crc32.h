// CRC-32 (ISO-HDLC, reflected polynomial 0xEDB88320): the check value of
// every payload record. The running value is kept by the caller.
#pragma once
#include <cstdint>

// Sets the running value to 0xFFFFFFFF.
void CRC32Init(std::uint32_t& crc);

// Folds `length` bytes at `data` into the running value, stores it back and
// returns it; it does not complement (the caller does that once at the end).
// A length of zero or less leaves the value unchanged.
std::uint32_t CRC32Update(const void* data, std::int32_t length, std::uint32_t& crc);
