// The wizard for users of high contrast and of screen readers, on the real
// window built in this process: with the system's high-contrast mode on it
// draws in the system's colours only and follows the setting while it runs;
// every control that takes the focus has an accessible name.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <set>
#include <string>
#include <vector>

#include "app/setup_form.h"
#include "common/utils.h"
#include "e2e/driver.h"
#include "platform/theme_palette.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_theme.h"

namespace {

void Pump(int milliseconds) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
  MSG msg;
  while (::GetTickCount() < end) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(20);
  }
}

// The real window, filled by the wizard's controller and shown without activation.
class Accessibility : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Os().Ui().ApplyTheme(u"Cyan Night"));
    view_ = CreateWin32SetupForm(96);
    form_ = static_cast<TWin32Form*>(view_.get());
    form_->SizeToDesign();
    wizard_ = std::make_unique<TfmSetup>(*view_);
    wizard_->FormCreate();
    ::ShowWindow(form_->hwnd(), SW_SHOWNA);
    ::SetWindowPos(form_->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    Pump(300);
  }
  void TearDown() override {
    Os().Ui().OnException = nullptr;
    wizard_.reset();
    view_.reset();
  }
  HWND Window(TCtlId id) { return static_cast<TWin32Control&>(view_->Control(id)).hwnd(); }

  std::unique_ptr<IFormView> view_;
  TWin32Form* form_ = nullptr;
  std::unique_ptr<TfmSetup> wizard_;
};

// ---------------------------------------------------------------- high contrast


// Switches high contrast with a black scheme, and back, as the system does:
// the scheme's colours (WM_SYSCOLORCHANGE), then the setting's notice
// (WM_SETTINGCHANGE). Wine keeps no high-contrast setting (see
// SetHighContrastQuery), so the test answers the window's question itself.
class THighContrast {
 public:
  static constexpr int kElements[3] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_GRAYTEXT};
  static constexpr COLORREF kScheme[3] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(63, 242, 63)};
  explicit THighContrast(HWND window) : window_(window) {
    for (int i = 0; i < 3; ++i) saved_[i] = ::GetSysColor(kElements[i]);
    SetHighContrastQuery([] { return on_; });
  }
  ~THighContrast() {
    Set(false);
    SetHighContrastQuery(nullptr);
  }
  void Set(bool on) {
    on_ = on;
    EXPECT_TRUE(::SetSysColors(3, kElements, on ? kScheme : saved_));
    ::SendMessageW(window_, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
  }

 private:
  static inline bool on_ = false;
  HWND window_;
  COLORREF saved_[3];
};

// Colours of the window's pixels, the logo left out (a picture keeps its colours).
std::set<COLORREF> WindowColours(HWND window, HWND logo) {
  RECT r, skip;
  ::GetClientRect(window, &r);
  ::GetWindowRect(logo, &skip);
  ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&skip), 2);
  HDC screen = ::GetDC(window);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  ::BitBlt(mem, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
  std::set<COLORREF> colours;
  for (int y = 0; y < r.bottom; y += 2)
    for (int x = 0; x < r.right; x += 2) {
      const POINT p{x, y};
      if (!::PtInRect(&skip, p)) colours.insert(::GetPixel(mem, x, y));
    }
  ::SelectObject(mem, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(window, screen);
  return colours;
}

// The theme's own colours that no high-contrast scheme would give.
std::vector<COLORREF> ThemeOnlyColours(const TThemeColours& t) {
  std::vector<COLORREF> only;
  for (COLORREF c : {t.page, t.band, t.accent, t.edit, t.line, t.dimText})
    if (c != THighContrast::kScheme[0] && c != THighContrast::kScheme[1] && c != THighContrast::kScheme[2])
      only.push_back(c);
  return only;
}

// High contrast switched on while the wizard runs: the palette becomes the
// system's colours and no pixel of the dark theme is left; switched off, the
// theme comes back.
TEST_F(Accessibility, HighContrastFollowsTheSystem) {
  ASSERT_FALSE(HighContrastOn()) << "the test starts from normal contrast";
  const TThemeColours themed = Theme();
  const std::vector<COLORREF> themeOnly = ThemeOnlyColours(themed);
  ASSERT_FALSE(themeOnly.empty());
  std::set<COLORREF> before = WindowColours(form_->hwnd(), Window(idImApLogo));
  EXPECT_TRUE(before.count(themed.page)) << "the dark page is not on the screen";

  THighContrast contrast(form_->hwnd());
  contrast.Set(true);
  Pump(700);
  ASSERT_TRUE(HighContrastOn());
  const TThemeColours& t = Theme();
  for (COLORREF c : {t.page, t.band, t.text, t.dimText, t.accent, t.accentText, t.disabledText, t.edit, t.line})
    EXPECT_TRUE(c == THighContrast::kScheme[0] || c == THighContrast::kScheme[1] || c == THighContrast::kScheme[2])
        << std::hex << c;
  const std::set<COLORREF> shown = WindowColours(form_->hwnd(), Window(idImApLogo));
  for (COLORREF c : themeOnly) EXPECT_EQ(shown.count(c), 0u) << "theme colour still drawn: " << std::hex << c;
  EXPECT_TRUE(shown.count(THighContrast::kScheme[0]));

  contrast.Set(false);
  Pump(700);
  EXPECT_FALSE(HighContrastOn());
  EXPECT_EQ(Theme().page, themed.page);
  EXPECT_EQ(Theme().accent, themed.accent);
  EXPECT_TRUE(WindowColours(form_->hwnd(), Window(idImApLogo)).count(themed.page));
}

// ---------------------------------------------------------------- screen readers

void CollectTabStops(HWND parent, std::vector<HWND>& out) {
  for (HWND h = ::GetWindow(parent, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (::GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) out.push_back(h);
    CollectTabStops(h, out);
  }
}

// Every control that takes the focus, on every page, in both languages, has
// an accessible name: its own caption, or the caption of the label or group
// that names it.
TEST_F(Accessibility, EveryFocusableControlHasAName) {
  ASSERT_HRESULT_SUCCEEDED(::CoInitialize(nullptr));
  for (int language : {0, 1}) {
    IControl& box = view_->Control(idCbWcLang);
    box.SetItemIndex(language);
    box.OnClick();
    std::vector<HWND> stops;
    CollectTabStops(form_->hwnd(), stops);
    ASSERT_GE(stops.size(), 20u);
    for (HWND h : stops) {
      const TCtlId id = static_cast<TCtlId>(::GetDlgCtrlID(h));
      const TCtlId label = NamingLabelOf(id);
      // A memo's edit window carries the memo's id through its host.
      const TCtlId named = label != 0 ? label : id;
      const std::wstring expected = WindowTextW(label != 0 ? Window(label) : h);
      const std::wstring name = e2e::AccessibleName(h);
      EXPECT_FALSE(name.empty()) << "control " << id << " (language " << language << ")";
      EXPECT_EQ(name, expected) << "control " << id << " named by " << named << " (language " << language << ")";
    }
  }
  ::CoUninitialize();
}

}  // namespace
