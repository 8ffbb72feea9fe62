// The choices of one installation. The form owns one instance; every worker
// task gets a full copy (strings included) when it starts.
#pragma once
#include <array>
#include <cstdint>
#include "common/types.h"

// One flag per hash-file extension, in the order of HashExts.
using TFileAsso = std::array<bool, 8>;

struct TNewSetup {
  bool nsEulAgr = false;        // licence accepted
  bool nsCanOvr = false;        // product files already present may be replaced
  bool nsCutDsk = false;        // desktop shortcut wanted
  std::uint8_t nsInsTyp = 0;    // 0 undetermined, 1 new installation, 2 update
  TSuLang nsLangua = 0;         // language of wizard and installation
  TFileAsso nsAssoci{};         // extensions to associate with the product
  std::int64_t nsTotSiz = 0;    // bytes to write; -1 after a failed payload check
  ustring nsInsLoc;             // installation folder, always with a trailing backslash
};

constexpr std::uint8_t cInsTypNew = 1;
constexpr std::uint8_t cInsTypUpdate = 2;
