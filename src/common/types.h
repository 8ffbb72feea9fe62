// Basic types shared by every layer: UTF-16 text, the language index and the
// Win32-sized numbers that cross the platform seam.
#pragma once
#include <cstdint>
#include <string>

using ustring = std::u16string;   // UTF-16 text, compared as 16-bit units

// Language index: 0 = English, 1 = German.
using TSuLang = std::uint8_t;
constexpr TSuLang cLangEnglish = 0;
constexpr TSuLang cLangGerman = 1;

// A text in both languages, English first.
struct TLangText {
  const char16_t* text[2];
  ustring operator[](TSuLang lang) const { return text[lang & 1]; }
};
