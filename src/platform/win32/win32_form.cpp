#include "platform/win32/win32_form.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <exception>

#include "common/task_msg.h"
#include "common/utils.h"
#include "platform/win32/win32_internal.h"

namespace {

constexpr wchar_t cFormClass[] = L"CorvalinSetupForm";

const wchar_t* W(const ustring& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

void RegisterFormClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = cFormClass;
  ::RegisterClassExW(&wc);
}

TWin32Form* current = nullptr;

bool IsTitle(const TLayoutEntry* entry) { return entry != nullptr && (entry->style & (csTitle | csBigTitle)) != 0; }

}  // namespace

// ================================================================ controls

TWin32Control::TWin32Control(TWin32Form& form, TCtlId id, HWND hwnd)
    : form_(form), id_(id), hwnd_(hwnd), kind_(KindOf(id)) {}

void TWin32Control::SetCaption(const ustring& text) {
  if (kind_ == TCtlKind::Memo) {
    lines_.clear();
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = text.find(u"\r\n", start);
      lines_.push_back(text.substr(start, end == ustring::npos ? ustring::npos : end - start));
      if (end == ustring::npos) break;
      start = end + 2;
    }
    SyncMemo(false);
    return;
  }
  ::SetWindowTextW(hwnd_, W(text));
  form_.CaptionChanged(id_);
}

ustring TWin32Control::Caption() const {
  if (kind_ != TCtlKind::Memo) return U(WindowTextW(hwnd_).c_str());
  ustring text;
  for (std::size_t i = 0; i < lines_.size(); ++i) text += (i > 0 ? u"\r\n" : u"") + lines_[i];
  return text;
}

void TWin32Control::SetEnabled(bool enabled) {
  const bool hadFocus = ::GetFocus() == hwnd_;
  ::EnableWindow(hwnd_, enabled);
  if (!enabled && hadFocus) form_.FocusLost();
  form_.CaptionChanged(id_);
}

void TWin32Control::SetChecked(bool checked) {
  ::SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TWin32Control::Checked() const { return ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TWin32Control::SetVisible(bool visible) {
  const HWND outer = form_.OuterWindow(id_);
  const HWND focus = ::GetFocus();
  const bool hadFocus = focus != nullptr && (focus == outer || ::IsChild(outer, focus));
  ::ShowWindow(outer, visible ? SW_SHOWNA : SW_HIDE);
  if (!visible && hadFocus) form_.FocusLost();
  form_.CaptionChanged(id_);
}

void TWin32Control::SetFocus() {
  if (::IsWindowEnabled(hwnd_) && ::IsWindowVisible(hwnd_)) ::SetFocus(hwnd_);
}

void TWin32Control::ClearLines() {
  lines_.clear();
  if (kind_ == TCtlKind::ComboBox) ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  else SyncMemo(false);
}

void TWin32Control::AddLine(const ustring& line) {
  lines_.push_back(line);
  if (kind_ == TCtlKind::ComboBox) ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(line)));
  else SyncMemo(true);
}

void TWin32Control::SetLines(const std::vector<ustring>& lines) {
  if (kind_ == TCtlKind::ComboBox) {
    ClearLines();
    for (const ustring& line : lines) AddLine(line);
    return;
  }
  lines_ = lines;
  SyncMemo(false);
}

ustring TWin32Control::Line(int index) const {
  return index >= 0 && index < LineCount() ? lines_[static_cast<std::size_t>(index)] : ustring();
}

void TWin32Control::SetLine(int index, const ustring& line) {
  if (index < 0 || index >= LineCount()) return;
  lines_[static_cast<std::size_t>(index)] = line;
  if (kind_ == TCtlKind::Memo) SyncMemo(true);
}

void TWin32Control::SetItemIndex(int index) {
  ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TWin32Control::ItemIndex() const { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }

void TWin32Control::SyncMemo(bool atEnd) {
  if (kind_ != TCtlKind::Memo) return;
  ustring text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += lines_[i];
  }
  ::SetWindowTextW(hwnd_, W(text));
  // Progress stays in view at the end; a loaded text starts at its top.
  if (atEnd) ::SendMessageW(hwnd_, EM_LINESCROLL, 0, static_cast<LPARAM>(lines_.size()) * 4);
}

// ================================================================ form

