#include "platform/win32/win32_theme.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/theme_palette.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_layout.h"

namespace {

constexpr int cThemeResourceId = 200;  // RCDATA: the theme's text form

COLORREF Ref(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
std::uint32_t Rgb(COLORREF c) {
  return static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
}

// The named theme as loaded, and whether one was.
TThemePaletteRgb& LoadedTheme() {
  static TThemePaletteRgb palette;
  return palette;
}
bool themeLoaded = false;
bool (*highContrastQuery)() = nullptr;

TThemeColours& Current() {
  // Until a theme is loaded: the system's light colours.
  static TThemeColours colours{::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_WINDOW),
                               ::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_GRAYTEXT),
                               ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT),
                               ::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_WINDOW),
                               ::GetSysColor(COLOR_BTNSHADOW)};
  return colours;
}

int Scale(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), 96); }

// RAII selection of a GDI object into a DC.
class TSelect {
 public:
  TSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  ~TSelect() { ::SelectObject(dc_, old_); }
  TSelect(const TSelect&) = delete;
  TSelect& operator=(const TSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// RAII pen.
class TPen {
 public:
  TPen(COLORREF colour, int width) : pen_(::CreatePen(PS_SOLID, width, colour)) {}
  ~TPen() { ::DeleteObject(pen_); }
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;
  HPEN get() const { return pen_; }

 private:
  HPEN pen_;
};

void Fill(HDC dc, const RECT& r, COLORREF colour) { ::FillRect(dc, &r, ThemeBrush(colour)); }

void Frame(HDC dc, const RECT& r, COLORREF colour, int width) {
  for (int i = 0; i < width; ++i) {
    RECT f{r.left + i, r.top + i, r.right - i, r.bottom - i};
    ::FrameRect(dc, &f, ThemeBrush(colour));
  }
}

// The text as DrawText shows it: '&' doubled, and one '&' before the mnemonic.
std::wstring WithPrefix(const std::wstring& text, int mnemonic) {
  std::wstring out;
  for (int i = 0; i < static_cast<int>(text.size()); ++i) {
    if (i == mnemonic) out += L'&';
    if (text[static_cast<std::size_t>(i)] == L'&') out += L'&';
    out += text[static_cast<std::size_t>(i)];
  }
  return out;
}

}  // namespace

const TThemeColours& Theme() { return Current(); }

HBRUSH ThemeBrush(COLORREF colour) {
  static std::mutex lock;
  static std::map<COLORREF, HBRUSH> brushes;
  std::lock_guard<std::mutex> guard(lock);
  HBRUSH& brush = brushes[colour];
  if (brush == nullptr) brush = ::CreateSolidBrush(colour);
  return brush;
}

bool LoadTheme(const ustring& name) {
  HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(cThemeResourceId), MAKEINTRESOURCEW(10));
  if (res == nullptr) return false;
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, res)));
  if (data == nullptr) return false;
  TThemePaletteRgb p;
  if (!ParseThemePalette(std::string(data, ::SizeofResource(nullptr, res)), name, p)) return false;
  LoadedTheme() = p;
  themeLoaded = true;
  RefreshThemeColours();
  return true;
}

void SetHighContrastQuery(bool (*query)()) { highContrastQuery = query; }

bool HighContrastOn() {
  if (highContrastQuery != nullptr) return highContrastQuery();
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) != FALSE && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

bool RefreshThemeColours() {
  // Without a loaded theme the palette already is the system's.
  if (!themeLoaded) return false;
  const TThemePaletteRgb p =
      HighContrastOn() ? HighContrastPalette(Rgb(::GetSysColor(COLOR_WINDOW)), Rgb(::GetSysColor(COLOR_WINDOWTEXT)),
                                             Rgb(::GetSysColor(COLOR_GRAYTEXT)))
                       : LoadedTheme();
  const TThemeColours next{Ref(p.page),       Ref(p.band),         Ref(p.text), Ref(p.dimText), Ref(p.accent),
                           Ref(p.accentText), Ref(p.disabledText), Ref(p.edit), Ref(p.line)};
  TThemeColours& now = Current();
  const bool changed = std::memcmp(&now, &next, sizeof next) != 0;
  now = next;
  return changed;
}

