// Reading the version resource of a file through the platform's version API
// (GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW). A missing
// or malformed resource gives false (or the empty text), never an exception.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "common/types.h"

// One translation of a version resource, laid out as its translation table.
struct TTransRec {
  std::uint16_t Lang;     // language id, e.g. 0x0409
  std::uint16_t CharSet;  // code page, e.g. 0x04E4
};
using TTransArr = std::vector<TTransRec>;

inline constexpr int cVersValueCount = 12;
inline constexpr int cVersValueUnits = 64;       // longer values are cut
inline constexpr int cVersFileVersion = 9;       // index of "FileVersion"

// Names of the string values, in the order of TLocaVersInfo::Values.
inline constexpr std::array<const char16_t*, cVersValueCount> cVersValueNames{
    u"Comments",       u"InternalName",    u"ProductName",     u"CompanyName",
    u"LegalCopyright", u"ProductVersion",  u"FileDescription", u"LegalTrademarks",
    u"PrivateBuild",   u"FileVersion",     u"OriginalFilename", u"SpecialBuild"};

// The string values of one translation; each buffer holds at most 64 units
// and always ends with a zero unit.
struct TLocaVersInfo {
  TTransRec Transl;
  char16_t Values[cVersValueCount][cVersValueUnits + 1];
};
using TVersInfoArr = std::vector<TLocaVersInfo>;

// Reads the version resource of `file` into arr, one element per translation,
// and their number into count. True when at least one value of one
// translation was found. Without a resource or translations arr is empty and
// count 0; so they are after any exception, which never leaves the function.
bool ReadVersionInfo(const ustring& file, TVersInfoArr& arr, std::uint32_t& count);

// The translation table of a version block ("\VarFileInfo\Translation").
// True when it has at least one entry; count is 0 when the query fails.
bool ReadTranslations(const void* block, TTransArr& arr, std::uint32_t& count);

// Fills arr[t] with the translation trans[t] and its values found in the
// block, for t = 0..count-1 (arr is sized to count beforehand and grown if
// shorter). True when at least one value was found.
bool ReadVersionStrings(const void* block, const TTransArr& trans, std::uint32_t count, TVersInfoArr& arr);

// " v" and the file version of the executable at `path` without its last
// part (3.0.0.10001 -> " v3.0.0"); empty unless the resource has exactly one
// translation, US English with code page 1252.
ustring SetupVersionText(const ustring& path);
