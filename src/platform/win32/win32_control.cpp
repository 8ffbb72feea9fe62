// The wizard's controls on Win32: captions, states and the memo's lines,
// each change told to the form where its layout or shortcuts depend on it.
#include "platform/win32/win32_form.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "common/utils.h"
#include "platform/win32/win32_internal.h"

TWin32Control::TWin32Control(TWin32Form& form, TCtlId id, HWND hwnd)
    : form_(form), id_(id), hwnd_(hwnd), kind_(KindOf(id)) {}

void TWin32Control::SetCaption(const ustring& text) {
  if (kind_ == TCtlKind::Memo) {
    lines_ = SplitCrLf(text);
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

