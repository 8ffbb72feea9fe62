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

}  // namespace

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
  // Each control is made where the design puts it, so that the first layout
  // moves only what anchors and measured captions change.
  std::map<int, POINT> origin;
  for (int i = 0; i < cLayoutCount; ++i) {
    const TLayoutEntry& entry = cLayout[i];
    const HWND parent = entry.parent == 0 ? hwnd_ : controls_.at(entry.parent)->hwnd();
    const RECT designed = DesignRect(entry, origin);
    const int left = designed.left, top = designed.top, width = designed.right - designed.left;
    const int height = OuterHeight(entry, designed.bottom - designed.top);
    const RECT place{left, top, left + width, top + height};
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id));
    const TCtlKind kind = KindOf(entry.id);
    HWND h = nullptr;
    HWND outer = nullptr;
    switch (kind) {
      case TCtlKind::Panel:
      case TCtlKind::Image:
        h = CreatePanel(parent, entry.id, this, WS_VISIBLE, place);
        break;
      case TCtlKind::Frame:
        // Page frames start hidden; the wizard shows one at a time.
        h = CreatePanel(parent, entry.id, this, 0, place);
        break;
      case TCtlKind::Memo:
        outer = CreateMemo(parent, entry.id, this, place, h);
        break;
      case TCtlKind::Label: {
        DWORD style = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;
        style |= (entry.style & csRight) ? SS_RIGHT : (entry.style & csCenter) ? SS_CENTER : SS_LEFT;
        if (entry.style & (csBigTitle | csMiddle)) style |= SS_CENTERIMAGE;
        if (entry.style & csPathEllipsis) style |= SS_PATHELLIPSIS | SS_CENTERIMAGE;
        else if (!(entry.style & csWrap) && !(entry.style & csBigTitle)) style |= SS_ENDELLIPSIS;
        h = ::CreateWindowExW(0, L"STATIC", L"", style, left, top, width, height, parent, menu, inst, nullptr);
        break;
      }
      case TCtlKind::Button:
        h = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                              left, top, width, height, parent, menu, inst, nullptr);
        break;
      case TCtlKind::CheckBox:
        h = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                              left, top, width, height, parent, menu, inst, nullptr);
        ThemeSystemControl(h, kind, this);
        break;
      case TCtlKind::Group:
        h = ::CreateWindowExW(WS_EX_TRANSPARENT, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
                              left, top, width, height, parent, menu, inst, nullptr);
        ThemeSystemControl(h, kind, this);
        break;
      case TCtlKind::ComboBox:
        h = ::CreateWindowExW(0, L"COMBOBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                                  CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                              left, top, width, height, parent, menu, inst, nullptr);
        ThemeSystemControl(h, kind, this);
        break;
    }
    controls_[entry.id] = std::make_unique<TWin32Control>(*this, entry.id, h);
    outer_[entry.id] = outer != nullptr ? outer : h;
    placed_[entry.id] = place;
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

std::wstring TWin32Form::AccessibleNameOf(HWND control) {
  const TCtlId label = NamingLabelOf(static_cast<TCtlId>(::GetDlgCtrlID(control)));
  const auto it = controls_.find(label);
  return label != 0 && it != controls_.end() ? WindowTextW(it->second->hwnd()) : std::wstring();
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
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // High contrast switched on or off, or the system's colours changed
      // while it is on: every control is drawn again in the palette now due.
      if (RefreshThemeColours())
        ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      break;
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

std::unique_ptr<IFormView> CreateWin32SetupForm(unsigned forcedDpi) {
  return std::make_unique<TWin32Form>(forcedDpi);
}

const wchar_t* TWin32Form::ClassName() { return cFormClass; }
