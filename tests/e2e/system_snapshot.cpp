#include "e2e/system_snapshot.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "e2e/driver.h"

namespace e2e {

namespace {

void ExportKey(HKEY parent, const std::wstring& path, std::vector<std::wstring>& out) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    out.push_back(path + L" (unreadable)");
    return;
  }
  out.push_back(path + L"\\");
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(name.size()), type = 0, size = static_cast<DWORD>(data.size());
    const LSTATUS st = ::RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &size);
    if (st == ERROR_NO_MORE_ITEMS) break;
    if (st == ERROR_MORE_DATA) {
      data.resize(size);
      --i;
      continue;
    }
    if (st != ERROR_SUCCESS) break;
    std::wstring line = path + L"|" + std::wstring(name.data(), nameLen) + L"|" + std::to_wstring(type) + L"|";
    wchar_t hex[3];
    for (DWORD b = 0; b < size; ++b) {
      swprintf(hex, 3, L"%02x", data[b]);
      line += hex;
    }
    out.push_back(line);
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExW(key, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name.data(), nameLen);
  }
  ::RegCloseKey(key);
  for (const std::wstring& child : children) ExportKey(parent, path + L"\\" + child, out);
}

}  // namespace

std::vector<std::wstring> ExportSoftware() {
  std::vector<std::wstring> lines;
  ExportKey(HKEY_LOCAL_MACHINE, L"SOFTWARE", lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::wstring> Difference(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b) {
  std::vector<std::wstring> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

std::string Lines(const std::vector<std::wstring>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size() && i < 40; ++i) text += "\n  " + Narrow(lines[i]);
  return text;
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TStoredCommand::TStoredCommand(const std::wstring& command) {
  std::wstring line = command;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  started_ = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_) != FALSE;
}

TStoredCommand::~TStoredCommand() {
  if (!started_) return;
  if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info_.hProcess, 1);
  ::CloseHandle(info_.hThread);
  ::CloseHandle(info_.hProcess);
}

DWORD TStoredCommand::WaitForExit(std::chrono::milliseconds timeout) {
  if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return 0xFFFFFFFF;
  DWORD code = 0;
  ::GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

int CountProcesses(const wchar_t* name) {
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = ::Process32FirstW(snap, &entry); more; more = ::Process32NextW(snap, &entry))
    if (_wcsicmp(entry.szExeFile, name) == 0) ++count;
  ::CloseHandle(snap);
  return count;
}

bool WaitForUninstallers(std::chrono::milliseconds timeout) {
  std::string seen;
  return WaitUntil([] { return CountProcesses(L"Uninstall.exe") == 0; }, timeout,
                   [] { return std::to_string(CountProcesses(L"Uninstall.exe")) + " uninstallers running"; }, seen);
}

}  // namespace e2e
