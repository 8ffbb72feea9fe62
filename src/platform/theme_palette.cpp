#include "platform/theme_palette.h"

#include <cmath>

#include "common/utils.h"

namespace {

bool ParseColour(const std::string& text, std::uint32_t& colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  std::uint32_t v = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    const char c = text[i];
    const int d = (c >= '0' && c <= '9')   ? c - '0'
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                  : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                           : -1;
    if (d < 0) return false;
    v = v * 16 + static_cast<std::uint32_t>(d);
  }
  colour = v;
  return true;
}

double Channel(std::uint32_t value) {
  const double c = static_cast<double>(value & 0xFF) / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(std::uint32_t rgb) {
  return 0.2126 * Channel(rgb >> 16) + 0.7152 * Channel(rgb >> 8) + 0.0722 * Channel(rgb);
}

}  // namespace

bool ParseThemePalette(const std::string& text, const ustring& name, TThemePaletteRgb& palette) {
  struct TKey {
    const char* key;
    std::uint32_t TThemePaletteRgb::*field;
  };
  static constexpr TKey keys[] = {
      {"page", &TThemePaletteRgb::page},           {"band", &TThemePaletteRgb::band},
      {"text", &TThemePaletteRgb::text},           {"dimText", &TThemePaletteRgb::dimText},
      {"accent", &TThemePaletteRgb::accent},       {"accentText", &TThemePaletteRgb::accentText},
      {"disabledText", &TThemePaletteRgb::disabledText}, {"edit", &TThemePaletteRgb::edit},
      {"line", &TThemePaletteRgb::line}};
  TThemePaletteRgb read;
  bool found[sizeof keys / sizeof keys[0]] = {};
  std::string themeName;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "name") themeName = value;
    for (std::size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i)
      if (key == keys[i].key) found[i] = ParseColour(value, read.*keys[i].field);
  }
  if (FromUtf8(themeName) != name) return false;
  for (bool f : found)
    if (!f) return false;
  palette = read;
  return true;
}

TThemePaletteRgb HighContrastPalette(std::uint32_t window, std::uint32_t windowText, std::uint32_t grayText) {
  TThemePaletteRgb p;
  p.page = p.band = p.edit = p.accentText = window;
  p.text = p.dimText = p.accent = p.line = windowText;
  p.disabledText = grayText;
  return p;
}

double ContrastRatio(std::uint32_t rgbA, std::uint32_t rgbB) {
  double a = Luminance(rgbA), b = Luminance(rgbB);
  if (a < b) std::swap(a, b);
  return (a + 0.05) / (b + 0.05);
}
