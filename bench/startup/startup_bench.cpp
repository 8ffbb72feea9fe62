// Start-up benchmark (a Windows program, run under Wine or on Windows): how
// long the user waits from starting the setup until its first page is on the
// screen, against a bare program that loads the same system libraries and
// shows one window with 60 buttons, and against a copy of the setup whose
// first payload record carries an impossible header, so that its integrity
// scan fails before inflating anything (the difference is what the scan
// costs). Prints min/median/max of each and the ratios of the medians; never
// judges them.
//
//   startup_bench <Corvalin-Setup.exe> <bare_window.exe> [starts]
//
// A start counts as done when a top-level window of the new process is
// visible and neither it nor any of its child windows has a region left to
// paint.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/control_ids.h"
#include "support/process_window.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto cStartTimeout = std::chrono::seconds(120);

// The program's own window, not a dialog it owns.
bool OwnerlessWindow(HWND hwnd) { return ::GetWindow(hwnd, GW_OWNER) == nullptr; }

BOOL CALLBACK FindUnpainted(HWND hwnd, LPARAM lp) {
  if (::IsWindowVisible(hwnd) && ::GetUpdateRect(hwnd, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
  }
  return TRUE;
}

bool Painted(HWND window) {
  if (::GetUpdateRect(window, nullptr, FALSE)) return false;
  bool unpainted = false;
  ::EnumChildWindows(window, &FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  return !unpainted;
}

// What a start must show: the check gets the painted window and says
// whether it is the page expected (so that the damaged copy really failed
// its scan and the setup really passed it).
using TPageCheck = std::function<bool(HWND)>;

std::wstring ControlText(HWND window, int id) {
  HWND control = ::GetDlgItem(window, id);
  if (control == nullptr) {
    // The pages sit in panels: look through all descendants.
    struct TFindId {
      int id;
      HWND found;
    } find{id, nullptr};
    ::EnumChildWindows(
        window,
        [](HWND h, LPARAM lp) -> BOOL {
          auto* f = reinterpret_cast<TFindId*>(lp);
          if (::GetDlgCtrlID(h) != f->id) return TRUE;
          f->found = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    control = find.found;
  }
  if (control == nullptr) return L"";
  wchar_t text[4096];
  const LRESULT n = ::SendMessageW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  return std::wstring(text, static_cast<std::size_t>(n));
}

bool ShowsDamageNote(HWND window) { return ControlText(window, idMmWcNote).find(L"damaged") != std::wstring::npos; }

// Starts exe, waits until its window is visible and painted, checks the
// page, ends the process; the milliseconds from CreateProcess to the painted
// window, or a negative number when it did not get there or showed the
// wrong page.
double TimeOneStart(const std::wstring& exe, const TPageCheck& check) {
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto start = TClock::now();
  if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "startup_bench: cannot start %ls (error %lu)\n", exe.c_str(), ::GetLastError());
    return -1;
  }
  double ms = -1;
  while (TClock::now() - start < cStartTimeout) {
    const HWND window = FindProcessWindow(pi.dwProcessId, OwnerlessWindow);
    if (window != nullptr && Painted(window)) {
      ms = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
      break;
    }
    if (::WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;  // ended without a window
  }
  if (ms >= 0 && check) {
    const HWND window = FindProcessWindow(pi.dwProcessId, OwnerlessWindow);
    if (window == nullptr || !check(window)) {
      std::fprintf(stderr, "startup_bench: %ls did not show the expected first page\n", exe.c_str());
      ms = -1;
    }
  }
  ::TerminateProcess(pi.hProcess, 0);
  ::WaitForSingleObject(pi.hProcess, 30000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return ms;
}

bool ReadWhole(const std::wstring& path, std::vector<char>& bytes) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = ::GetFileSizeEx(f, &size) && size.QuadPart < (1LL << 31);
  if (ok) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ::ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
  }
  ::CloseHandle(f);
  return ok;
}

bool WriteWhole(const std::wstring& path, const std::vector<char>& bytes) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(f);
  return ok;
}

// A copy of the setup in the temporary folder whose first payload record
// (RCDATA 128) says it inflates to 4 GiB - 1 bytes, which its stream can't
// give: the scan refuses it while opening the records. The record is found
// through the resource API and then located in the file by its bytes.
std::wstring MakeDamagedCopy(const std::wstring& setup) {
  std::vector<char> image;
  if (!ReadWhole(setup, image)) return L"";
  HMODULE module = ::LoadLibraryExW(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return L"";
  std::vector<char> record;
  if (HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(128), MAKEINTRESOURCEW(10))) {
    const DWORD size = ::SizeofResource(module, res);
    const void* data = ::LockResource(::LoadResource(module, res));
    if (data != nullptr && size > 12) record.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
  }
  ::FreeLibrary(module);
  if (record.empty()) return L"";
  const auto at = std::search(image.begin(), image.end(), record.begin(), record.end());
  if (at == image.end()) return L"";
  std::memset(&*at + 8, 0xFF, 4);  // phOrgSiz
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring copy = std::wstring(temp) + L"Corvalin-Setup-damaged-bench.exe";
  return WriteWhole(copy, image) ? copy : L"";
}

struct TSeries {
  const char* name;
  std::wstring exe;
  TPageCheck check;
  std::vector<double> ms;
  double Median() const {
    std::vector<double> s = ms;
    std::sort(s.begin(), s.end());
    return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench <Corvalin-Setup.exe> <bare_window.exe> [starts]\n");
    return 2;
  }
  const int starts = argc > 3 ? std::max(1, _wtoi(argv[3])) : 7;
  const std::wstring damaged = MakeDamagedCopy(argv[1]);
  if (damaged.empty()) {
    std::fprintf(stderr, "startup_bench: cannot make the damaged copy of %ls\n", argv[1]);
    return 1;
  }
  std::vector<TSeries> series = {
      {"Corvalin-Setup.exe", argv[1], [](HWND w) { return !ShowsDamageNote(w); }, {}},
      {"bare window (baseline)", argv[2], nullptr, {}},
      {"setup, damaged first record", damaged, ShowsDamageNote, {}}};
  // One start of each first, not counted: it pulls the files into the
  // caches. Then the programs take turns, so that load from elsewhere on the
  // machine falls on all of them alike.
  for (TSeries& s : series) TimeOneStart(s.exe, s.check);
  bool ok = true;
  for (int r = 0; r < starts && ok; ++r) {
    for (std::size_t k = 0; k < series.size(); ++k) {
      TSeries& s = series[(k + static_cast<std::size_t>(r)) % series.size()];
      const double ms = TimeOneStart(s.exe, s.check);
      if (ms < 0) {
        std::fprintf(stderr, "startup_bench: %s showed no painted window\n", s.name);
        ok = false;
        break;
      }
      s.ms.push_back(ms);
    }
  }
  ::DeleteFileW(damaged.c_str());
  if (!ok) return 1;

  std::printf("start-up to the painted first window, %d starts each (ms):\n", starts);
  for (const TSeries& s : series) {
    std::printf("  %-30s min %7.1f  median %7.1f  max %7.1f\n", s.name,
                *std::min_element(s.ms.begin(), s.ms.end()), s.Median(), *std::max_element(s.ms.begin(), s.ms.end()));
  }
  const double setup = series[0].Median(), bare = series[1].Median(), noScan = series[2].Median();
  std::printf("  ratio setup/bare (medians)       %6.2f   (target <= 1.50)\n", setup / bare);
  std::printf("  ratio damaged copy/bare          %6.2f\n", noScan / bare);
  std::printf("  scan cost (setup - damaged copy) %7.1f ms\n", setup - noScan);
  return 0;
}