TWin32Form::TWin32Form(UINT forcedDpi) : forcedDpi_(forcedDpi) {
  RegisterFormClass();
  RegisterWidgetClasses();
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT r{0, 0, cClientWidth, cClientHeight};
  ::AdjustWindowRectEx(&r, style, FALSE, WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
  hwnd_ = ::CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, cFormClass, L"", style, CW_USEDEFAULT,
                            CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr, inst, nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormProc));
  dpi_ = forcedDpi_ != 0 ? forcedDpi_ : WindowDpi(hwnd_);
  CreateControls();
  ApplyDpi(dpi_);
  current = this;
}

TWin32Form* TWin32Form::Current() { return current; }

TWin32Form::~TWin32Form() {
  if (current == this) current = nullptr;
  if (hwnd_ != nullptr) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
  if (bigIcon_ != nullptr) ::DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) ::DestroyIcon(smallIcon_);
  if (logo_ != nullptr) ::DeleteObject(logo_);
}

void TWin32Form::CreateControls() {
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  for (int i = 0; i < cLayoutCount; ++i) {
    const TLayoutEntry& entry = cLayout[i];
    const HWND parent = entry.parent == 0 ? hwnd_ : controls_.at(entry.parent)->hwnd();
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id));
    const TCtlKind kind = KindOf(entry.id);
    HWND h = nullptr;
    HWND outer = nullptr;
    switch (kind) {
      case TCtlKind::Panel:
      case TCtlKind::Image:
        h = CreatePanel(parent, entry.id, this, WS_VISIBLE);
        break;
      case TCtlKind::Frame:
        // Page frames start hidden; the wizard shows one at a time.
        h = CreatePanel(parent, entry.id, this, 0);
        break;
      case TCtlKind::Memo:
        outer = CreateMemo(parent, entry.id, this, h);
        break;
      case TCtlKind::Label: {
        DWORD style = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;
        style |= (entry.style & csRight) ? SS_RIGHT : (entry.style & csCenter) ? SS_CENTER : SS_LEFT;
        if (entry.style & (csBigTitle | csMiddle)) style |= SS_CENTERIMAGE;
        if (entry.style & csPathEllipsis) style |= SS_PATHELLIPSIS | SS_CENTERIMAGE;
        else if (!(entry.style & csWrap) && !(entry.style & csBigTitle)) style |= SS_ENDELLIPSIS;
        h = ::CreateWindowExW(0, L"STATIC", L"", style, 0, 0, 0, 0, parent, menu, inst, nullptr);
        break;
      }
      case TCtlKind::Button:
        h = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0,
                              parent, menu, inst, nullptr);
        break;
      case TCtlKind::CheckBox:
        h = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, 0, 0,
                              parent, menu, inst, nullptr);
        ThemeSystemControl(h, kind, this);
        break;
      case TCtlKind::Group:
        h = ::CreateWindowExW(WS_EX_TRANSPARENT, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, 0, 0,
                              parent, menu, inst, nullptr);
        ThemeSystemControl(h, kind, this);
        break;
      case TCtlKind::ComboBox:
        h = ::CreateWindowExW(0, L"COMBOBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                                  CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                              0, 0, 0, 0, parent, menu, inst, nullptr);
        ThemeSystemControl(h, kind, this);
        break;
    }
    controls_[entry.id] = std::make_unique<TWin32Control>(*this, entry.id, h);
    outer_[entry.id] = outer != nullptr ? outer : h;
  }
  vBar_ = CreateScrollBar(hwnd_, true, [this](int position) {
    scrollY_ = position;
    Layout();
  });
  hBar_ = CreateScrollBar(hwnd_, false, [this](int position) {
    scrollX_ = position;
    Layout();
  });
}

HWND TWin32Form::OuterWindow(TCtlId id) const {
  const auto it = outer_.find(id);
  return it != outer_.end() ? it->second : nullptr;
}

IControl& TWin32Form::Control(TCtlId id) { return *controls_.at(id); }

