// What the end-to-end scenarios read back from the system after the setup
// ran: registry values, files, shell links, the restart-delete list, and the
// message boxes the setup shows.
#pragma once
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct TRegValue {
  DWORD type = 0;
  std::vector<BYTE> data;
  std::wstring Text() const;   // REG_SZ data up to the NUL
  DWORD Dword() const;         // REG_DWORD data
};

// A value under HKEY_LOCAL_MACHINE (64-bit view); nothing when key or value is missing.
std::optional<TRegValue> ReadMachineValue(const std::wstring& key, const std::wstring& name);
bool MachineKeyExists(const std::wstring& key);
bool WriteMachineString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
bool WriteMachineDword(const std::wstring& key, const std::wstring& name, DWORD value);

std::optional<std::vector<char>> ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<char>& bytes);
bool FileExists(const std::wstring& path);
std::vector<std::wstring> ListFolder(const std::wstring& folder);  // names of files, no folders
// Full paths of every file called name (case-insensitive) in folder and all
// folders below it; links to folders are not followed.
std::vector<std::wstring> FindFilesNamed(const std::wstring& folder, const std::wstring& name);

struct TLinkInfo {
  std::wstring target, workingDir, description;
};
// Reads a .lnk file through IShellLinkW (COM must be initialised on the thread).
std::optional<TLinkInfo> ReadLink(const std::wstring& path);

// The entries of PendingFileRenameOperations (pairs of source and target).
std::vector<std::wstring> PendingRenames();

// A special folder by CSIDL.
std::wstring SpecialFolder(int csidl);

// A message box (dialog) of process pid, waiting up to timeout; its text and caption.
HWND WaitForMessageBox(DWORD pid, std::chrono::milliseconds timeout);
std::wstring MessageBoxText(HWND box);

}  // namespace e2e
