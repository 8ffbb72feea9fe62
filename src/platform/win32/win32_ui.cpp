// The wizard window on Win32: one top-level window, a child window per page
// frame, and the controls of win32_layout.cpp, drawn in the "Cyan Night" look.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "common/task_msg.h"
#include "platform/ui.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_layout.h"
#include "platform/win32/win32_theme.h"

namespace {

const wchar_t* W(const ustring& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
constexpr wchar_t cFormClass[] = L"CorvalinSetupForm";
constexpr wchar_t cFrameClass[] = L"CorvalinSetupFrame";

ustring WindowText(HWND hwnd) {
  const int n = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  ::GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return U(text.c_str());
}

class TWin32Control : public IControl {
 public:
  TWin32Control(HWND hwnd, TCtlKind kind) : hwnd_(hwnd), kind_(kind) {}
  HWND hwnd() const { return hwnd_; }
  TCtlKind kind() const { return kind_; }

  void SetCaption(const ustring& text) override {
    caption_ = text;
    if (kind_ != TCtlKind::Memo) ::SetWindowTextW(hwnd_, W(text));
  }
  ustring Caption() const override { return kind_ == TCtlKind::Memo ? caption_ : WindowText(hwnd_); }
  void SetEnabled(bool enabled) override { ::EnableWindow(hwnd_, enabled); }
  bool Enabled() const override { return ::IsWindowEnabled(hwnd_) != FALSE; }
  void SetChecked(bool checked) override {
    ::SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool Checked() const override { return ::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetVisible(bool visible) override { ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
  bool Visible() const override { return (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void SetFocus() override { ::SetFocus(hwnd_); }
  bool Focused() const override { return ::GetFocus() == hwnd_; }

  void ClearLines() override {
    lines_.clear();
    if (kind_ == TCtlKind::ComboBox) ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    else SyncMemo();
  }
  void AddLine(const ustring& line) override {
    lines_.push_back(line);
    if (kind_ == TCtlKind::ComboBox) ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(line)));
    else SyncMemo();
  }
  int LineCount() const override { return static_cast<int>(lines_.size()); }
  ustring Line(int index) const override {
    return index >= 0 && index < LineCount() ? lines_[static_cast<std::size_t>(index)] : ustring();
  }
  void SetLine(int index, const ustring& line) override {
    if (index < 0 || index >= LineCount()) return;
    lines_[static_cast<std::size_t>(index)] = line;
    SyncMemo();
  }
  void SetItemIndex(int index) override { ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  int ItemIndex() const override { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }

 private:
  // The edit control shows the line list; the last line stays in view.
  void SyncMemo() {
    if (kind_ != TCtlKind::Memo) return;
    ustring text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (i > 0) text += u"\r\n";
      text += lines_[i];
    }
    ::SetWindowTextW(hwnd_, W(text));
    ::SendMessageW(hwnd_, EM_LINESCROLL, 0, static_cast<LPARAM>(lines_.size()));
  }

  HWND hwnd_;
  TCtlKind kind_;
  ustring caption_;
  std::vector<ustring> lines_;
};

// Stands in for a control the Win32 layout does not draw (pure containers).
class TInertControl : public IControl {
 public:
  void SetCaption(const ustring& text) override { caption_ = text; }
  ustring Caption() const override { return caption_; }
  void SetEnabled(bool e) override { enabled_ = e; }
  bool Enabled() const override { return enabled_; }
  void SetChecked(bool) override {}
  bool Checked() const override { return false; }
  void SetVisible(bool v) override { visible_ = v; }
  bool Visible() const override { return visible_; }
  void SetFocus() override {}
  bool Focused() const override { return false; }
  void ClearLines() override {}
  void AddLine(const ustring&) override {}
  int LineCount() const override { return 0; }
  ustring Line(int) const override { return {}; }
  void SetLine(int, const ustring&) override {}
  void SetItemIndex(int) override {}
  int ItemIndex() const override { return -1; }

 private:
  ustring caption_;
  bool enabled_ = true, visible_ = true;
};

class TWin32Form : public IFormView {
 public:
  TWin32Form();
  ~TWin32Form() override {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  }
  IControl& Control(TCtlId id) override {
    auto it = controls_.find(id);
    if (it != controls_.end()) return *it->second;
    auto& inert = inert_[id];
    if (!inert) inert = std::make_unique<TInertControl>();
    return *inert;
  }
  THwnd Handle() const override { return reinterpret_cast<THwnd>(hwnd_); }
  std::uintptr_t IconHandle() const override { return reinterpret_cast<std::uintptr_t>(icon_); }
  void SetCaption(const ustring& text) override { ::SetWindowTextW(hwnd_, W(text)); }
  ustring Caption() const override { return WindowText(hwnd_); }
  bool IsVisible() const override { return ::IsWindowVisible(hwnd_) != FALSE; }
  void Close() override { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

  HWND hwnd() const { return hwnd_; }
  bool closed() const { return closed_; }
  void ShowCentred();

 private:
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void ApplyDpi(UINT dpi);
  HWND ParentOf(TCtlId id) const;

  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  bool closed_ = false;
  UINT dpi_ = 96;
  std::map<int, std::unique_ptr<TWin32Control>> controls_;
  std::map<int, std::unique_ptr<TInertControl>> inert_;
  std::map<int, HWND> frames_;
  TThemeFonts fonts_;
};

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszClassName = cFormClass;
  wc.hIcon = ::LoadIconW(inst, MAKEINTRESOURCEW(1));
  ::RegisterClassExW(&wc);
  wc.lpszClassName = cFrameClass;
  wc.hIcon = nullptr;
  ::RegisterClassExW(&wc);
}

TWin32Form::TWin32Form() {
  RegisterClasses();
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  icon_ = static_cast<HICON>(::LoadImageW(inst, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
  RECT r{0, 0, cClientWidth, cClientHeight};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  ::AdjustWindowRectEx(&r, style, FALSE, WS_EX_APPWINDOW | WS_EX_CONTROLPARENT);
  hwnd_ = ::CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, cFormClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, inst, nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormProc));
  if (icon_ != nullptr) ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  dpi_ = WindowDpi(hwnd_);
  fonts_.Create(dpi_);
  CreateControls();
  ApplyDpi(dpi_);
}

HWND TWin32Form::ParentOf(TCtlId id) const {
  const auto it = frames_.find(id);
  return it != frames_.end() ? it->second : hwnd_;
}

void TWin32Form::CreateControls() {
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  for (int i = 0; i < cLayoutCount; ++i) {
    const TCtlSpec& spec = cLayout[i];
    HWND parent = spec.parent == 0 ? hwnd_ : ParentOf(spec.parent);
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex = 0;
    switch (spec.kind) {
      case TCtlKind::Panel: style |= SS_OWNERDRAW; break;
      case TCtlKind::Image: style |= SS_OWNERDRAW; break;
      case TCtlKind::Frame: cls = cFrameClass; style = WS_CHILD | WS_CLIPCHILDREN; ex = WS_EX_CONTROLPARENT; break;
      case TCtlKind::Label:
        style |= SS_NOPREFIX | ((spec.style & csRight) ? SS_RIGHT : (spec.style & csCenter) ? SS_CENTER : SS_LEFT);
        if (spec.style & csBigTitle) style |= SS_CENTERIMAGE;
        if (spec.style & csPathEllipsis) style |= SS_PATHELLIPSIS;
        break;
      case TCtlKind::Button: cls = L"BUTTON"; style |= WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW; break;
      case TCtlKind::CheckBox: cls = L"BUTTON"; style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
      case TCtlKind::Group: cls = L"BUTTON"; style |= BS_GROUPBOX; break;
      case TCtlKind::ComboBox: cls = L"COMBOBOX"; style |= WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL; break;
      case TCtlKind::Memo:
        cls = L"EDIT";
        style |= WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
        ex = WS_EX_CLIENTEDGE;
        break;
    }
    HWND h = ::CreateWindowExW(ex, cls, L"", style, spec.x, spec.y, spec.w, spec.h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), inst, nullptr);
    if (spec.kind == TCtlKind::Frame) {
      frames_[spec.id] = h;
      ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc));
    }
    if (spec.kind == TCtlKind::CheckBox) DisableVisualStyle(h);  // so the dark colours reach the text
    controls_[spec.id] = std::make_unique<TWin32Control>(h, spec.kind);
  }
}

void TWin32Form::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  fonts_.Create(dpi);
  auto scale = [dpi](int v) { return ::MulDiv(v, static_cast<int>(dpi), 96); };
  for (int i = 0; i < cLayoutCount; ++i) {
    const TCtlSpec& spec = cLayout[i];
    HWND h = controls_[spec.id]->hwnd();
    int height = spec.kind == TCtlKind::ComboBox ? 200 : spec.h;
    ::MoveWindow(h, scale(spec.x), scale(spec.y), scale(spec.w), scale(height), FALSE);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.For(spec.style)), FALSE);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void TWin32Form::ShowCentred() {
  RECT r{0, 0, ::MulDiv(cClientWidth, static_cast<int>(dpi_), 96), ::MulDiv(cClientHeight, static_cast<int>(dpi_), 96)};
  ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE)));
  const int w = r.right - r.left, h = r.bottom - r.top;
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 w, h, SWP_NOZORDER);
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
}

