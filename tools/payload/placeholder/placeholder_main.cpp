// Stands in for the product's main program in the sample payload, so that
// the setup's "run now" can be tested: when started it appends its command
// line to "Corvalin.started" beside itself (or in %TEMP% when that folder is
// not writable), then shows a window saying what it is. It closes on
// WM_CLOSE and exits with code 0.
#include <windows.h>

#include <string>

#include "catalogue/identity.h"

namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The command line as one UTF-8 line with CR LF.
std::string CommandLineRecord() {
  const wchar_t* line = ::GetCommandLineW();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(n > 0 ? static_cast<std::size_t>(n) : 1, '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), n, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);
  return utf8 + "\r\n";
}

bool AppendTo(const std::wstring& file, const std::string& record) {
  HANDLE h = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  ::CloseHandle(h);
  return ok && written == record.size();
}

void RecordStart() {
  const std::wstring name = std::wstring(W(cProductName)) + L".started";
  const std::string record = CommandLineRecord();
  wchar_t path[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  if (n > 0 && n < std::size(path)) {
    std::wstring folder(path, n);
    folder.resize(folder.find_last_of(L'\\') + 1);
    if (AppendTo(folder + name, record)) return;
  }
  wchar_t temp[MAX_PATH + 1];
  const DWORD t = ::GetTempPathW(static_cast<DWORD>(std::size(temp)), temp);
  if (t > 0 && t < std::size(temp)) AppendTo(std::wstring(temp, t) + name, record);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, msg, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  RecordStart();

  const std::wstring product = W(cProductName);
  const std::wstring title = product + L" (placeholder)";
  const std::wstring text = L"This is the placeholder that stands in for the main program of " + product +
                            L" in the sample payload.\r\n\r\nIt has recorded its start in " + product +
                            L".started. Close this window to end it.";

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"CorvalinPlaceholderWindow";
  if (::RegisterClassExW(&wc) == 0) return 1;

  HWND window = ::CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 520, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  HWND label = ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 16, 16, 470, 120, window,
                                 nullptr, instance, nullptr);
  if (label != nullptr)
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  ::ShowWindow(window, show);
  ::UpdateWindow(window);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
