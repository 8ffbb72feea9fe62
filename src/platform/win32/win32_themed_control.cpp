// Check boxes, group boxes and the language box: system controls that keep
// their behaviour (messages, keyboard, the ids an outside program reads)
// while they are painted in the theme's colours, and that answer screen
// readers with the name of their label where they have no caption.
#include "platform/win32/win32_widgets.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_accessible.h"
#include "platform/win32/win32_layout.h"
#include "platform/win32/win32_theme.h"

namespace {

constexpr UINT_PTR cSubclassId = 0xC0A2;

struct TLook {
  std::wstring text;
  int selection = -1;
  LRESULT state = 0;
  bool enabled = true, focused = false, dropped = false;
  int mnemonic = -1;
  bool operator==(const TLook&) const = default;
};

struct TThemedControl {
  IWidgetOwner* owner = nullptr;
  TCtlKind kind = TCtlKind::CheckBox;
  TLook painted;
  bool looking = false;  // the control's own queries while reading or drawing its state
};

std::wstring ComboText(HWND combo, int selection) {
  if (selection < 0) return std::wstring();
  const LRESULT n = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
  if (n == CB_ERR) return std::wstring();
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

TLook LookOf(HWND hwnd, TThemedControl& c) {
  c.looking = true;
  TLook look;
  look.enabled = ::IsWindowEnabled(hwnd) != FALSE;
  look.focused = ::GetFocus() == hwnd;
  look.mnemonic = c.owner->MnemonicIndex(hwnd);
  if (c.kind == TCtlKind::ComboBox) {
    look.selection = static_cast<int>(::SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    look.text = ComboText(hwnd, look.selection);
    look.dropped = ::SendMessageW(hwnd, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
  } else {
    look.text = WindowTextW(hwnd);
    if (c.kind == TCtlKind::CheckBox) look.state = ::SendMessageW(hwnd, BM_GETSTATE, 0, 0);
  }
  c.looking = false;
  return look;
}

void PaintThemed(HWND hwnd, HDC dc, TThemedControl& c) {
  RECT r;
  ::GetClientRect(hwnd, &r);
  const TLook look = LookOf(hwnd, c);
  c.painted = look;
  HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  TPaintState s;
  s.enabled = look.enabled;
  s.focused = look.focused;
  s.mnemonic = look.mnemonic;
  s.dpi = c.owner->Dpi();
  s.back = c.owner->Background(hwnd);
  switch (c.kind) {
    case TCtlKind::CheckBox:
      s.checked = (look.state & BST_CHECKED) != 0;
      s.pressed = (look.state & BST_PUSHED) != 0;
      PaintCheckBox(dc, r, look.text, s);
      break;
    case TCtlKind::Group:
      PaintGroupBox(dc, r, look.text, s);
      break;
    case TCtlKind::ComboBox:
      s.focused = look.focused || look.dropped;
      PaintComboField(dc, r, look.text, s);
      break;
    default:
      break;
  }
  ::SelectObject(dc, oldFont);
}

void RepaintNow(HWND hwnd, TThemedControl& c) {
  HDC dc = ::GetDC(hwnd);
  PaintThemed(hwnd, dc, c);
  ::ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK ThemedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* c = reinterpret_cast<TThemedControl*>(ref);
  switch (msg) {
    case WM_GETOBJECT: {
      LRESULT answer = 0;
      if (AnswerAccessibleName(hwnd, wp, lp, c->owner->AccessibleNameOf(hwnd), answer)) return answer;
      break;
    }
    case WM_NCDESTROY: {
      ::RemoveWindowSubclass(hwnd, &ThemedProc, cSubclassId);
      delete c;
      return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      PaintThemed(hwnd, dc, *c);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintThemed(hwnd, reinterpret_cast<HDC>(wp), *c);
      return 0;
    default:
      break;
  }
  const LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
  if (c->looking) return result;
  // The system control draws some state changes at once, outside WM_PAINT:
  // draw over them whenever what the user should see has changed.
  switch (msg) {
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_GETDLGCODE:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
      return result;
    default:
      break;
  }
  const bool drawsItself = msg == WM_SETTEXT || msg == WM_ENABLE || msg == WM_SETFOCUS || msg == WM_KILLFOCUS ||
                           msg == BM_SETCHECK || msg == BM_SETSTATE || msg == WM_UPDATEUISTATE ||
                           msg == CB_SETCURSEL || msg == WM_LBUTTONUP || msg == WM_KEYUP;
  if ((drawsItself || !(LookOf(hwnd, *c) == c->painted)) && ::IsWindowVisible(hwnd)) RepaintNow(hwnd, *c);
  return result;
}

}  // namespace

void ThemeSystemControl(HWND control, TCtlKind kind, IWidgetOwner* owner) {
  auto* c = new TThemedControl;
  c->owner = owner;
  c->kind = kind;
  if (!::SetWindowSubclass(control, &ThemedProc, cSubclassId, reinterpret_cast<DWORD_PTR>(c))) delete c;
}
