// The wizard window's geometry: fonts and sizes for a DPI, the layout of
// every control from the layout table (scaled, anchored, scrolled), and the
// first showing, centred at its design size.
#include "platform/win32/win32_form.h"

#include <algorithm>
#include <map>

#include "platform/win32/win32_internal.h"

void TWin32Form::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  auto fonts = std::make_unique<TThemeFonts>();
  fonts->Create(dpi);
  // The controls take the new fonts before the old ones are deleted.
  std::swap(fonts_, fonts);
  for (int i = 0; i < cLayoutCount; ++i) {
    const TLayoutEntry& entry = cLayout[i];
    HWND h = controls_.at(entry.id)->hwnd();
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->For(entry.style)), FALSE);
    if (KindOf(entry.id) == TCtlKind::Memo) {
      const int margin = ::MulDiv(2, static_cast<int>(dpi), 96);
      ::SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
    }
    if (KindOf(entry.id) == TCtlKind::ComboBox) {
      const int item = ::MulDiv(20, static_cast<int>(dpi), 96);
      ::SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ::MulDiv(entry.h - 6, static_cast<int>(dpi), 96));
      ::SendMessageW(h, CB_SETITEMHEIGHT, 0, item);
    }
  }
  Layout();
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

RECT TWin32Form::DesignRect(const TLayoutEntry& entry, std::map<int, POINT>& origin) const {
  auto scale = [this](int v) { return ::MulDiv(v, static_cast<int>(dpi_), 96); };
  // Scaling the edges in window coordinates, not sizes or offsets, keeps
  // neighbours and nested controls from overlapping by rounding.
  const POINT base = entry.parent == 0 ? POINT{0, 0} : origin.at(entry.parent);
  const POINT at{base.x + entry.x, base.y + entry.y};
  origin[entry.id] = at;
  const int x = scale(at.x) - scale(base.x), y = scale(at.y) - scale(base.y);
  return RECT{x, y, x + scale(at.x + entry.w) - scale(at.x), y + scale(at.y + entry.h) - scale(at.y)};
}

int TWin32Form::OuterHeight(const TLayoutEntry& entry, int height) const {
  if (KindOf(entry.id) != TCtlKind::ComboBox) return height;
  const int dpi = static_cast<int>(dpi_);
  return height + ::MulDiv(20, dpi, 96) * 4 + ::MulDiv(4, dpi, 96);  // the dropped list
}

