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
