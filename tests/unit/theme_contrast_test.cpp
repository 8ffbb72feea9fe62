// The "Cyan Night" palette that the program carries: every text colour the
// window draws stands out from its background by at least 4.5 : 1.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/theme_palette.h"

namespace {

std::string ThemeResourceText() {
  std::string here = __FILE__;
  const std::size_t cut = here.rfind("tests");
  std::ifstream in(here.substr(0, cut) + "src/app/res/theme.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Each text/background pairing of the window meets the contrast minimum.
TEST(ThemeContrast, EveryTextPairReadable) {
  TThemePaletteRgb palette;
  ASSERT_TRUE(ParseThemePalette(ThemeResourceText(), u"Cyan Night", palette));
  for (const TTextPair& pair : cThemeTextPairs) {
    const double ratio = ContrastRatio(palette.*pair.fore, palette.*pair.back);
    EXPECT_GE(ratio, 4.5) << pair.use;
  }
}

struct TScheme {
  const char* name;
  std::uint32_t window, windowText, grayText;
};

// With high contrast on, every pairing the window draws is one the system's
// scheme made to be read: window text or grey text on the window colour
// (either way round); nothing of the dark theme stays.
TEST(ThemeContrast, HighContrastPaletteUsesOnlyTheSchemesPairs) {
  const TScheme schemes[] = {{"black", 0x000000, 0xFFFFFF, 0x3FF23F},
                             {"white", 0xFFFFFF, 0x000000, 0x600000},
                             {"yellow on black", 0x000000, 0xFFFF00, 0x00FF00}};
  TThemePaletteRgb themed;
  ASSERT_TRUE(ParseThemePalette(ThemeResourceText(), u"Cyan Night", themed));
  for (const TScheme& scheme : schemes) {
    SCOPED_TRACE(scheme.name);
    const TThemePaletteRgb p = HighContrastPalette(scheme.window, scheme.windowText, scheme.grayText);
    for (const TTextPair& pair : cThemeTextPairs) {
      const std::uint32_t fore = p.*pair.fore, back = p.*pair.back;
      const bool text = (fore == scheme.windowText && back == scheme.window) ||
                        (fore == scheme.window && back == scheme.windowText);
      const bool grey = fore == scheme.grayText && back == scheme.window;
      EXPECT_TRUE(text || grey) << pair.use;
      EXPECT_GE(ContrastRatio(fore, back), 4.5) << pair.use;
    }
    for (std::uint32_t TThemePaletteRgb::*field :
         {&TThemePaletteRgb::page, &TThemePaletteRgb::band, &TThemePaletteRgb::accent, &TThemePaletteRgb::edit})
      EXPECT_NE(p.*field, themed.*field);
  }
}

// The ratio of known colours, and the parser's refusals.
TEST(ThemeContrast, RatioAndParser) {
  EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0x777777, 0xFFFFFF), 4.48, 0.01);
  EXPECT_NEAR(ContrastRatio(0x123456, 0x123456), 1.0, 1e-9);
  TThemePaletteRgb palette;
  const std::string text = ThemeResourceText();
  EXPECT_FALSE(ParseThemePalette(text, u"Other", palette));
  std::string broken = text;
  broken.replace(broken.find("edit=#"), 6, "edit=x");
  EXPECT_FALSE(ParseThemePalette(broken, u"Cyan Night", palette));
  ASSERT_TRUE(ParseThemePalette(text, u"Cyan Night", palette));
  EXPECT_EQ(palette.page, 0x0F1B24u);
}

}  // namespace