TWin32Control* TWin32Form::ControlOf(HWND hwnd) {
  const auto it = controls_.find(::GetDlgCtrlID(hwnd));
  return it != controls_.end() && it->second->hwnd() == hwnd ? it->second.get() : nullptr;
}

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

  // Each rectangle follows its parent's growth beyond the design size.
  std::map<int, SIZE> actual;
  std::map<int, SIZE> design;
  std::map<int, POINT> origin;  // design position of each control in the scroll box
  HWND previous = nullptr;
  for (int i = 0; i < cLayoutCount; ++i) {
    const TLayoutEntry& entry = cLayout[i];
    // Scaling the edges in window coordinates, not sizes or offsets, keeps
    // neighbours and nested controls from overlapping by rounding.
    const POINT base = entry.parent == 0 ? POINT{0, 0} : origin.at(entry.parent);
    const POINT at{base.x + entry.x, base.y + entry.y};
    origin[entry.id] = at;
    int x = scale(at.x) - scale(base.x), y = scale(at.y) - scale(base.y);
    int w = scale(at.x + entry.w) - scale(at.x), h = scale(at.y + entry.h) - scale(at.y);
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
    int height = h;
    if (KindOf(entry.id) == TCtlKind::ComboBox) height = h + scale(20) * 4 + scale(4);  // the dropped list
    ::MoveWindow(outer, x, y, w, height, TRUE);
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

void TWin32Form::LoadIcon(std::uint32_t iconId) {
  iconId_ = iconId;
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  const int big = ::MulDiv(32, static_cast<int>(dpi_), 96), small = ::MulDiv(16, static_cast<int>(dpi_), 96);
  HICON newBig = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(iconId), IMAGE_ICON, big, big, 0));
  HICON newSmall = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(iconId), IMAGE_ICON, small, small, 0));
  ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(newBig));
  ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(newSmall));
  if (bigIcon_ != nullptr) ::DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) ::DestroyIcon(smallIcon_);
  bigIcon_ = newBig;
  smallIcon_ = newSmall;
}

void TWin32Form::LoadLogo(std::uint32_t bitmapId) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (logo_ != nullptr) ::DeleteObject(logo_);
  logo_ = bitmap;
  ::InvalidateRect(OuterWindow(idImApLogo), nullptr, TRUE);
}

void TWin32Form::SetCaption(const ustring& text) { ::SetWindowTextW(hwnd_, W(text)); }

ustring TWin32Form::Caption() const { return U(WindowTextW(hwnd_).c_str()); }

void TWin32Form::Close() {
  if (!closed_) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TWin32Form::Guarded(const std::function<void()>& handler) {
  ustring message;
  try {
    handler();
    return;
  } catch (const std::exception& e) {
    message = FromUtf8(e.what());
  } catch (...) {
    message = u"unknown exception";
  }
  // No exception may cross the window procedure back into the system.
  IUi& ui = Win32Ui();
  if (ui.OnException) {
    try {
      ui.OnException(message);
    } catch (...) {
    }
  } else {
    ::MessageBoxW(nullptr, W(u"Exception: " + message), L"Setup", MB_OK | MB_ICONERROR);
  }
}

void TWin32Form::CaptionChanged(TCtlId id) {
  const TLayoutEntry* entry = LayoutOf(id);
  if (entry != nullptr && (entry->style & csAutoWidth)) Layout();
  // Shortcut letters follow the captions of what is shown.
  if (cues_) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TWin32Form::FocusLost() {
  if (::GetFocus() == nullptr && ::GetActiveWindow() == hwnd_) ::SetFocus(hwnd_);
}

LRESULT CALLBACK TWin32Form::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TWin32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self != nullptr ? self->HandleMessage(msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
}

void TWin32Form::Click(TCtlId id) {
  const auto it = controls_.find(id);
  if (it == controls_.end()) return;
  TWin32Control& control = *it->second;
  if (!control.Enabled() || !::IsWindowVisible(control.hwnd())) return;
  if (control.OnClick) Guarded(control.OnClick);
}

LRESULT TWin32Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETUP_TASK:
      if (OnTaskMessage) Guarded([&] { OnTaskMessage(wp, lp); });
      return 0;
    case WM_CLOSE: {
      bool allowed = true;
      if (OnCloseQuery) Guarded([&] { allowed = OnCloseQuery(); });
      if (allowed && !closed_) {
        closed_ = true;
        ::ShowWindow(hwnd_, SW_HIDE);
        ::PostQuitMessage(0);
      }
      return 0;
    }
    case WM_QUERYENDSESSION: {
      bool allowed = true;
      if (OnQueryEndSession) Guarded([&] { allowed = OnQueryEndSession(); });
      return allowed ? TRUE : FALSE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DPICHANGED: {
      if (forcedDpi_ != 0) return 0;
      ApplyDpi(HIWORD(wp));
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      ::SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      if (iconId_ != 0) LoadIcon(iconId_);
      return 0;
    }
    case WM_MOUSEWHEEL:
      if (::IsWindowVisible(vBar_)) {
        scrollY_ -= GET_WHEEL_DELTA_WPARAM(wp) * ::MulDiv(40, static_cast<int>(dpi_), 96) / WHEEL_DELTA;
        Layout();
      }
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd_, &r);
      ::FillRect(reinterpret_cast<HDC>(wp), &r, ThemeBrush(Theme().page));
      return 1;
    }
    default: {
      LRESULT result = 0;
      if (Notify(msg, wp, lp, result)) return result;
      break;
    }
  }
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

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

