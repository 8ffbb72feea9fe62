// The eight hash-file extensions the product owns and the algorithm family
// each one stands for. TFileAsso, the Prepare page's association boxes and
// every loop over extensions use the HashExts order.
#pragma once
#include <array>
#include <cstddef>
#include "catalogue/fixed_text.h"

inline constexpr std::size_t cHashExtCount = 8;

inline constexpr std::array<const char16_t*, cHashExtCount> HashExts{
    u".sfv", u".md5", u".sh1", u".sh2", u".sh3", u".blk", u".bk3", u".xxh"};

// HashAlgos[k] lists the algorithms of the files with extension HashExts[k].
inline constexpr std::array<const char16_t*, cHashExtCount> HashAlgos{
    u"CRC-32",
    u"MD5",
    u"SHA-1",
    u"SHA-224, SHA-256, SHA-384, SHA-512, SHA-512/224, SHA-512/256",
    u"SHA3-224, SHA3-256, SHA3-384, SHA3-512",
    u"BLAKE2S-256, BLAKE2B-256, BLAKE2B-384, BLAKE2B-512",
    u"BLAKE3-256, BLAKE3-512, BLAKE3-1024, BLAKE3-2048",
    u"XXH32, XXH64"};

namespace algo_list_detail {

// The list is read by people, so its lines are sorted by extension (the two
// BLAKE families by generation) rather than in HashExts order: indexes into
// HashExts for .blk, .bk3, .md5, .sfv, .sh1, .sh2, .sh3, .xxh.
inline constexpr std::array<std::size_t, cHashExtCount> cListOrder{5, 6, 1, 0, 2, 3, 4, 7};

constexpr bool ListsEveryExtensionOnce() {
  std::array<bool, cHashExtCount> seen{};
  for (std::size_t k : cListOrder) {
    if (k >= cHashExtCount || seen[k]) return false;
    seen[k] = true;
  }
  return true;
}
static_assert(ListsEveryExtensionOnce());

// Writes the list into out (when given) and returns its length:
// CR LF CR LF, then "ext:<TAB>algorithms" per extension, lines joined by CR LF.
constexpr std::size_t Compose(char16_t* out) {
  std::size_t n = 0;
  auto put = [&](const char16_t* text) {
    for (; *text; ++text, ++n)
      if (out) out[n] = *text;
  };
  put(u"\r\n\r\n");
  for (std::size_t i = 0; i < cHashExtCount; ++i) {
    if (i > 0) put(u"\r\n");
    put(HashExts[cListOrder[i]]);
    put(u":\t");
    put(HashAlgos[cListOrder[i]]);
  }
  return n;
}

inline constexpr std::size_t cLength = Compose(nullptr);

constexpr std::array<char16_t, cLength + 1> Build() {
  std::array<char16_t, cLength + 1> text{};
  Compose(text.data());
  return text;
}

}  // namespace algo_list_detail

// The fixed list of extensions and algorithms appended to the application's
// description in the registry; the same in both languages.
inline constexpr auto cAlgoListStorage = algo_list_detail::Build();
inline constexpr const char16_t* AlgoListText = cAlgoListStorage.data();
inline constexpr std::size_t cAlgoListLength = algo_list_detail::cLength;

static_assert(cAlgoListLength == 288, "the algorithm list is 288 characters");
static_assert(cAlgoListStorage[0] == u'\r' && cAlgoListStorage[1] == u'\n' && cAlgoListStorage[2] == u'\r' &&
                  cAlgoListStorage[3] == u'\n',
              "the algorithm list starts with an empty line");
static_assert(cAlgoListStorage[cAlgoListLength - 1] != u'\n', "the algorithm list has no final line break");
