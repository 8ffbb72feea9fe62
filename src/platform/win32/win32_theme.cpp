#include "platform/win32/win32_theme.h"

#include <string>

#include "platform/control_ids.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_layout.h"

namespace {

constexpr int cThemeResourceId = 200;  // RCDATA: "key=#RRGGBB" lines, first line "name=..."

TThemePalette MakePalette(COLORREF page, COLORREF band, COLORREF text, COLORREF dim, COLORREF accent,
                          COLORREF accentText, COLORREF disabled, COLORREF edit) {
  TThemePalette p{page, band, text, dim, accent, accentText, disabled, edit};
  p.pageBrush = ::CreateSolidBrush(page);
  p.bandBrush = ::CreateSolidBrush(band);
  p.editBrush = ::CreateSolidBrush(edit);
  return p;
}

TThemePalette& Current() {
  // Until a theme is loaded: the system's light colours.
  static TThemePalette palette =
      MakePalette(::GetSysColor(COLOR_BTNFACE), RGB(255, 255, 255), ::GetSysColor(COLOR_WINDOWTEXT),
                  ::GetSysColor(COLOR_GRAYTEXT), RGB(0, 120, 215), RGB(255, 255, 255), ::GetSysColor(COLOR_GRAYTEXT),
                  ::GetSysColor(COLOR_WINDOW));
  return palette;
}

bool ParseColour(const std::string& text, COLORREF& colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  unsigned long v = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    const char c = text[i];
    const int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned long>(d);
  }
  colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  return true;
}

}  // namespace

TThemePalette& Theme() { return Current(); }

bool LoadTheme(const ustring& name) {
  HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(cThemeResourceId), MAKEINTRESOURCEW(10));
  if (res == nullptr) return false;
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, res)));
  if (data == nullptr) return false;
  const std::string text(data, ::SizeofResource(nullptr, res));
  std::string themeName;
  const char* keys[] = {"page", "band", "text", "dimText", "accent", "accentText", "disabledText", "edit"};
  COLORREF colours[8];
  bool found[8] = {};
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
    for (int i = 0; i < 8; ++i)
      if (key == keys[i]) found[i] = ParseColour(value, colours[i]);
  }
  std::u16string wanted = name;
  std::string wanted8(wanted.begin(), wanted.end());
  if (themeName != wanted8) return false;
  for (bool f : found)
    if (!f) return false;
  Current() = MakePalette(colours[0], colours[1], colours[2], colours[3], colours[4], colours[5], colours[6], colours[7]);
  return true;
}

void TThemeFonts::Create(UINT dpi) {
  this->~TThemeFonts();
  auto make = [dpi](int points, int weight, bool italic, bool underline) {
    return ::CreateFontW(-::MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, italic, underline, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                         L"Segoe UI");
  };
  normal = make(10, FW_NORMAL, false, false);
  title = make(12, FW_SEMIBOLD, false, false);
  bigTitle = make(15, FW_SEMIBOLD, false, false);
  small = make(8, FW_NORMAL, true, false);
  memo = make(9, FW_NORMAL, false, false);
  boldUnderline = make(10, FW_BOLD, false, true);
}

HFONT TThemeFonts::For(unsigned style) const {
  if (style & csBigTitle) return bigTitle;
  if (style & csTitle) return title;
  if (style & csSmallItalic) return small;
  if (style & csMemoSmall) return memo;
  if (style & csBoldUnderline) return boldUnderline;
  return normal;
}

TThemeFonts::~TThemeFonts() {
  for (HFONT* f : {&normal, &title, &bigTitle, &small, &memo, &boldUnderline}) {
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

void DisableVisualStyle(HWND hwnd) {
  // Themed check boxes ignore the text colour of WM_CTLCOLORBTN; without the
  // visual style they honour it. uxtheme comes from the system folder.
  using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static HMODULE lib = LoadSystemLibrary(L"uxtheme.dll");
  static auto fn = lib != nullptr ? reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "SetWindowTheme")))
                                  : nullptr;
  if (fn != nullptr) fn(hwnd, L"", L"");
}

void DrawOwnerItem(const DRAWITEMSTRUCT& item, int id) {
  const TThemePalette& t = Theme();
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  if (id == idPaMaiTop || id == idPaMaiCtl) {
    ::FillRect(dc, &r, t.bandBrush);
    HPEN pen = ::CreatePen(PS_SOLID, 1, t.accent);
    HGDIOBJ old = ::SelectObject(dc, pen);
    const int y = id == idPaMaiTop ? r.bottom - 1 : r.top;
    ::MoveToEx(dc, r.left, y, nullptr);
    ::LineTo(dc, r.right, y);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
    return;
  }
  if (id == idImApLogo) {
    ::FillRect(dc, &r, t.bandBrush);
    HBITMAP logo = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101), IMAGE_BITMAP,
                                                     0, 0, LR_CREATEDIBSECTION));
    if (logo != nullptr) {
      BITMAP bm{};
      ::GetObjectW(logo, sizeof bm, &bm);
      HDC mem = ::CreateCompatibleDC(dc);
      HGDIOBJ old = ::SelectObject(mem, logo);
      ::SetStretchBltMode(dc, HALFTONE);
      ::StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
      ::SelectObject(mem, old);
      ::DeleteDC(mem);
      ::DeleteObject(logo);
    }
    return;
  }
  // Push buttons: accent fill when enabled, outlined when disabled, focus ring.
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  HBRUSH fill = ::CreateSolidBrush(disabled ? t.band : pressed ? t.dimText : t.accent);
  HPEN pen = ::CreatePen(PS_SOLID, 1, disabled ? t.disabledText : t.accent);
  HGDIOBJ oldBrush = ::SelectObject(dc, fill);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  ::FillRect(dc, &r, t.bandBrush);
  ::RoundRect(dc, r.left, r.top, r.right, r.bottom, 6, 6);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(fill);
  ::DeleteObject(pen);
  wchar_t text[128];
  ::GetWindowTextW(item.hwndItem, text, 128);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, disabled ? t.disabledText : t.accentText);
  ::DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (focused) {
    RECT f = r;
    ::InflateRect(&f, -3, -3);
    ::DrawFocusRect(dc, &f);
  }
}

HBRUSH ColorControl(HDC dc, HWND control, UINT msg) {
  const TThemePalette& t = Theme();
  const int id = ::GetDlgCtrlID(control);
  const bool inBand = id == idLbTitle || id == idLbSuVers;
  const bool enabled = ::IsWindowEnabled(control) != FALSE;
  ::SetBkMode(dc, TRANSPARENT);
  if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || (msg == WM_CTLCOLORSTATIC && id >= 1100 &&
      (id == idMmWcNote || id == idMmLicens || id == idMmReview || id == idMmFiProg))) {
    ::SetTextColor(dc, t.text);
    ::SetBkColor(dc, t.edit);
    ::SetBkMode(dc, OPAQUE);
    return t.editBrush;
  }
  ::SetTextColor(dc, !enabled ? t.disabledText : (id == idLbTitle) ? t.accent : (id == idLbSuVers) ? t.dimText : t.text);
  ::SetBkColor(dc, inBand ? t.band : t.page);
  return inBand ? t.bandBrush : t.pageBrush;
}
