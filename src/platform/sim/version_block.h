// A version resource block (VS_VERSIONINFO) read and written without the
// Windows version library: the emulated backend answers VerQueryValueW with
// it, and tests build blocks with it.
//
// Layout of every node: wLength (bytes of the node with its children),
// wValueLength, wType (1 = text, value length in UTF-16 units; 0 = binary,
// in bytes), the key as UTF-16 with its NUL, padding to 4 bytes, the value,
// padding to 4 bytes, the children (each starting on a 4-byte boundary).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/types.h"

// Looks up subBlock ("\" for the fixed file info, "\VarFileInfo\Translation",
// "\StringFileInfo\040904E4\FileVersion", ...) in the first blockSize bytes of
// block. Keys match without regard to ASCII case; empty path parts are skipped.
// On success data points into the block and length is the node's value length
// as stored (bytes for binary values, UTF-16 units including the NUL for
// text). A string value (three levels below StringFileInfo) must be stored
// as text, so that its length in units covers only checked bytes. Malformed
// or truncated input gives false; nothing outside the first blockSize bytes
// is read.
bool VersionBlockQuery(const void* block, std::size_t blockSize, const ustring& subBlock, const void*& data,
                       std::uint32_t& length);

struct TVersionTranslation {
  std::uint16_t lang;     // language id, e.g. 0x0409
  std::uint16_t charSet;  // code page, e.g. 0x04E4
};

struct TVersionString {
  ustring name;   // e.g. u"FileVersion"
  ustring value;  // stored with a terminating NUL
};

struct TVersionStringTable {
  ustring key;  // translation as eight hexadecimal digits, e.g. u"040904E4"
  std::vector<TVersionString> strings;
};

struct TVersionBlockContent {
  std::uint64_t fileVersion = 0;     // four 16-bit parts, most significant first
  std::uint64_t productVersion = 0;
  std::uint32_t fileFlagsMask = 0x3F;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOs = 0x40004;  // Windows NT, 32-bit API
  std::uint32_t fileType = 1;      // application
  std::vector<TVersionStringTable> stringTables;  // none: no StringFileInfo node
  std::vector<TVersionTranslation> translations;  // none: no VarFileInfo node
};

// Writes content in the layout above: the VS_VERSION_INFO root with a
// VS_FIXEDFILEINFO value, then StringFileInfo and VarFileInfo. Throws
// std::length_error when a node would exceed 65535 bytes.
std::vector<std::uint8_t> BuildVersionBlock(const TVersionBlockContent& content);

// The four 16-bit parts a.b.c.d as one 64-bit version number.
constexpr std::uint64_t PackVersion(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  return (std::uint64_t{a} << 48) | (std::uint64_t{b} << 32) | (std::uint64_t{c} << 16) | std::uint64_t{d};
}
