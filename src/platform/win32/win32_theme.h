// The "Cyan Night" look: a dark palette with cyan accents, read from the
// program's theme resource, and the drawing of the owner-drawn controls.
#pragma once
#include <windows.h>

#include "common/types.h"

struct TThemePalette {
  COLORREF page, band, text, dimText, accent, accentText, disabledText, edit;
  HBRUSH pageBrush = nullptr, bandBrush = nullptr, editBrush = nullptr;
};

// The palette in use (the default colours until a theme is loaded).
TThemePalette& Theme();
// Loads the named theme from the program's resources; false when absent or malformed.
bool LoadTheme(const ustring& name);

struct TThemeFonts {
  HFONT normal = nullptr, title = nullptr, bigTitle = nullptr, small = nullptr, memo = nullptr, boldUnderline = nullptr;
  void Create(UINT dpi);
  HFONT For(unsigned style) const;
  ~TThemeFonts();
};

UINT WindowDpi(HWND hwnd);
void DisableVisualStyle(HWND hwnd);
void DrawOwnerItem(const DRAWITEMSTRUCT& item, int id);
HBRUSH ColorControl(HDC dc, HWND control, UINT msg);
