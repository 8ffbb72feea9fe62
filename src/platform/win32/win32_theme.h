// The "Cyan Night" look: the palette read from the program's theme resource,
// the fonts of the wizard at a DPI, and the painting of every control kind
// (push buttons, check boxes, group boxes, the language box, memo borders and
// scroll bars) in the dark colours with cyan accents.
#pragma once
#include <windows.h>

#include <string>

#include "common/types.h"

struct TThemeColours {
  COLORREF page, band, text, dimText, accent, accentText, disabledText, edit, line;
};

// The palette in use: the system's light colours until a theme is loaded.
const TThemeColours& Theme();
// Loads the named theme from the program's RCDATA resource 200; false when
// absent, malformed or of another name (the palette then stays as it was).
// While the system's high-contrast mode is on, the system's colours are used
// instead (see RefreshThemeColours).
bool LoadTheme(const ustring& name);
// True while the system's high-contrast mode is on.
bool HighContrastOn();
// Replaces the system's answer for HighContrastOn (nullptr: ask the system
// again). Wine 8 keeps no such setting: SPI_SETHIGHCONTRAST fails with 1439
// (ERROR_INVALID_SPI_VALUE) and SPI_GETHIGHCONTRAST always answers "off", so
// the tests that run the window under Wine stand in for the system here.
void SetHighContrastQuery(bool (*query)());
// Picks the palette again after the system's colours or its high-contrast
// setting changed: the system's contrast colours while that mode is on, the
// loaded theme otherwise. True when the palette changed.
bool RefreshThemeColours();
// A solid brush of the colour, kept for the life of the process.
HBRUSH ThemeBrush(COLORREF colour);

// The fonts of the wizard at one DPI; released with the object.
class TThemeFonts {
 public:
  TThemeFonts() = default;
  ~TThemeFonts() { Release(); }
  TThemeFonts(const TThemeFonts&) = delete;
  TThemeFonts& operator=(const TThemeFonts&) = delete;
  void Create(UINT dpi);
  // The font of a layout style (TCtlStyle bits).
  HFONT For(unsigned style) const;
  HFONT Normal() const { return normal_; }

 private:
  void Release();
  HFONT normal_ = nullptr, title_ = nullptr, bigTitle_ = nullptr, small_ = nullptr, memo_ = nullptr,
        boldUnderline_ = nullptr;
};

// The DPI of a window (the system DPI where the per-window query is missing).
UINT WindowDpi(HWND hwnd);

// What a painter needs besides the rectangle.
struct TPaintState {
  bool enabled = true;
  bool focused = false;
  bool pressed = false;
  bool checked = false;
  int mnemonic = -1;      // index of the character to underline, -1 none
  UINT dpi = 96;
  COLORREF back = 0;      // the parent's background
};

// Text of a window as a wide string.
std::wstring WindowTextW(HWND hwnd);
// Draws text in one line, vertically centred, with the mnemonic's character underlined.
void DrawLineText(HDC dc, const std::wstring& text, RECT rect, UINT align, COLORREF colour, int mnemonic);

void PaintPushButton(HDC dc, RECT rect, const std::wstring& text, const TPaintState& state);
void PaintCheckBox(HDC dc, RECT rect, const std::wstring& text, const TPaintState& state);
void PaintGroupBox(HDC dc, RECT rect, const std::wstring& text, const TPaintState& state);
void PaintComboField(HDC dc, RECT rect, const std::wstring& text, const TPaintState& state);
void PaintListItem(HDC dc, RECT rect, const std::wstring& text, bool selected);
// A frame of one logical pixel: accent when focused, line colour otherwise.
void PaintBorder(HDC dc, RECT rect, bool focused, UINT dpi);
// A scroll bar's track and thumb; thumbStart/thumbEnd in pixels along the bar.
void PaintScrollBar(HDC dc, RECT rect, bool vertical, int thumbStart, int thumbEnd, bool active);
