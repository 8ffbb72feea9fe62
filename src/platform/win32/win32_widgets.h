// The window classes and subclassed system controls of the wizard window:
// containers (scroll box, panels, page frames), memos with their own scroll
// bar, and check boxes, group boxes and the language box painted in the
// theme's colours while the system control keeps its behaviour (messages,
// keyboard, accessibility and the ids an outside program reads).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/control_ids.h"

// What the widgets ask the window they belong to.
class IWidgetOwner {
 public:
  virtual ~IWidgetOwner() = default;
  virtual UINT Dpi() const = 0;
  // The character of the control's caption that its Alt shortcut uses, or -1
  // (none, or the shortcut cues are hidden).
  virtual int MnemonicIndex(HWND control) = 0;
  // The colour a window stands on.
  virtual COLORREF Background(HWND window) = 0;
  // Painting of a container beyond its background (band lines, the logo).
  virtual void PaintPanel(HWND panel, HDC dc, const RECT& client) = 0;
  // A container's notification from a child (WM_COMMAND, WM_DRAWITEM,
  // WM_MEASUREITEM, WM_CTLCOLOR*); true when handled, with its result.
  virtual bool Notify(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
  // The name screen readers get for a control without a caption of its own
  // (the text of the label that names it); empty for the others.
  virtual std::wstring AccessibleNameOf(HWND control) = 0;
};

void RegisterWidgetClasses();

// A container window (scroll box, panel, page frame, image) with the id, at
// place (parent coordinates).
HWND CreatePanel(HWND parent, int id, IWidgetOwner* owner, DWORD style, const RECT& place);

// A read-only memo: a bordered host holding the edit control (which carries
// the id) and a themed vertical scroll bar, its host at place. Returns the
// host; edit receives the edit.
HWND CreateMemo(HWND parent, int id, IWidgetOwner* owner, const RECT& place, HWND& edit);

// A themed scroll bar; onScroll(newPosition) is called when the user moves it.
HWND CreateScrollBar(HWND parent, bool vertical, std::function<void(int)> onScroll);
// The bar's range (0..range-1 units), the units in view and the first one shown.
void SetScrollBar(HWND bar, int range, int page, int position);

// Paints a system check box, group box or combo box of the wizard in the theme.
void ThemeSystemControl(HWND control, TCtlKind kind, IWidgetOwner* owner);
