// String, number, path and clock helpers shared by all layers. Positions are
// 1-based; 0 means "not found". No helper raises or keeps state.
#pragma once
#include <cstdint>
#include <vector>
#include "common/types.h"

// Appends "\" unless the text is empty or already ends with one.
ustring AddBackslash(const ustring& text);

// Opens path for reading with full sharing and the given flags; true when it
// opens, or when another process holds it (sharing or lock violation).
bool PathPresent(const ustring& path, std::uint32_t flags);
bool FilePresent(const ustring& path);  // a folder gives false
bool DirPresent(const ustring& path);   // backup semantics: files pass too

// Place of c in the zero-terminated text (of the terminator for c == 0), or nullptr.
const char16_t* FindChar(const char16_t* text, char16_t c);
// Last 1-based position in text of any character of set, 0 when none.
int LastCharOf(const ustring& set, const ustring& text);
// Drops leading and trailing characters with codes <= 32.
ustring TrimControls(const ustring& text);
// The lines of a text broken at each CR LF pair (a lone CR or LF stays in its
// line); an empty text and a text ending in CR LF give an empty last line.
std::vector<ustring> SplitCrLf(const ustring& text);
// Everything up to and including the last "\" or ":"; empty when neither.
ustring PathOfFile(const ustring& path);
// Whole text as a signed decimal number (optional sign, digits).
bool TextToInt64(const ustring& text, std::int64_t& value);
// Upper-case hexadecimal of the 64-bit pattern, at least `digits` long.
ustring HexOf(std::uint64_t value, int digits);
ustring HexOf(std::int64_t value, int digits);
ustring HexOf(std::uint32_t value, int digits);
ustring HexOf(int value, int digits);
// Decimal text; negatives get "-" and the unsigned 32-bit magnitude.
ustring DecOfInt(std::int32_t value);
// DecOfInt with "0" put in front up to `width` characters.
ustring DecOfIntPadded(std::int32_t value, int width);
// Current UTC date as "YYYY-MM-DD".
ustring UtcDateStamp();
// ((second * 1024 + millisecond) << 16) + (n & 0xFFFF), from the UTC clock.
std::uint32_t TimeTag(std::uint32_t n);
// A-Z to a-z; every other unit unchanged.
ustring LowerAscii(const ustring& text);

// Conversions for logs, tests and the native tools (UTF-8 <-> UTF-16).
std::string ToUtf8(const ustring& text);
ustring FromUtf8(const std::string& text);