void TWin32Form::Layout() {
  auto scale = [this](int v) { return ::MulDiv(v, static_cast<int>(dpi_), 96); };
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int cw = client.right, ch = client.bottom;
  const int minW = scale(cContentMinWidth), minH = scale(cContentMinHeight), bar = scale(cScrollBarWidth);
  bool needV = ch < minH;
  const bool needH = cw - (needV ? bar : 0) < minW;
  needV = ch - (needH ? bar : 0) < minH;
  const int viewW = cw - (needV ? bar : 0), viewH = ch - (needH ? bar : 0);
  const int contentW = std::max(viewW, minW), contentH = std::max(viewH, minH);
  scrollX_ = std::clamp(scrollX_, 0, contentW - viewW);
  scrollY_ = std::clamp(scrollY_, 0, contentH - viewH);
  ::ShowWindow(vBar_, needV ? SW_SHOWNA : SW_HIDE);
  ::ShowWindow(hBar_, needH ? SW_SHOWNA : SW_HIDE);
  if (needV) {
    ::MoveWindow(vBar_, viewW, 0, bar, viewH, TRUE);
    SetScrollBar(vBar_, contentH, viewH, scrollY_);
  }
  if (needH) {
    ::MoveWindow(hBar_, 0, viewH, viewW, bar, TRUE);
    SetScrollBar(hBar_, contentW, viewW, scrollX_);
  }

  // Each rectangle follows its parent's change from the design size.
  std::map<int, SIZE> actual;
  std::map<int, SIZE> design;
  std::map<int, POINT> origin;  // unscaled position of each control in the scroll box
  HWND previous = nullptr;
  for (int i = 0; i < cLayoutCount; ++i) {
    const TLayoutEntry& entry = cLayout[i];
    const RECT designed = DesignRect(entry, origin);
    int x = designed.left, y = designed.top, w = designed.right - designed.left, h = designed.bottom - designed.top;
    const SIZE designSize{w, h};
    if (entry.id == idScrlSetu) {
      x = -scrollX_;
      y = -scrollY_;
      w = contentW;
      h = contentH;
    } else {
      const SIZE pa = actual.at(entry.parent), pd = design.at(entry.parent);
      const int dx = pa.cx - pd.cx, dy = pa.cy - pd.cy;
      if (entry.anchors & anMoveX) x += dx;
      if (entry.anchors & anGrowW) w += dx;
      if ((entry.anchors & anShareW) && pd.cx > 0) {
        // Each column keeps its part of the row: edges move in proportion.
        const int left = x + ::MulDiv(dx, x, pd.cx), right = x + w + ::MulDiv(dx, x + w, pd.cx);
        x = left;
        w = right - left;
      }
      if (entry.anchors & anMoveY) y += dy;
      if (entry.anchors & anGrowH) h += dy;
    }
    HWND outer = outer_.at(entry.id);
    HWND inner = controls_.at(entry.id)->hwnd();
    if (entry.style & csAutoWidth) {
      // As wide as the box and its caption.
      HDC dc = ::GetDC(inner);
      HGDIOBJ old = ::SelectObject(dc, fonts_->For(entry.style));
      const std::wstring text = WindowTextW(inner);
      measured_[entry.id] = text;
      SIZE size{0, 0};
      ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      ::SelectObject(dc, old);
      ::ReleaseDC(inner, dc);
      w = scale(cCheckGlyph + cCheckGap) + size.cx + scale(4);
    }
    if ((entry.style & csFollows) && previous != nullptr) {
      RECT prev;
      ::GetWindowRect(previous, &prev);
      ::MapWindowPoints(nullptr, ::GetParent(previous), reinterpret_cast<POINT*>(&prev), 2);
      const int right = x + w;
      x = prev.right + scale(4);
      w = std::max(0, right - x);
    }
    const int height = OuterHeight(entry, h);
    // A control already in place is left alone: under Wine every move is a
    // round trip to the window server and a round of size messages, and
    // most layouts after the first (a caption, the first showing) move few.
    const RECT place{x, y, x + w, y + height};
    const auto placed = placed_.find(entry.id);
    if (placed == placed_.end() || !::EqualRect(&placed->second, &place)) {
      ::MoveWindow(outer, x, y, w, height, TRUE);
      placed_[entry.id] = place;
    }
    actual[entry.id] = SIZE{w, h};
    design[entry.id] = designSize;
    previous = outer;
  }
}

void TWin32Form::SizeToDesign() {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE));
  RECT r{0, 0, ::MulDiv(cClientWidth, static_cast<int>(dpi_), 96), ::MulDiv(cClientHeight, static_cast<int>(dpi_), 96)};
  ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TWin32Form::ShowCentred() {
  SizeToDesign();
  RECT r;
  ::GetWindowRect(hwnd_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& work = mi.rcWork;
  ::SetWindowPos(hwnd_, nullptr, work.left + std::max<LONG>(0, (work.right - work.left - w) / 2),
                 work.top + std::max<LONG>(0, (work.bottom - work.top - h) / 2), 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
}

void TWin32Form::CaptionChanged(TCtlId id) {
  const TLayoutEntry* entry = LayoutOf(id);
  // Laying out the whole window costs a move of every control (a round trip
  // to the window server each under Wine); the wizard enables and disables
  // the run box on every page change, which leaves its width as it was.
  if (entry != nullptr && (entry->style & csAutoWidth)) {
    const auto measured = measured_.find(id);
    if (measured == measured_.end() || measured->second != WindowTextW(controls_.at(id)->hwnd())) Layout();
  }
  // Shortcut letters follow the captions of what is shown.
  if (cues_) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