void TThemeFonts::Create(UINT dpi) {
  Release();
  auto make = [dpi](int points, int weight, bool italic, bool underline) {
    return ::CreateFontW(-::MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, italic, underline, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                         L"Segoe UI");
  };
  normal_ = make(10, FW_NORMAL, false, false);
  title_ = make(12, FW_SEMIBOLD, false, false);
  bigTitle_ = make(15, FW_SEMIBOLD, false, false);
  small_ = make(8, FW_NORMAL, true, false);
  memo_ = make(9, FW_NORMAL, false, false);
  boldUnderline_ = make(10, FW_BOLD, false, true);
}

HFONT TThemeFonts::For(unsigned style) const {
  if (style & csBigTitle) return bigTitle_;
  if (style & csTitle) return title_;
  if (style & csSmallItalic) return small_;
  if (style & csMemoSmall) return memo_;
  if (style & csBoldUnderline) return boldUnderline_;
  return normal_;
}

void TThemeFonts::Release() {
  for (HFONT* f : {&normal_, &title_, &bigTitle_, &small_, &memo_, &boldUnderline_}) {
    if (*f != nullptr) ::DeleteObject(*f);
    *f = nullptr;
  }
}

UINT WindowDpi(HWND hwnd) {
  using GetDpiFn = UINT(WINAPI*)(HWND);
  static auto fn = reinterpret_cast<GetDpiFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (fn != nullptr) {
    const UINT dpi = fn(hwnd);
    if (dpi != 0) return dpi;
  }
  HDC dc = ::GetDC(hwnd);
  const UINT dpi = static_cast<UINT>(::GetDeviceCaps(dc, LOGPIXELSY));
  ::ReleaseDC(hwnd, dc);
  return dpi != 0 ? dpi : 96;
}

std::wstring WindowTextW(HWND hwnd) {
  const int n = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void DrawLineText(HDC dc, const std::wstring& text, RECT rect, UINT align, COLORREF colour, int mnemonic) {
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, colour);
  const std::wstring shown = mnemonic >= 0 ? WithPrefix(text, mnemonic) : text;
  UINT flags = align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  if (mnemonic < 0) flags |= DT_NOPREFIX;
  ::DrawTextW(dc, shown.c_str(), -1, &rect, flags);
}

void PaintPushButton(HDC dc, RECT r, const std::wstring& text, const TPaintState& s) {
  const TThemeColours& t = Theme();
  Fill(dc, r, s.back);
  const COLORREF face = !s.enabled ? s.back : s.pressed ? t.dimText : t.accent;
  const COLORREF edge = s.enabled ? t.accent : t.disabledText;
  {
    TPen pen(edge, 1);
    TSelect p(dc, pen.get());
    TSelect b(dc, ThemeBrush(face));
    const int round = Scale(6, s.dpi);
    ::RoundRect(dc, r.left, r.top, r.right, r.bottom, round, round);
  }
  DrawLineText(dc, text, r, DT_CENTER, s.enabled ? t.accentText : t.disabledText, s.mnemonic);
  if (s.focused && s.enabled) {
    RECT f = r;
    const int inset = Scale(3, s.dpi);
    ::InflateRect(&f, -inset, -inset);
    Frame(dc, f, t.accentText, 1);
  }
}