// ---------------------------------------------------------------- keyboard

std::vector<TWin32Form::TMnemonic> TWin32Form::Mnemonics() {
  // The wizard's buttons first, then the shown page in reading order; each
  // takes the first letter of its caption that no earlier one took.
  std::vector<TCtlId> order{idBtFrNext, idBtFrBack, idBtFrCanc};
  for (int i = 0; i < cLayoutCount; ++i) {
    const TCtlId id = cLayout[i].id;
    const TCtlKind kind = KindOf(id);
    if (FrameOf(id) == 0 || (kind != TCtlKind::Button && kind != TCtlKind::CheckBox && kind != TCtlKind::ComboBox))
      continue;
    if (::IsWindowVisible(controls_.at(id)->hwnd())) order.push_back(id);
  }
  std::vector<TMnemonic> result;
  std::wstring taken;
  for (TCtlId id : order) {
    // The language box is named by its group's caption.
    const HWND named = controls_.at(id == idCbWcLang ? idGbWcLang : id)->hwnd();
    const std::wstring caption = WindowTextW(named);
    for (std::size_t i = 0; i < caption.size(); ++i) {
      const wchar_t key = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(caption[i])));
      if (!std::iswalnum(static_cast<wint_t>(key)) || taken.find(key) != std::wstring::npos) continue;
      taken += key;
      result.push_back({id, static_cast<int>(i), key});
      break;
    }
  }
  return result;
}

int TWin32Form::MnemonicIndex(HWND control) {
  if (!cues_) return -1;
  int id = ::GetDlgCtrlID(control);
  if (id == idGbWcLang) id = idCbWcLang;
  for (const TMnemonic& m : Mnemonics())
    if (m.id == id) return m.index;
  return -1;
}

HWND TWin32Form::FirstTabStop(bool last) {
  HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  return last && first != nullptr ? ::GetNextDlgTabItem(hwnd_, first, TRUE) : first;
}

void TWin32Form::RestoreFocus() {
  HWND target = lastFocus_;
  if (target == nullptr || !::IsWindow(target) || !::IsWindowVisible(target) || !::IsWindowEnabled(target)) {
    TWin32Control& next = *controls_.at(idBtFrNext);
    target = next.Enabled() ? next.hwnd() : FirstTabStop(false);
  }
  ::SetFocus(target != nullptr ? target : hwnd_);
}

bool TWin32Form::PreTranslate(const MSG& msg) {
  if (closed_ || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd))) return false;
  const HWND focus = ::GetFocus();
  TWin32Control* focused = focus != nullptr ? ControlOf(focus) : nullptr;
  const bool dropped = focused != nullptr && focused->kind() == TCtlKind::ComboBox &&
                       ::SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
  switch (msg.message) {
    case WM_SYSKEYDOWN:
      if (msg.wParam == VK_MENU && !cues_) {
        cues_ = true;
        ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
      }
      return false;
    case WM_KEYDOWN:
      if (msg.wParam == VK_ESCAPE && !dropped) {
        Click(idBtFrCanc);
        return true;
      }
      if (msg.wParam == VK_RETURN && !dropped) {
        // A focused push button takes Enter itself; otherwise Enter is Next.
        if (focused != nullptr && focused->kind() == TCtlKind::Button)
          Click(static_cast<TCtlId>(::GetDlgCtrlID(focus)));
        else
          Click(idBtFrNext);
        return true;
      }
      if (msg.wParam == VK_TAB && focus == hwnd_) {
        const HWND target = FirstTabStop(::GetKeyState(VK_SHIFT) < 0);
        if (target != nullptr) ::SetFocus(target);
        return true;
      }
      return false;
    case WM_SYSCHAR: {
      const wchar_t key = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(msg.wParam)));
      for (const TMnemonic& m : Mnemonics()) {
        if (m.key != key) continue;
        TWin32Control& control = *controls_.at(m.id);
        if (!control.Enabled()) return true;
        if (control.kind() == TCtlKind::Button) {
          Click(m.id);
        } else {
          ::SetFocus(control.hwnd());
          if (control.kind() == TCtlKind::CheckBox) ::SendMessageW(control.hwnd(), BM_CLICK, 0, 0);
        }
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

std::unique_ptr<IFormView> CreateWin32SetupForm(unsigned forcedDpi) {
  return std::make_unique<TWin32Form>(forcedDpi);
}

const wchar_t* TWin32Form::ClassName() { return cFormClass; }
