// Windows test and benchmark programs: finding the visible top-level window
// of another process, for drivers that start a program and then wait for
// its window, dialog or message box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The first visible top-level window of process `pid` that `accept` takes
// (any, without it), or null.
inline HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& accept = nullptr) {
  struct TSearch {
    DWORD pid;
    const std::function<bool(HWND)>& accept;
    HWND found;
  } search{pid, accept, nullptr};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(lp);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner != s->pid || !::IsWindowVisible(hwnd) || (s->accept && !s->accept(hwnd))) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowClassName(HWND hwnd) {
  wchar_t name[256] = {};
  ::GetClassNameW(hwnd, name, 256);
  return name;
}
