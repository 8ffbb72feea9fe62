// The product's version constants and every text and number built from them.
#pragma once
#include <cstdint>
#include "common/types.h"

inline constexpr std::int32_t cVerMajor = 10;
inline constexpr std::int32_t cVerMinor = 1;      // shown with two digits
inline constexpr std::int32_t cVerBuild = 10001;  // kept in bits 0..15 of Version
inline constexpr std::int32_t cBitness = 64;      // shown after an "x"
inline constexpr std::int32_t cSetupTag = 1;      // byte 1 of SetupVersion

static_assert(cVerBuild >= 0 && cVerBuild <= 0xFFFF, "the build number must fit in 16 bits");
static_assert(cSetupTag >= 0 && cSetupTag <= 0xFF, "the setup tag is one byte");

// Major in decimal, ".", minor with at least two digits, " KQ" (10, 1 -> "10.01 KQ").
ustring ComposeDisplayVersion(std::int32_t major, std::int32_t minor);
// The wizard's title line, "Corvalin 10.01.10001 x64 KQ".
ustring ComposeTitleLine();
// The uninstall entry's display name, "Corvalin v10.01 KQ x64".
ustring ComposeDisplayName();

// The uninstall entry's Version value: major << 24 | minor << 16 | build.
constexpr std::uint32_t ComposeVersionDword(std::int32_t major, std::int32_t minor, std::int32_t build) {
  return (static_cast<std::uint32_t>(major) << 24) + (static_cast<std::uint32_t>(minor) << 16) +
         static_cast<std::uint32_t>(build);
}
// The product key's SetupVersion value: major << 24 | minor << 16 | tag << 8 | bitness.
constexpr std::uint32_t ComposeSetupVersionDword(std::int32_t major, std::int32_t minor, std::int32_t tag,
                                                 std::int32_t bitness) {
  return (static_cast<std::uint32_t>(major) << 24) + (static_cast<std::uint32_t>(minor) << 16) +
         (static_cast<std::uint32_t>(tag) << 8) + static_cast<std::uint32_t>(bitness);
}

inline constexpr std::uint32_t cVersionDword = ComposeVersionDword(cVerMajor, cVerMinor, cVerBuild);
inline constexpr std::uint32_t cSetupVersionDword = ComposeSetupVersionDword(cVerMajor, cVerMinor, cSetupTag, cBitness);
