// The wizard window laid out at 96, 120 and 144 DPI in English and German, at
// its design size and at the smallest size that does not scroll yet:
// every caption measured with GetTextExtentPoint32 (wrapped texts with
// DrawText) in the control's own font fits its control, and no control
// overlaps another or leaves its parent. The window is the real one of the
// setup, built in this process at a forced DPI and filled by the wizard's
// own controller; the longest caption each control can get is measured.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/setup_form.h"
#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/joined_texts.h"
#include "catalogue/texts.h"
#include "common/utils.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_layout.h"

namespace {

// Scroll bars the window shows (its direct children of the bar class). Their
// own style says it: a hidden window's children are never "visible".
int VisibleScrollBars(HWND form) {
  int count = 0;
  for (HWND c = ::GetWindow(form, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64] = {};
    ::GetClassNameW(c, cls, 64);
    if (std::wstring(cls) == L"CorvalinSetupScrollBar" && (::GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)) ++count;
  }
  return count;
}

// Gives the window a client area of `w` x `h` pixels.
void ResizeClient(HWND form, int w, int h) {
  RECT r{0, 0, w, h};
  ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(form, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(form, GWL_EXSTYLE)));
  ::SetWindowPos(form, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

enum TLayoutSize { lsDesign, lsSmallest };
// The smallest client area (96-DPI units) that must show the pages whole,
// without scrolling; written out here so that the test does not follow the
// window's own constant.
constexpr int cSmallestWidth = 560, cSmallestHeight = 360;

class LayoutAtDpi : public testing::TestWithParam<std::tuple<int, int, int>> {
 protected:
  void SetUp() override {
    dpi_ = std::get<0>(GetParam());
    lang_ = static_cast<TSuLang>(std::get<1>(GetParam()));
    view_ = CreateWin32SetupForm(static_cast<unsigned>(dpi_));
    form_ = static_cast<TWin32Form*>(view_.get());
    form_->SizeToDesign();
    if (std::get<2>(GetParam()) == lsSmallest)
      ResizeClient(form_->hwnd(), Scale(cSmallestWidth), Scale(cSmallestHeight));
    wizard_ = std::make_unique<TfmSetup>(*view_);
    wizard_->FormCreate();
    IControl& box = view_->Control(idCbWcLang);
    box.SetItemIndex(lang_);
    box.OnClick();
  }
  void TearDown() override {
    Os().Ui().OnException = nullptr;
    wizard_.reset();
    view_.reset();
  }

  int Scale(int v) const { return ::MulDiv(v, dpi_, 96); }
  HWND Window(TCtlId id) { return static_cast<TWin32Control&>(view_->Control(id)).hwnd(); }

  // Width and height the text needs in the control's font; wrapped in `wrapWidth` when > 0.
  SIZE Need(HWND control, const std::wstring& text, int wrapWidth) {
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{0, 0};
    if (wrapWidth > 0) {
      RECT r{0, 0, wrapWidth, 0};
      ::DrawTextW(dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
      size = SIZE{r.right, r.bottom};
    } else {
      ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return size;
  }

  // Checks one caption of a control against the room its kind leaves for text.
  void CheckCaption(TCtlId id, const std::wstring& text) {
    HWND h = Window(id);
    RECT client;
    ::GetClientRect(h, &client);
    const TLayoutEntry* entry = LayoutOf(id);
    int room = client.right;
    int wrap = 0;
    switch (KindOf(id)) {
      case TCtlKind::Button: room -= 2 * Scale(6); break;
      case TCtlKind::CheckBox: room -= Scale(cCheckGlyph + cCheckGap) + 2; break;
      case TCtlKind::Group: room -= 2 * Scale(8) + 2 * Scale(4); break;
      case TCtlKind::ComboBox: room -= Scale(22) + Scale(6); break;
      default:
        if (entry != nullptr && (entry->style & csWrap)) wrap = client.right;
        break;
    }
    const SIZE need = Need(h, text, wrap);
    const int height = KindOf(id) == TCtlKind::Group ? Scale(20) : client.bottom;
    if (need.cx > room || need.cy > height) {
      std::ostringstream out;
      out << "control " << id << " \"" << ToUtf8(ustring(reinterpret_cast<const char16_t*>(text.c_str())))
          << "\" needs " << need.cx << "x" << need.cy << ", has " << room << "x" << height;
      problems_.push_back(out.str());
    }
  }

  void CheckCaption(TCtlId id) {
    CheckCaption(id, std::wstring(reinterpret_cast<const wchar_t*>(view_->Control(id).Caption().c_str())));
  }
  void CheckCaption(TCtlId id, const ustring& text) {
    view_->Control(id).SetCaption(text);
    CheckCaption(id);
  }

  // Siblings may overlap only where a group box holds a control; every window
  // stays inside its parent.
  void CheckPlacement(HWND parent) {
    std::vector<HWND> children;
    for (HWND c = ::GetWindow(parent, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
      const TCtlId id = static_cast<TCtlId>(::GetDlgCtrlID(c));
      // Hidden page frames stand on the shown one's place; the scroll bars are off at the design size.
      if (!(::GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) && KindOf(id) != TCtlKind::Frame) continue;
      children.push_back(c);
      CheckPlacement(c);
    }
    RECT inside;
    ::GetClientRect(parent, &inside);
    ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    for (std::size_t i = 0; i < children.size(); ++i) {
      RECT a;
      ::GetWindowRect(children[i], &a);
      const int idA = ::GetDlgCtrlID(children[i]);
      if (parent != form_->hwnd() && (a.left < inside.left || a.top < inside.top || a.right > inside.right ||
                                      a.bottom > inside.bottom))
        problems_.push_back("control " + std::to_string(idA) + " leaves its parent " +
                            std::to_string(::GetDlgCtrlID(parent)));
      for (std::size_t j = i + 1; j < children.size(); ++j) {
        RECT b, both;
        ::GetWindowRect(children[j], &b);
        const int idB = ::GetDlgCtrlID(children[j]);
        if (!::IntersectRect(&both, &a, &b)) continue;
        if (KindOf(static_cast<TCtlId>(idA)) == TCtlKind::Frame && KindOf(static_cast<TCtlId>(idB)) == TCtlKind::Frame)
          continue;
        const bool aHoldsB = KindOf(static_cast<TCtlId>(idA)) == TCtlKind::Group && ::EqualRect(&both, &b);
        const bool bHoldsA = KindOf(static_cast<TCtlId>(idB)) == TCtlKind::Group && ::EqualRect(&both, &a);
        if (!aHoldsB && !bHoldsA)
          problems_.push_back("controls " + std::to_string(idA) + " and " + std::to_string(idB) + " overlap");
      }
    }
  }

  int dpi_ = 96;
  TSuLang lang_ = cLangEnglish;
  std::unique_ptr<IFormView> view_;
  TWin32Form* form_ = nullptr;
  std::unique_ptr<TfmSetup> wizard_;
  std::vector<std::string> problems_;
};

// Every caption fits and every control has its own place.
TEST_P(LayoutAtDpi, CaptionsFitAndNothingOverlaps) {
  ASSERT_EQ(form_->Dpi(), static_cast<UINT>(dpi_));
  // Down to the smallest content the pages themselves fit: nothing scrolls.
  ASSERT_EQ(VisibleScrollBars(form_->hwnd()), 0);
  ASSERT_EQ(view_->Control(idBtFrCanc).Caption(), cTxCancel[lang_]);
  for (int i = 0; i < cLayoutCount; ++i) {
    const TCtlId id = cLayout[i].id;
    const TCtlKind kind = KindOf(id);
    const bool measured = kind == TCtlKind::Label || kind == TCtlKind::Button || kind == TCtlKind::CheckBox ||
                          kind == TCtlKind::Group;
    // A path is shortened in its middle by design.
    if (measured && !(cLayout[i].style & csPathEllipsis)) CheckCaption(id);
  }
  // The longest texts that controls get later or in other cases.
  for (const TLangText* next : {&cTxNext, &cTxInstall, &cTxFinish}) CheckCaption(idBtFrNext, (*next)[lang_]);
  CheckCaption(idLbPpType, InstallTypeLabel(lang_, true));
  for (std::size_t i = 0; i < cHashExtCount; ++i)
    CheckCaption(static_cast<TCtlId>(idCkPpAsc0 + i), ustring(HashExts[i]) + u" (" + cProductName + u")");
  CheckCaption(idLbFiUser, u"Administrator");
  HWND combo = Window(idCbWcLang);
  for (int item = 0; item < 2; ++item) {
    wchar_t text[64] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
    CheckCaption(idCbWcLang, std::wstring(text));
  }
  CheckPlacement(form_->hwnd());
  std::string all;
  for (const std::string& p : problems_) all += "\n  " + p;
  RECT client;
  ::GetClientRect(form_->hwnd(), &client);
  EXPECT_TRUE(problems_.empty()) << "at " << dpi_ << " DPI, " << client.right << " x " << client.bottom
                                 << ", language " << int(lang_) << ":" << all;
}

INSTANTIATE_TEST_SUITE_P(DpiAndLanguage, LayoutAtDpi,
                         testing::Combine(testing::Values(96, 120, 144), testing::Values(0, 1),
                                          testing::Values(lsDesign, lsSmallest)),
                         [](const testing::TestParamInfo<std::tuple<int, int, int>>& info) {
                           return "dpi" + std::to_string(std::get<0>(info.param)) +
                                  (std::get<1>(info.param) == 0 ? "_english" : "_german") +
                                  (std::get<2>(info.param) == lsDesign ? "" : "_smallest");
                         });

// Between the design size and the smallest content the pages shrink with the
// window; one pixel less in either direction and the content keeps the
// smallest size and scrolls instead; a larger window gives the memos the room.
TEST(LayoutScroll, SmallWindowScrollsLargeWindowGrows) {
  auto view = CreateWin32SetupForm(96);
  auto* form = static_cast<TWin32Form*>(view.get());
  ::ShowWindow(form->hwnd(), SW_SHOWNA);
  auto resize = [&](int w, int h) { ResizeClient(form->hwnd(), w, h); };
  auto size = [&](TCtlId id) {
    RECT r;
    ::GetWindowRect(form->OuterWindow(id), &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  form->SizeToDesign();
  EXPECT_EQ(VisibleScrollBars(form->hwnd()), 0);
  const SIZE memo = size(idMmLicens);
  resize(cSmallestWidth, cSmallestHeight);
  EXPECT_EQ(VisibleScrollBars(form->hwnd()), 0);
  EXPECT_EQ(size(idScrlSetu).cx, cSmallestWidth);
  EXPECT_EQ(size(idScrlSetu).cy, cSmallestHeight);
  EXPECT_EQ(size(idMmLicens).cx, memo.cx - 64);
  EXPECT_EQ(size(idMmLicens).cy, memo.cy - 40);
  for (const SIZE smaller : {SIZE{559, 360}, SIZE{560, 359}, SIZE{500, 300}}) {
    resize(smaller.cx, smaller.cy);
    EXPECT_EQ(VisibleScrollBars(form->hwnd()), 2) << smaller.cx << " x " << smaller.cy;
    EXPECT_EQ(size(idScrlSetu).cx, cSmallestWidth) << smaller.cx << " x " << smaller.cy;
    EXPECT_EQ(size(idScrlSetu).cy, cSmallestHeight) << smaller.cx << " x " << smaller.cy;
    EXPECT_EQ(size(idMmLicens).cx, memo.cx - 64) << smaller.cx << " x " << smaller.cy;
  }
  resize(800, 500);
  EXPECT_EQ(VisibleScrollBars(form->hwnd()), 0);
  EXPECT_EQ(size(idMmLicens).cx, memo.cx + 176);
  EXPECT_EQ(size(idMmLicens).cy, memo.cy + 100);
  RECT next, bar;
  ::GetWindowRect(form->OuterWindow(idBtFrNext), &next);
  ::GetWindowRect(form->OuterWindow(idPaMaiCtl), &bar);
  EXPECT_EQ(bar.right - next.right, 8);
}

}  // namespace
