#include "platform/win32/win32_widgets.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_accessible.h"
#include "platform/win32/win32_layout.h"
#include "platform/win32/win32_theme.h"

namespace {

constexpr wchar_t cPanelClass[] = L"CorvalinSetupPanel";
constexpr wchar_t cMemoClass[] = L"CorvalinSetupMemo";
constexpr wchar_t cScrollClass[] = L"CorvalinSetupScrollBar";
constexpr UINT_PTR cSubclassId = 0xC0A1;

int Scale(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), 96); }

template <class T>
T* DataOf(HWND hwnd) {
  return reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool IsNotification(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return true;
    default:
      return false;
  }
}

// ------------------------------------------------------------ containers

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* owner = DataOf<IWidgetOwner>(hwnd);
  if (owner != nullptr) {
    if (IsNotification(msg)) {
      LRESULT result = 0;
      if (owner->Notify(msg, wp, lp, result)) return result;
    } else if (msg == WM_ERASEBKGND) {
      RECT r;
      ::GetClientRect(hwnd, &r);
      ::FillRect(reinterpret_cast<HDC>(wp), &r, ThemeBrush(owner->Background(hwnd)));
      return 1;
    } else if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT r;
      ::GetClientRect(hwnd, &r);
      owner->PaintPanel(hwnd, dc, r);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// ------------------------------------------------------------ scroll bar

struct TScrollData {
  bool vertical = true;
  int range = 0, page = 0, position = 0;
  bool dragging = false;
  int dragOffset = 0;
  std::function<void(int)> onScroll;
};

int TrackLength(HWND hwnd, const TScrollData& d) {
  RECT r;
  ::GetClientRect(hwnd, &r);
  return d.vertical ? r.bottom - r.top : r.right - r.left;
}

// Thumb start and end along the track; equal when everything is in view.
void Thumb(HWND hwnd, const TScrollData& d, int& start, int& end) {
  start = end = 0;
  if (d.range <= d.page || d.page <= 0) return;
  const int length = TrackLength(hwnd, d);
  const int thumb = std::max(std::min(length, 16), length * d.page / d.range);
  const int span = d.range - d.page;
  start = span > 0 ? (length - thumb) * std::clamp(d.position, 0, span) / span : 0;
  end = start + thumb;
}

void ScrollTo(HWND hwnd, TScrollData& d, int position) {
  position = std::clamp(position, 0, std::max(0, d.range - d.page));
  if (position == d.position) return;
  d.position = position;
  ::InvalidateRect(hwnd, nullptr, FALSE);
  if (d.onScroll) d.onScroll(position);
}

LRESULT CALLBACK ScrollProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = DataOf<TScrollData>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_NCDESTROY:
      delete d;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT r;
      ::GetClientRect(hwnd, &r);
      int start = 0, end = 0;
      if (d != nullptr) Thumb(hwnd, *d, start, end);
      PaintScrollBar(dc, r, d == nullptr || d->vertical, start, end, d != nullptr && d->dragging);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      if (d == nullptr) break;
      const int at = d->vertical ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
      int start = 0, end = 0;
      Thumb(hwnd, *d, start, end);
      if (end <= start) return 0;
      if (at >= start && at < end) {
        d->dragging = true;
        d->dragOffset = at - start;
        ::SetCapture(hwnd);
        ::InvalidateRect(hwnd, nullptr, FALSE);
      } else {
        ScrollTo(hwnd, *d, d->position + (at < start ? -d->page : d->page));
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (d == nullptr || !d->dragging) break;
      const int at = d->vertical ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
      int start = 0, end = 0;
      Thumb(hwnd, *d, start, end);
      const int free = TrackLength(hwnd, *d) - (end - start);
      if (free > 0) ScrollTo(hwnd, *d, (at - d->dragOffset) * (d->range - d->page) / free);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (d != nullptr && d->dragging) {
        d->dragging = false;
        if (msg == WM_LBUTTONUP) ::ReleaseCapture();
        ::InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// ------------------------------------------------------------ memo

struct TMemoData {
  IWidgetOwner* owner = nullptr;
  HWND edit = nullptr;
  HWND bar = nullptr;
  bool syncing = false;  // the edit control's own queries while the bar is brought in step
};

void PlaceMemoParts(HWND host, const TMemoData& m) {
  RECT r;
  ::GetClientRect(host, &r);
  const UINT dpi = m.owner->Dpi();
  const int edge = 2, pad = Scale(4, dpi), bar = Scale(cScrollBarWidth, dpi);
  ::MoveWindow(m.bar, r.right - edge - bar, edge, bar, std::max<int>(0, r.bottom - 2 * edge), TRUE);
  ::MoveWindow(m.edit, edge + pad, edge + pad / 2, std::max<int>(0, r.right - 2 * edge - bar - 2 * pad),
               std::max<int>(0, r.bottom - 2 * edge - pad), TRUE);
}

// Keeps the memo's scroll bar in step with the edit control's view.
void SyncMemoBar(HWND edit, HWND bar) {
  const int first = static_cast<int>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
  const int count = static_cast<int>(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
  RECT r;
  ::GetClientRect(edit, &r);
  HDC dc = ::GetDC(edit);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(edit, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(edit, dc);
  const int visible = tm.tmHeight > 0 ? std::max<int>(1, (r.bottom - r.top) / tm.tmHeight) : 1;
  SetScrollBar(bar, count, visible, first);
}

LRESULT CALLBACK MemoEditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* m = reinterpret_cast<TMemoData*>(ref);
  if (msg == WM_GETDLGCODE) {
    // Tab, Enter and Esc stay with the wizard; a read-only text needs no select-all.
    return ::DefSubclassProc(hwnd, msg, wp, lp) & ~(DLGC_WANTALLKEYS | DLGC_HASSETSEL);
  }
  if (msg == WM_GETOBJECT) {
    LRESULT answer = 0;
    if (AnswerAccessibleName(hwnd, wp, lp, m->owner->AccessibleNameOf(hwnd), answer)) return answer;
  }
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &MemoEditProc, cSubclassId);
  const LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) return result;
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) ::InvalidateRect(::GetParent(hwnd), nullptr, TRUE);
  if (m->syncing || m->bar == nullptr || msg == WM_PAINT || msg == WM_NCHITTEST || msg == WM_SETCURSOR) return result;
  m->syncing = true;
  SyncMemoBar(hwnd, m->bar);
  m->syncing = false;
  return result;
}

LRESULT CALLBACK MemoHostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* m = DataOf<TMemoData>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_NCDESTROY:
      delete m;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_SIZE:
      if (m != nullptr && m->edit != nullptr) {
        PlaceMemoParts(hwnd, *m);
        m->syncing = true;
        SyncMemoBar(m->edit, m->bar);
        m->syncing = false;
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT r;
      ::GetClientRect(hwnd, &r);
      ::FillRect(dc, &r, ThemeBrush(Theme().edit));
      if (m != nullptr) PaintBorder(dc, r, ::GetFocus() == m->edit, m->owner->Dpi());
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      if (m != nullptr && IsNotification(msg)) {
        LRESULT result = 0;
        if (m->owner->Notify(msg, wp, lp, result)) return result;
      }
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterWidgetClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = &PanelProc;
  wc.lpszClassName = cPanelClass;
  ::RegisterClassExW(&wc);
  wc.lpfnWndProc = &MemoHostProc;
  wc.lpszClassName = cMemoClass;
  ::RegisterClassExW(&wc);
  wc.lpfnWndProc = &ScrollProc;
  wc.lpszClassName = cScrollClass;
  ::RegisterClassExW(&wc);
}

HWND CreatePanel(HWND parent, int id, IWidgetOwner* owner, DWORD style, const RECT& place) {
  RegisterWidgetClasses();
  return ::CreateWindowExW(WS_EX_CONTROLPARENT, cPanelClass, L"", WS_CHILD | WS_CLIPCHILDREN | style, place.left,
                           place.top, place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), owner);
}

