// The wizard window on Win32: one top-level window holding the scroll box with
// header, page area (one child window per page frame) and button bar, every
// control of win32_layout.cpp under its stable id, drawn in the theme, scaled
// for the window's DPI, and driven from the keyboard like a dialog.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "platform/win32/win32_layout.h"
#include "platform/win32/win32_theme.h"
#include "platform/win32/win32_widgets.h"

class TWin32Form;

class TWin32Control : public IControl {
 public:
  TWin32Control(TWin32Form& form, TCtlId id, HWND hwnd);
  HWND hwnd() const { return hwnd_; }
  TCtlKind kind() const { return kind_; }

  void SetCaption(const ustring& text) override;
  ustring Caption() const override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return ::IsWindowEnabled(hwnd_) != FALSE; }
  void SetChecked(bool checked) override;
  bool Checked() const override;
  void SetVisible(bool visible) override;
  bool Visible() const override { return (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void SetFocus() override;
  bool Focused() const override { return ::GetFocus() == hwnd_; }
  void ClearLines() override;
  void AddLine(const ustring& line) override;
  void SetLines(const std::vector<ustring>& lines) override;
  int LineCount() const override { return static_cast<int>(lines_.size()); }
  ustring Line(int index) const override;
  void SetLine(int index, const ustring& line) override;
  void SetItemIndex(int index) override;
  int ItemIndex() const override;

 private:
  // Shows the line list in the edit control; atEnd keeps the last line in view.
  void SyncMemo(bool atEnd);

  TWin32Form& form_;
  TCtlId id_;
  HWND hwnd_;
  TCtlKind kind_;
  std::vector<ustring> lines_;
};

class TWin32Form : public IFormView, public IWidgetOwner {
 public:
  // forcedDpi 0: the window's own DPI; otherwise lay out and draw at that DPI.
  explicit TWin32Form(UINT forcedDpi = 0);
  ~TWin32Form() override;
  TWin32Form(const TWin32Form&) = delete;
  TWin32Form& operator=(const TWin32Form&) = delete;

  // IFormView
  IControl& Control(TCtlId id) override;
  THwnd Handle() const override { return reinterpret_cast<THwnd>(hwnd_); }
  std::uintptr_t IconHandle() const override { return reinterpret_cast<std::uintptr_t>(bigIcon_); }
  void LoadIcon(std::uint32_t iconId) override;
  void LoadLogo(std::uint32_t bitmapId) override;
  void SetCaption(const ustring& text) override;
  ustring Caption() const override;
  bool IsVisible() const override { return !closed_ && ::IsWindowVisible(hwnd_) != FALSE; }
  void Close() override;
  bool IsClosed() const override { return closed_; }

  // IWidgetOwner
  UINT Dpi() const override { return dpi_; }
  int MnemonicIndex(HWND control) override;
  COLORREF Background(HWND window) override;
  void PaintPanel(HWND panel, HDC dc, const RECT& client) override;
  bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  std::wstring AccessibleNameOf(HWND control) override;

  HWND hwnd() const { return hwnd_; }
  // The most recently created wizard window that still exists, or nullptr.
  static TWin32Form* Current();
  // The window class of the wizard, by which a second setup finds it.
  static const wchar_t* ClassName();
  // The window that the layout places for a control (a memo's host, else the control).
  HWND OuterWindow(TCtlId id) const;
  // Gives the window the client area of the design at its DPI (not shown yet).
  void SizeToDesign();
  // Centres the window on its monitor's work area at its DPI and shows it.
  void ShowCentred();
  // Keyboard handling before the dialog manager: Enter, Esc, Alt shortcuts,
  // Tab with no control focused. True when the message was consumed.
  bool PreTranslate(const MSG& msg);

  // Runs an event handler; an exception goes to the application's handler.
  static void Guarded(const std::function<void()>& handler);
  // A control's caption or state changed what the layout or the shortcuts depend on.
  void CaptionChanged(TCtlId id);
  // The focus left a control that became disabled or hidden: keep keys coming to the window.
  void FocusLost();

 private:
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void ApplyDpi(UINT dpi);
  void Layout();
  // Where the design puts a control at the window's DPI, in its parent's
  // coordinates, before anchors and measured widths; origin carries the
  // unscaled positions from parents (listed first) to their children.
  RECT DesignRect(const TLayoutEntry& entry, std::map<int, POINT>& origin) const;
  // The height the layout gives a control's outer window: a combo box's
  // includes its dropped list.
  int OuterHeight(const TLayoutEntry& entry, int height) const;
  void Click(TCtlId id);
  TWin32Control* ControlOf(HWND hwnd);
  HWND FirstTabStop(bool last);
  void RestoreFocus();
  // Controls that have an Alt shortcut now, with the caption it is taken from.
  struct TMnemonic {
    TCtlId id;
    int index;
    wchar_t key;
  };
  std::vector<TMnemonic> Mnemonics();

  HWND hwnd_ = nullptr;
  UINT forcedDpi_ = 0;
  UINT dpi_ = 96;
  bool closed_ = false;
  bool cues_ = false;
  int scrollX_ = 0, scrollY_ = 0;
  HWND vBar_ = nullptr, hBar_ = nullptr;
  HWND lastFocus_ = nullptr;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
  std::uint32_t iconId_ = 0;
  HBITMAP logo_ = nullptr;
  // The fonts in use; a new DPI gets a new set before the old one is released.
  std::unique_ptr<TThemeFonts> fonts_ = std::make_unique<TThemeFonts>();
  std::map<int, std::unique_ptr<TWin32Control>> controls_;
  std::map<int, HWND> outer_;
  // The caption each auto-width control was last measured with: a change of
  // its state alone (enabled, shown) needs no new layout.
  std::map<int, std::wstring> measured_;
  // Where the layout last put each control's outer window (parent coordinates).
  std::map<int, RECT> placed_;
};

// The wizard window at a given DPI, for measuring its layout (0 = its own DPI).
std::unique_ptr<IFormView> CreateWin32SetupForm(unsigned forcedDpi);
