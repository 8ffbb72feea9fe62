// Draws the setup's application icon (.ico, 16/24/32/48/64/256 px) and its
// header logo (.bmp) from one procedural picture: a dark disc with a cyan
// ring and a hash mark. Deterministic, so every build has the same images.
//   make_art <icon.ico> <logo.bmp>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Rgba {
  double r, g, b, a;
};

// Coverage of the picture at (x, y) in [0,1]^2, y pointing down.
Rgba Shade(double x, double y) {
  const double cx = x - 0.5, cy = y - 0.5;
  const double d = std::sqrt(cx * cx + cy * cy);
  if (d > 0.48) return {0, 0, 0, 0};
  Rgba c{0x0F / 255.0, 0x1B / 255.0, 0x24 / 255.0, 1};
  if (d > 0.40) return {0x22 / 255.0, 0xD3 / 255.0, 0xEE / 255.0, 1};  // ring
  // Hash mark: two slanted verticals and two horizontals.
  const double sx = cx + cy * 0.18;
  const bool vertical = (std::fabs(sx + 0.09) < 0.045 || std::fabs(sx - 0.09) < 0.045) && std::fabs(cy) < 0.24;
  const bool horizontal = (std::fabs(cy + 0.08) < 0.04 || std::fabs(cy - 0.08) < 0.04) && std::fabs(cx) < 0.24;
  if (vertical || horizontal) return {0xE6 / 255.0, 0xF7 / 255.0, 0xFA / 255.0, 1};
  return c;
}

// BGRA pixels, bottom-up, 4x4 supersampled.
std::vector<std::uint8_t> Render(int size) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Rgba sum{0, 0, 0, 0};
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          const Rgba s = Shade((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size);
          sum.r += s.r * s.a; sum.g += s.g * s.a; sum.b += s.b * s.a; sum.a += s.a;
        }
      const double a = sum.a / 16;
      const auto to8 = [](double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5); };
      std::uint8_t* p = &px[(static_cast<std::size_t>(size - 1 - y) * size + x) * 4];
      const double inv = sum.a > 0 ? 1.0 / sum.a : 0;
      p[0] = to8(sum.b * inv); p[1] = to8(sum.g * inv); p[2] = to8(sum.r * inv); p[3] = to8(a);
    }
  return px;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); }
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) { Put16(out, v & 0xFFFF); Put16(out, v >> 16); }

// BITMAPINFOHEADER + pixels (+ AND mask for icons).
std::vector<std::uint8_t> Dib(int size, const std::vector<std::uint8_t>& px, bool forIcon) {
  std::vector<std::uint8_t> out;
  Put32(out, 40); Put32(out, size); Put32(out, forIcon ? size * 2 : size); Put16(out, 1); Put16(out, 32);
  Put32(out, 0); Put32(out, 0); Put32(out, 0); Put32(out, 0); Put32(out, 0); Put32(out, 0);
  out.insert(out.end(), px.begin(), px.end());
  if (forIcon) out.insert(out.end(), static_cast<std::size_t>(((size + 31) / 32) * 4) * size, 0);
  return out;
}

bool Write(const char* path, const std::vector<std::uint8_t>& data) {
  FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_art <icon.ico> <logo.bmp>\n");
    return 2;
  }
  const int sizes[] = {16, 24, 32, 48, 64, 256};
  std::vector<std::vector<std::uint8_t>> images;
  for (int s : sizes) images.push_back(Dib(s, Render(s), true));
  std::vector<std::uint8_t> ico;
  Put16(ico, 0); Put16(ico, 1); Put16(ico, static_cast<unsigned>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    ico.push_back(static_cast<std::uint8_t>(sizes[i] == 256 ? 0 : sizes[i]));
    ico.push_back(static_cast<std::uint8_t>(sizes[i] == 256 ? 0 : sizes[i]));
    ico.push_back(0); ico.push_back(0); Put16(ico, 1); Put16(ico, 32);
    Put32(ico, static_cast<std::uint32_t>(images[i].size())); Put32(ico, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& img : images) ico.insert(ico.end(), img.begin(), img.end());

  // The logo: 96 px so it stays sharp up to 192 DPI; drawn on the header colour.
  const int logoSize = 96;
  std::vector<std::uint8_t> px = Render(logoSize);
  for (std::size_t i = 0; i < px.size(); i += 4) {  // blend onto the header band
    const double a = px[i + 3] / 255.0;
    const std::uint8_t band[3] = {0x3B, 0x30, 0x16};  // BGR of the header band
    for (int c = 0; c < 3; ++c) px[i + c] = static_cast<std::uint8_t>(px[i + c] * a + band[c] * (1 - a) + 0.5);
    px[i + 3] = 255;
  }
  std::vector<std::uint8_t> dib = Dib(logoSize, px, false);
  std::vector<std::uint8_t> bmp;
  bmp.push_back('B'); bmp.push_back('M');
  Put32(bmp, static_cast<std::uint32_t>(14 + dib.size())); Put32(bmp, 0); Put32(bmp, 14 + 40);
  bmp.insert(bmp.end(), dib.begin(), dib.end());

  if (!Write(argv[1], ico) || !Write(argv[2], bmp)) {
    std::fprintf(stderr, "make_art: cannot write output\n");
    return 1;
  }
  return 0;
}