LRESULT CALLBACK TWin32Form::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TWin32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self != nullptr ? self->Handle(hwnd, msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TWin32Form::FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TWin32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (self != nullptr) return self->Handle(hwnd, msg, wp, lp);
      break;
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd, &r);
      ::FillRect(reinterpret_cast<HDC>(wp), &r, Theme().pageBrush);
      return 1;
    }
    default: break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT TWin32Form::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETUP_TASK:
      if (OnTaskMessage) OnTaskMessage(wp, lp);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      auto it = controls_.find(id);
      if (it == controls_.end()) break;
      const bool click = (it->second->kind() == TCtlKind::Button || it->second->kind() == TCtlKind::CheckBox) &&
                         code == BN_CLICKED;
      const bool select = it->second->kind() == TCtlKind::ComboBox && code == CBN_SELCHANGE;
      if ((click || select) && it->second->OnClick) it->second->OnClick();
      return 0;
    }
    case WM_CLOSE:
      if (!OnCloseQuery || OnCloseQuery()) {
        closed_ = true;
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
      }
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_QUERYENDSESSION:
      return (!OnQueryEndSession || OnQueryEndSession()) ? TRUE : FALSE;
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wp));
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      ::SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd, &r);
      ::FillRect(reinterpret_cast<HDC>(wp), &r, Theme().pageBrush);
      return 1;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      DrawOwnerItem(*item, static_cast<int>(item->CtlID));
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<LRESULT>(ColorControl(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg));
    default: break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

class TWin32Ui : public IUi {
 public:
  void Initialize() override {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
  }
  bool ApplyTheme(const ustring& name) override { return LoadTheme(name); }
  std::unique_ptr<IFormView> CreateSetupForm() override { return std::make_unique<TWin32Form>(); }
  void RunEventLoop(IFormView& form) override {
    auto& win = static_cast<TWin32Form&>(form);
    win.ShowCentred();
    MSG msg;
    while (!win.closed() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (win.hwnd() != nullptr && ::IsDialogMessageW(win.hwnd(), &msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  void ProcessPendingEvents() override {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  int ShowMessageBox(THwnd owner, const ustring& text, const ustring& caption, int style) override {
    return ::MessageBoxW(reinterpret_cast<HWND>(owner), W(text), W(caption), static_cast<UINT>(style));
  }
  bool BrowseForFolder(const TDlgInfo&, ustring& path) override {
    path.clear();
    return false;
  }
};

}  // namespace

IUi& Win32Ui() {
  static TWin32Ui ui;
  return ui;
}