HWND CreateScrollBar(HWND parent, bool vertical, std::function<void(int)> onScroll) {
  RegisterWidgetClasses();
  auto* d = new TScrollData;
  d->vertical = vertical;
  d->onScroll = std::move(onScroll);
  HWND bar = ::CreateWindowExW(0, cScrollClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                               ::GetModuleHandleW(nullptr), d);
  if (bar == nullptr) delete d;
  return bar;
}

void SetScrollBar(HWND bar, int range, int page, int position) {
  auto* d = DataOf<TScrollData>(bar);
  if (d == nullptr) return;
  if (d->range == range && d->page == page && d->position == position) return;
  d->range = range;
  d->page = page;
  d->position = position;
  ::InvalidateRect(bar, nullptr, FALSE);
}

HWND CreateMemo(HWND parent, int id, IWidgetOwner* owner, const RECT& place, HWND& edit) {
  RegisterWidgetClasses();
  auto* m = new TMemoData;
  m->owner = owner;
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  HWND host = ::CreateWindowExW(WS_EX_CONTROLPARENT, cMemoClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                                nullptr, inst, m);
  if (host == nullptr) {
    delete m;
    edit = nullptr;
    return nullptr;
  }
  m->edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY, 0,
                              0, 0, 0, host, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
  HWND editWindow = m->edit;
  m->bar = CreateScrollBar(host, true, [editWindow](int position) {
    const int first = static_cast<int>(::SendMessageW(editWindow, EM_GETFIRSTVISIBLELINE, 0, 0));
    ::SendMessageW(editWindow, EM_LINESCROLL, 0, position - first);
  });
  ::SetWindowSubclass(m->edit, &MemoEditProc, cSubclassId, reinterpret_cast<DWORD_PTR>(m));
  // The host had its size before its parts existed.
  PlaceMemoParts(host, *m);
  edit = m->edit;
  return host;
}
