// Deterministic generators of bytes that compress like the parts of real
// product files: machine code, string and pointer tables, prose, markup,
// already-compressed data and padding. The sample payload is built from
// them so that compressed sizes and inflate times are realistic.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

// splitmix64: small, fast and the same on every platform.
class TSampleRng {
 public:
  explicit TSampleRng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  std::uint32_t Below(std::uint32_t n);  // 0 .. n-1
  // 0 .. n-1, small values far more likely (Zipf-like), as instruction and
  // word frequencies are.
  std::uint32_t Skewed(std::uint32_t n);

 private:
  std::uint64_t state_;
};

enum class TLanguage { English, German };

// Each Append* adds `count` bytes (exactly) to out.
void AppendCode(TBytes& out, std::size_t count, TSampleRng& rng);        // x86-64-like functions
void AppendStrings(TBytes& out, std::size_t count, TSampleRng& rng);     // .rdata: strings, pointer tables
void AppendData(TBytes& out, std::size_t count, TSampleRng& rng);        // .data: mostly zeros, some values
void AppendRelocs(TBytes& out, std::size_t count, TSampleRng& rng);      // relocation blocks
void AppendBitmap(TBytes& out, std::size_t count, TSampleRng& rng);      // 32-bit icon images
void AppendRandom(TBytes& out, std::size_t count, TSampleRng& rng);      // compressed data: incompressible
void AppendZeros(TBytes& out, std::size_t count);
void AppendProse(TBytes& out, std::size_t count, TLanguage lang, TSampleRng& rng);   // plain sentences
void AppendHtml(TBytes& out, std::size_t count, TLanguage lang, TSampleRng& rng);    // help topics
void AppendPdfObjects(TBytes& out, std::size_t count, TLanguage lang, TSampleRng& rng);  // page objects
void AppendXrefTable(TBytes& out, std::size_t count, TSampleRng& rng);   // "0000012345 00000 n" lines
void AppendText(TBytes& out, const std::string& text);                   // as is
