#include "e2e/driver.h"

#include <oleacc.h>

#include <zlib.h>

#include <cstdio>
#include <thread>

#include "support/process_window.h"

namespace e2e {

std::wstring SetupExePath() {
  wchar_t buffer[1024];
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_SETUP_EXE", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

TSetupProcess::~TSetupProcess() {
  if (info_.hProcess != nullptr) {
    DWORD code = 0;
    if (::GetExitCodeProcess(info_.hProcess, &code) && code == STILL_ACTIVE) ::TerminateProcess(info_.hProcess, 99);
    ::CloseHandle(info_.hProcess);
    ::CloseHandle(info_.hThread);
  }
}

bool TSetupProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring command = L"\"" + exe + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  return ::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_) !=
         FALSE;
}

namespace {
struct TFindChild {
  int id;
  HWND found;
};
BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
  auto* find = reinterpret_cast<TFindChild*>(lp);
  if (::GetDlgCtrlID(hwnd) == find->id) {
    find->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND TSetupProcess::WaitForWindow(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    HWND found = FindProcessWindow(info_.dwProcessId, [](HWND h) { return WindowClassName(h) == L"CorvalinSetupForm"; });
    if (found != nullptr) return window_ = found;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

bool TSetupProcess::WaitForExit(std::chrono::milliseconds timeout, DWORD& code) {
  if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return false;
  return ::GetExitCodeProcess(info_.hProcess, &code) != FALSE;
}

HWND FindControl(HWND window, TCtlId id) {
  TFindChild find{id, nullptr};
  ::EnumChildWindows(window, &FindChild, reinterpret_cast<LPARAM>(&find));
  return find.found;
}

std::wstring WindowText(HWND hwnd) {
  if (hwnd == nullptr) return L"";
  const LRESULT n = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  ::SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

std::wstring ControlText(HWND window, TCtlId id) { return WindowText(FindControl(window, id)); }

std::vector<std::wstring> MemoLines(HWND window, TCtlId id) {
  const std::wstring text = ControlText(window, id);
  std::vector<std::wstring> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) break;
    start = end + 2;
  }
  return lines;
}

bool IsEnabled(HWND window, TCtlId id) {
  HWND h = FindControl(window, id);
  return h != nullptr && ::IsWindowEnabled(h);
}
bool IsChecked(HWND window, TCtlId id) {
  return ::SendMessageW(FindControl(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool IsShown(HWND window, TCtlId id) {
  HWND h = FindControl(window, id);
  return h != nullptr && ::IsWindowVisible(h);
}
void Click(HWND window, TCtlId id) { ::SendMessageW(FindControl(window, id), BM_CLICK, 0, 0); }

bool PostClicksTogether(HWND window, const std::vector<TCtlId>& ids) {
  // Posted one by one to a running thread, a click may be handled, and the
  // work it starts finished, before the next one is even posted: on a busy
  // machine the poster can lose the processor between two posts.
  HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, ::GetWindowThreadProcessId(window, nullptr));
  if (thread == nullptr) return false;
  const bool held = ::SuspendThread(thread) != static_cast<DWORD>(-1);
  if (held) {
    for (TCtlId id : ids) ::PostMessageW(FindControl(window, id), BM_CLICK, 0, 0);
    ::ResumeThread(thread);
  }
  ::CloseHandle(thread);
  return held;
}

void SelectComboItem(HWND window, TCtlId id, int index) {
  HWND combo = FindControl(window, id);
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               const std::function<std::string()>& describe, std::string& seen) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) {
      seen = describe ? describe() : std::string();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::string Narrow(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

namespace {
void PutBe32(std::vector<unsigned char>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(v >> s));
}
void PutChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data) {
  PutBe32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBe32(png, static_cast<std::uint32_t>(::crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}
}  // namespace

bool SaveWindowPng(HWND window, const std::wstring& path) {
  RECT r;
  if (!::GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ::GdiFlush();
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<std::size_t>(h) * (w * 3 + 1));
  const auto* px = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = px + (static_cast<std::size_t>(y) * w + x) * 4;
      raw.push_back(p[2]);
      raw.push_back(p[1]);
      raw.push_back(p[0]);
    }
  }
  ::SelectObject(mem, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  uLongf packedSize = ::compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packedSize);
  if (::compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
  packed.resize(packedSize);
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  PutBe32(header, static_cast<std::uint32_t>(w));
  PutBe32(header, static_cast<std::uint32_t>(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}

namespace {
// What a screen reader asks first: the control's client object (oleacc
// taken at run time, as an assistive program does).
HRESULT ClientObjectOf(HWND hwnd, DWORD id, REFIID iid, void** out) {
  using Fn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  static const auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(::LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
  return fn != nullptr ? fn(hwnd, id, iid, out) : E_NOTIMPL;
}

}  // namespace

std::wstring AccessibleName(HWND control) {
  IAccessible* acc = nullptr;
  if (FAILED(ClientObjectOf(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&acc))) ||
      acc == nullptr)
    return L"<no accessible object>";
  VARIANT self;
  ::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT hr = acc->get_accName(self, &name);
  std::wstring text = SUCCEEDED(hr) && name != nullptr ? std::wstring(name, ::SysStringLen(name)) : L"";
  if (name != nullptr) ::SysFreeString(name);
  acc->Release();
  return text;
}

}  // namespace e2e
