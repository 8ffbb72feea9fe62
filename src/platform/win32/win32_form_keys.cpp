// The wizard's keyboard: Alt shortcuts taken from the captions shown, Enter
// and Esc, and Tab when no control has the focus.
#include <cwctype>

#include "platform/win32/win32_form.h"
#include "platform/win32/win32_internal.h"

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
