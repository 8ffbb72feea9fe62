// The start-up benchmark's baseline: the least a program of the setup's kind
// does before its first page shows. It loads the same system libraries as
// Corvalin-Setup.exe (one call into each, so the linker keeps the import),
// carries the same manifest (common controls 6, DPI awareness), and creates
// one window of the wizard's size with 60 buttons, about as many controls as
// the wizard has, then shows it and runs the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

constexpr int cButtons = 60;

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// Never true at run time; the calls only bind the libraries the setup binds.
void BindSetupLibraries(bool never) {
  if (!never) return;
  ::CoUninitialize();                              // ole32
  ::SHChangeNotify(0, 0, nullptr, nullptr);        // shell32
  ::PathFindFileNameW(L"");                        // shlwapi
  ::RegCloseKey(nullptr);                          // advapi32
  ::DeleteObject(nullptr);                         // gdi32
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  BindSetupLibraries(instance == nullptr);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = BareProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"CorvalinBareWindow";
  ::RegisterClassExW(&wc);

  RECT frame{0, 0, 624, 400};
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Bare window", WS_OVERLAPPEDWINDOW,
                                  (::GetSystemMetrics(SM_CXSCREEN) - w) / 2, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                                  w, h, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  for (int i = 0; i < cButtons; ++i) {
    HWND button = ::CreateWindowExW(0, L"BUTTON", L"Button", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                    8 + (i % 6) * 102, 8 + (i / 6) * 38, 96, 30, window,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + i)), instance, nullptr);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ::ShowWindow(window, show);
  ::UpdateWindow(window);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
