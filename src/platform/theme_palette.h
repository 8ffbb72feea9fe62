// The colours of a named visual theme, read from its text form ("key=#RRGGBB"
// lines, the first naming the theme), and the text/background pairs the
// wizard draws with them, so that their contrast can be checked anywhere.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "common/types.h"

// Colours as 0xRRGGBB.
struct TThemePaletteRgb {
  std::uint32_t page = 0;          // page frames
  std::uint32_t band = 0;          // header and button bar
  std::uint32_t text = 0;          // ordinary text
  std::uint32_t dimText = 0;       // secondary text (version label)
  std::uint32_t accent = 0;        // titles, group captions, button faces, check marks
  std::uint32_t accentText = 0;    // text on the accent colour
  std::uint32_t disabledText = 0;  // text of disabled controls
  std::uint32_t edit = 0;          // memo and combo box fields
  std::uint32_t line = 0;          // borders of groups, memos and boxes
};

// Reads the theme text; true when it names `name` and gives every colour.
bool ParseThemePalette(const std::string& text, const ustring& name, TThemePaletteRgb& palette);

// The palette while the system's high-contrast mode is on: nothing but the
// system's window, window-text and grey-text colours, the pairs a contrast
// scheme is made of (button faces and the selected item show them inverted).
// No colour of the named theme survives.
TThemePaletteRgb HighContrastPalette(std::uint32_t window, std::uint32_t windowText, std::uint32_t grayText);

// WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(std::uint32_t rgbA, std::uint32_t rgbB);

// One pairing of a text colour with the background it is drawn on.
struct TTextPair {
  const char* use;
  std::uint32_t TThemePaletteRgb::*fore;
  std::uint32_t TThemePaletteRgb::*back;
};

// Every text/background pairing the wizard window draws.
inline constexpr std::array<TTextPair, 10> cThemeTextPairs{{
    {"labels and check boxes", &TThemePaletteRgb::text, &TThemePaletteRgb::page},
    {"memos and the language box", &TThemePaletteRgb::text, &TThemePaletteRgb::edit},
    {"page titles and group captions", &TThemePaletteRgb::accent, &TThemePaletteRgb::page},
    {"header title", &TThemePaletteRgb::accent, &TThemePaletteRgb::band},
    {"version label", &TThemePaletteRgb::dimText, &TThemePaletteRgb::band},
    {"button faces and the selected item", &TThemePaletteRgb::accentText, &TThemePaletteRgb::accent},
    {"disabled check boxes and Change button", &TThemePaletteRgb::disabledText, &TThemePaletteRgb::page},
    {"disabled wizard buttons", &TThemePaletteRgb::disabledText, &TThemePaletteRgb::band},
    {"disabled language box", &TThemePaletteRgb::disabledText, &TThemePaletteRgb::edit},
    {"pressed button", &TThemePaletteRgb::accentText, &TThemePaletteRgb::dimText},
}};