void PaintCheckBox(HDC dc, RECT r, const std::wstring& text, const TPaintState& s) {
  const TThemeColours& t = Theme();
  Fill(dc, r, s.back);
  const int box = Scale(cCheckGlyph, s.dpi);
  const int top = r.top + (r.bottom - r.top - box) / 2;
  RECT g{r.left, top, r.left + box, top + box};
  const COLORREF edge = s.enabled ? t.accent : t.disabledText;
  Fill(dc, g, s.checked ? edge : s.pressed ? t.line : t.edit);
  Frame(dc, g, edge, std::max(1, Scale(1, s.dpi)));
  if (s.checked) {
    TPen pen(s.enabled ? t.accentText : t.page, std::max(2, Scale(2, s.dpi)));
    TSelect p(dc, pen.get());
    const POINT mark[3] = {{g.left + box * 22 / 100, g.top + box * 52 / 100},
                           {g.left + box * 42 / 100, g.top + box * 72 / 100},
                           {g.left + box * 78 / 100, g.top + box * 30 / 100}};
    ::Polyline(dc, mark, 3);
  }
  RECT textRect{g.right + Scale(cCheckGap, s.dpi), r.top, r.right, r.bottom};
  DrawLineText(dc, text, textRect, DT_LEFT, s.enabled ? t.text : t.disabledText, s.mnemonic);
  if (s.focused) {
    RECT need = textRect;
    ::DrawTextW(dc, text.c_str(), -1, &need, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    RECT f{textRect.left - 2, r.top + 1, std::min<LONG>(need.right + 2, r.right), r.bottom - 1};
    Frame(dc, f, t.accent, 1);
  }
}

void PaintGroupBox(HDC dc, RECT r, const std::wstring& text, const TPaintState& s) {
  const TThemeColours& t = Theme();
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  const int half = tm.tmHeight / 2;
  // The caption row holds no other control: clear it, so that a shorter caption
  // leaves nothing of a longer one behind.
  Fill(dc, RECT{r.left, r.top, r.right, std::min<LONG>(r.bottom, r.top + tm.tmHeight)}, s.back);
  {
    TPen pen(t.line, 1);
    TSelect p(dc, pen.get());
    TSelect b(dc, ::GetStockObject(NULL_BRUSH));
    const int round = Scale(8, s.dpi);
    ::RoundRect(dc, r.left, r.top + half, r.right, r.bottom, round, round);
  }
  if (text.empty()) return;
  RECT need{0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), -1, &need, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  const int pad = Scale(4, s.dpi);
  RECT cap{r.left + Scale(8, s.dpi), r.top, 0, r.top + tm.tmHeight};
  cap.right = std::min<LONG>(cap.left + need.right + 2 * pad, r.right - Scale(8, s.dpi));
  Fill(dc, cap, s.back);
  RECT textRect{cap.left + pad, cap.top, cap.right - pad, cap.bottom};
  DrawLineText(dc, text, textRect, DT_LEFT, s.enabled ? t.accent : t.disabledText, s.mnemonic);
}

void PaintComboField(HDC dc, RECT r, const std::wstring& text, const TPaintState& s) {
  const TThemeColours& t = Theme();
  Fill(dc, r, t.edit);
  Frame(dc, r, s.focused ? t.accent : t.line, s.focused ? std::max(1, Scale(1, s.dpi)) + 1 : 1);
  const int arrowW = Scale(22, s.dpi);
  RECT textRect{r.left + Scale(6, s.dpi), r.top, r.right - arrowW, r.bottom};
  DrawLineText(dc, text, textRect, DT_LEFT, s.enabled ? t.text : t.disabledText, -1);
  // A chevron pointing down.
  const int cx = r.right - arrowW / 2, cy = (r.top + r.bottom) / 2;
  const int w = Scale(4, s.dpi);
  TPen pen(s.enabled ? t.accent : t.disabledText, std::max(1, Scale(2, s.dpi)));
  TSelect p(dc, pen.get());
  const POINT chevron[3] = {{cx - w, cy - w / 2}, {cx, cy + w / 2}, {cx + w, cy - w / 2}};
  ::Polyline(dc, chevron, 3);
}

void PaintListItem(HDC dc, RECT r, const std::wstring& text, bool selected) {
  const TThemeColours& t = Theme();
  Fill(dc, r, selected ? t.accent : t.edit);
  RECT textRect{r.left + 6, r.top, r.right, r.bottom};
  DrawLineText(dc, text, textRect, DT_LEFT, selected ? t.accentText : t.text, -1);
}

void PaintBorder(HDC dc, RECT r, bool focused, UINT dpi) {
  const TThemeColours& t = Theme();
  Frame(dc, r, focused ? t.accent : t.line, focused ? std::max(1, Scale(1, dpi)) + 1 : 1);
}

void PaintScrollBar(HDC dc, RECT r, bool vertical, int thumbStart, int thumbEnd, bool active) {
  const TThemeColours& t = Theme();
  Fill(dc, r, t.edit);
  if (thumbEnd <= thumbStart) return;
  RECT thumb = vertical ? RECT{r.left + 2, r.top + thumbStart, r.right - 2, r.top + thumbEnd}
                        : RECT{r.left + thumbStart, r.top + 2, r.left + thumbEnd, r.bottom - 2};
  TPen pen(active ? t.accent : t.line, 1);
  TSelect p(dc, pen.get());
  TSelect b(dc, ThemeBrush(active ? t.accent : t.line));
  const int round = vertical ? thumb.right - thumb.left : thumb.bottom - thumb.top;
  ::RoundRect(dc, thumb.left, thumb.top, thumb.right, thumb.bottom, round, round);
}
