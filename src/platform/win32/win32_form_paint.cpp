// The form's answers to its controls' drawing requests: owner-drawn buttons
// and the language box, text and background colours of the standard
// controls, and the header's and button bar's accent lines and logo.
#include <algorithm>

#include "platform/win32/win32_form.h"
#include "platform/win32/win32_internal.h"

namespace {
bool IsTitle(const TLayoutEntry* entry) { return entry != nullptr && (entry->style & (csTitle | csBigTitle)) != 0; }
}  // namespace

bool TWin32Form::Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const TThemeColours& t = Theme();
  switch (msg) {
    case WM_COMMAND: {
      const TCtlId id = static_cast<TCtlId>(LOWORD(wp));
      const auto it = controls_.find(id);
      if (it == controls_.end()) return false;
      const TCtlKind kind = it->second->kind();
      const WORD code = HIWORD(wp);
      const bool click = (kind == TCtlKind::Button || kind == TCtlKind::CheckBox) && code == BN_CLICKED;
      const bool select = kind == TCtlKind::ComboBox && code == CBN_SELCHANGE;
      if ((click || select) && it->second->OnClick) Guarded(it->second->OnClick);
      result = 0;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      HGDIOBJ old = ::SelectObject(item->hDC, fonts_->Normal());
      if (item->CtlType == ODT_BUTTON) {
        TPaintState s;
        s.enabled = (item->itemState & ODS_DISABLED) == 0;
        s.pressed = (item->itemState & ODS_SELECTED) != 0;
        s.focused = (item->itemState & ODS_FOCUS) != 0;
        s.mnemonic = MnemonicIndex(item->hwndItem);
        s.dpi = dpi_;
        s.back = Background(item->hwndItem);
        PaintPushButton(item->hDC, item->rcItem, WindowTextW(item->hwndItem), s);
      } else if (item->CtlType == ODT_COMBOBOX) {
        std::wstring text;
        if (item->itemID != static_cast<UINT>(-1)) {
          const LRESULT n = ::SendMessageW(item->hwndItem, CB_GETLBTEXTLEN, item->itemID, 0);
          if (n != CB_ERR) {
            text.resize(static_cast<std::size_t>(n) + 1);
            ::SendMessageW(item->hwndItem, CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<std::size_t>(n));
          }
        }
        const bool field = (item->itemState & ODS_COMBOBOXEDIT) != 0;
        PaintListItem(item->hDC, item->rcItem, text, !field && (item->itemState & ODS_SELECTED) != 0);
      }
      ::SelectObject(item->hDC, old);
      result = TRUE;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (item->CtlType != ODT_COMBOBOX) return false;
      item->itemHeight = static_cast<UINT>(::MulDiv(20, static_cast<int>(dpi_), 96));
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      HDC dc = reinterpret_cast<HDC>(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      const TCtlId id = static_cast<TCtlId>(::GetDlgCtrlID(control));
      const bool field = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || KindOf(id) == TCtlKind::Memo;
      COLORREF fore = t.text, back = field ? t.edit : Background(control);
      if (!field) {
        const TLayoutEntry* entry = LayoutOf(id);
        if (IsTitle(entry)) fore = t.accent;
        else if (id == idLbSuVers) fore = t.dimText;
        if (!::IsWindowEnabled(control)) fore = t.disabledText;
      }
      ::SetTextColor(dc, fore);
      ::SetBkColor(dc, back);
      ::SetBkMode(dc, OPAQUE);
      result = reinterpret_cast<LRESULT>(ThemeBrush(back));
      return true;
    }
    default:
      return false;
  }
}

COLORREF TWin32Form::Background(HWND window) {
  for (HWND h = window; h != nullptr && h != hwnd_; h = ::GetParent(h)) {
    const TLayoutEntry* entry = LayoutOf(static_cast<TCtlId>(::GetDlgCtrlID(h)));
    if (entry != nullptr) return (entry->style & csBand) ? Theme().band : Theme().page;
  }
  return Theme().page;
}

void TWin32Form::PaintPanel(HWND panel, HDC dc, const RECT& client) {
  const TThemeColours& t = Theme();
  const int id = ::GetDlgCtrlID(panel);
  const int line = std::max(1, ::MulDiv(2, static_cast<int>(dpi_), 96));
  if (id == idPaMaiTop) {
    RECT r{client.left, client.bottom - line, client.right, client.bottom};
    ::FillRect(dc, &r, ThemeBrush(t.accent));
  } else if (id == idPaMaiCtl) {
    RECT r{client.left, client.top, client.right, client.top + line};
    ::FillRect(dc, &r, ThemeBrush(t.accent));
  } else if (id == idImApLogo && logo_ != nullptr) {
    BITMAP bm{};
    ::GetObjectW(logo_, sizeof bm, &bm);
    HDC mem = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(mem, logo_);
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, mem, 0, 0,
                 bm.bmWidth, bm.bmHeight, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
  }
}
