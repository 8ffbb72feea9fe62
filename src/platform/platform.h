// The platform seam: every operating-system operation the setup uses, as
// Windows defines it (UTF-16 strings, Win32 error codes, HRESULTs, opaque
// handles). Everything above this header is portable. The backend is chosen
// once per process (or per test) with SetOs; Os() reaches it.
//
// Conventions: methods named like a Windows function behave like it; a
// method returning std::uint32_t returns the Win32 error code (0 = success)
// unless its comment says otherwise.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "common/types.h"
#include "platform/wincodes.h"

using THandle = std::uintptr_t;  // file handle; 0 = none
using THKey = std::uintptr_t;    // registry key; 0 = none
using THwnd = std::uintptr_t;    // window; 0 = none

// Predefined roots, sign-extended to pointer width as Windows defines them.
constexpr THKey cHkeyCurrentUser = static_cast<THKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001u)));
constexpr THKey cHkeyLocalMachine = static_cast<THKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));

struct TSystemTime {
  std::uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

struct TGuid {
  std::uint32_t d1;
  std::uint16_t d2, d3;
  std::uint8_t d4[8];
  friend bool operator==(const TGuid&, const TGuid&) = default;
};

// What an open file or folder really is (see IPlatform::GetFileFacts).
struct TFileFacts {
  std::uint32_t attributes = 0;  // cFileAttributeDirectory, cFileAttributeReparsePoint, ...
  std::uint32_t reparseTag = 0;  // 0 unless a reparse point was opened as itself
  std::uint32_t links = 1;       // hard links to the file (nNumberOfLinks)
  bool ownedByCaller = false;    // its owner is the calling account (its user or its default owner)
  ustring finalPath;             // where the handle really points, as a DOS path without the "\\?\" prefix
};

class IDeployment;  // Windows Runtime package deployment (shell/ bridge)
class IUi;          // windows, controls and dialogs of the wizard

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // --- clock and process ---
  virtual TSystemTime GetUtcTime() = 0;
  // The whole command line: program path first, then the arguments as typed.
  virtual ustring GetProcessCommandLine() = 0;
  // Full path of the running program file.
  virtual ustring GetOwnModulePath() = 0;
  // Posts without waiting; false when the window is gone.
  virtual bool PostWindowMessage(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) = 0;
  // Suspends the calling thread for about that many milliseconds.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Starts fn on a new thread that cleans up after itself; returns the Win32 error.
  virtual std::uint32_t StartThread(std::function<void()> fn) = 0;
  // Resource of the program's own module by type and integer id; false when absent.
  virtual bool FindOwnResource(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data, std::uint32_t& size) = 0;
  // The system's message text for an error code (HRESULT or Win32 code); empty when unknown.
  virtual ustring FormatSystemMessage(std::int32_t code) = 0;
  // A whole number with the thousands separator of the user's regional settings.
  virtual ustring FormatNumberGrouped(double value) = 0;
  // Bytes of text in the system's ANSI code page, as UTF-16 (MultiByteToWideChar
  // with CP_ACP); bytes the code page does not map come out as the system's
  // replacement character.
  virtual ustring DecodeAnsiText(const std::uint8_t* data, std::size_t size) = 0;
  // Real OS version (the manifest declares Windows 10 compatibility).
  virtual bool GetVersionExW(std::uint32_t& major, std::uint32_t& minor, std::uint32_t& build) = 0;

  // --- files and folders ---
  virtual std::uint32_t CreateFileW(const ustring& path, std::uint32_t access, std::uint32_t share,
                                    std::uint32_t disposition, std::uint32_t flagsAndAttributes, THandle& file) = 0;
  virtual std::uint32_t WriteFile(THandle file, const void* data, std::uint32_t size, std::uint32_t& written) = 0;
  virtual std::uint32_t CloseHandle(THandle handle) = 0;
  virtual std::uint32_t CreateDirectoryW(const ustring& path) = 0;
  virtual std::uint32_t RemoveDirectoryW(const ustring& path) = 0;
  // An empty target with cMoveFileDelayUntilReboot registers path for deletion at restart.
  virtual std::uint32_t MoveFileExW(const ustring& from, const ustring& to, std::uint32_t flags) = 0;
  virtual std::uint32_t GetDiskFreeSpaceExW(const ustring& path, std::uint64_t& freeBytesAvailableToCaller) = 0;
  virtual std::uint32_t GetFullPathNameW(const ustring& path, ustring& fullPath) = 0;
  // --- names compared as the file system compares them ---
  // Whether two names or paths name the same thing for the file system:
  // compared unit by unit, letter case ignored by the system's own case
  // table (beyond ASCII too: "PRÜF" is "prüf"), nothing else folded.
  virtual bool SameNameIgnoringCase(const ustring& a, const ustring& b) = 0;
  // --- end of names ---
  // Like Windows: with a too-small buffer returns the size needed including the NUL;
  // on success the number of units written without the NUL; 0 on failure.
  virtual std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) = 0;
  // Moves the file pointer by distance from method (cFileBegin, cFileCurrent, cFileEnd);
  // the new position in newPosition.
  virtual std::uint32_t SetFilePointerEx(THandle file, std::int64_t distance, std::uint32_t method,
                                         std::uint64_t& newPosition) = 0;
  // The temporary folder of the calling user, with a trailing backslash (the
  // Windows temp folder for the system account).
  virtual std::uint32_t GetTempPathW(ustring& path) = 0;

  // --- named kernel objects ---
  // CreateMutexW(no security, not owned, name). cErrAlreadyExists when the mutex
  // existed already; mutex is a valid handle then too. The mutex lives until
  // its last handle is closed with CloseMutex (CloseHandle on Windows).
  virtual std::uint32_t CreateMutexW(const ustring& name, THandle& mutex) = 0;
  virtual void CloseMutex(THandle mutex) = 0;

  // --- registry (native 64-bit view) ---
  virtual std::uint32_t RegOpenCurrentUser(std::uint32_t access, THKey& key) = 0;
  virtual std::uint32_t RegOpenKeyExW(THKey parent, const ustring& subKey, std::uint32_t options, std::uint32_t access,
                                      THKey& key) = 0;
  virtual std::uint32_t RegCreateKeyExW(THKey parent, const ustring& subKey, std::uint32_t options,
                                        std::uint32_t access, THKey& key, std::uint32_t* disposition) = 0;
  virtual std::uint32_t RegCloseKey(THKey key) = 0;
  // data == nullptr: reports type and size. Too small a buffer: cErrMoreData and the size needed.
  virtual std::uint32_t RegQueryValueExW(THKey key, const ustring& name, std::uint32_t* type, std::uint8_t* data,
                                         std::uint32_t* size) = 0;
  virtual std::uint32_t RegSetValueExW(THKey key, const ustring& name, std::uint32_t type, const std::uint8_t* data,
                                       std::uint32_t size) = 0;

  // --- security ---
  // Asks whether the calling thread's token is in S-1-5-32-544. False when the question failed.
  virtual bool CheckAdminMembership(bool& isMember) = 0;
  // Logon name into buffer (capacity in units, in/out like Windows); false on failure.
  virtual bool GetUserNameW(char16_t* buffer, std::uint32_t& size) = 0;

  // --- shell ---
  // Loads the shell library from shell32Path, calls SHGetFolderPathW(0, csidl, 0, 0, buffer)
  // with a buffer of 261 units and frees the library; returns its HRESULT (negative when the
  // library or its export is missing).
  virtual std::int32_t SHGetFolderPathW(const ustring& shell32Path, int csidl, char16_t* buffer261) = 0;
  virtual void SHChangeNotify(std::int32_t event, std::uint32_t flags, const ustring* path) = 0;
  // ShellExecuteW(0, verb, file, no parameters, no folder, SW_SHOWNORMAL); the instance value (> 32 = success).
  virtual std::intptr_t ShellExecuteW(const ustring& verb, const ustring& file) = 0;

  // --- COM ---
  virtual std::int32_t CoInitialize() = 0;
  virtual void CoUninitialize() = 0;
  // Creates an in-process instance of clsid and releases it at once; the HRESULT of the creation.
  virtual std::int32_t ProbeClassInstance(const TGuid& clsid) = 0;
  // The shell link object (IShellLinkW + IPersistFile) as an opaque handle.
  virtual std::int32_t ShellLinkCreate(THandle& link) = 0;
  virtual std::int32_t ShellLinkSetPath(THandle link, const ustring& path) = 0;
  virtual std::int32_t ShellLinkSetWorkingDirectory(THandle link, const ustring& dir) = 0;
  virtual std::int32_t ShellLinkSetDescription(THandle link, const ustring& text) = 0;
  virtual std::int32_t ShellLinkSave(THandle link, const ustring& fileName, bool remember) = 0;
  virtual void ShellLinkRelease(THandle link) = 0;

  // --- version resources of a file ---
  virtual std::uint32_t GetFileVersionInfoSizeW(const ustring& file) = 0;  // 0 when none
  virtual bool GetFileVersionInfoW(const ustring& file, std::uint32_t size, void* block) = 0;
  virtual bool VerQueryValueW(const void* block, const ustring& subBlock, const void*& data, std::uint32_t& length) = 0;

  // --- removal, and the uninstaller's own process ---
  virtual std::uint32_t DeleteFileW(const ustring& path) = 0;
  virtual std::uint32_t SetFileAttributesW(const ustring& path, std::uint32_t attributes) = 0;
  // Copies from into a new file to; 80 (ERROR_FILE_EXISTS) when to exists.
  virtual std::uint32_t CopyFileW(const ustring& from, const ustring& to) = 0;
  // Creates a folder that only the system and the administrators may change
  // (no inherited rights, so no other user can place a file in it); 183 when it exists.
  virtual std::uint32_t CreatePrivateDirectoryW(const ustring& path) = 0;
  // Deletes parent\subKey, which must have no sub-keys (5 when it has).
  virtual std::uint32_t RegDeleteKeyW(THKey parent, const ustring& subKey) = 0;
  virtual std::uint32_t RegDeleteValueW(THKey key, const ustring& name) = 0;
  // Numbers of sub-keys and values of an open key (opened with query rights).
  virtual std::uint32_t RegQueryInfoKeyW(THKey key, std::uint32_t& subKeys, std::uint32_t& values) = 0;
  // Loads a saved link into the link object, and reads its target path.
  virtual std::int32_t ShellLinkLoad(THandle link, const ustring& fileName) = 0;
  virtual std::int32_t ShellLinkGetPath(THandle link, ustring& path) = 0;
  // A handle to this process that a child started with inheritance can wait on
  // and ask for its program file (synchronise and limited query rights, inheritable). Closed with CloseHandle.
  virtual std::uint32_t DuplicateOwnProcessHandle(THandle& handle) = 0;
  // Starts application with commandLine (its first token the program, quoted);
  // inheritHandles passes the inheritable handles. The process handle is closed
  // with CloseHandle.
  virtual std::uint32_t CreateProcessW(const ustring& application, const ustring& commandLine, bool inheritHandles,
                                       THandle& process) = 0;
  // 0 when the object is signalled, 258 (WAIT_TIMEOUT), 0xFFFFFFFF when the wait failed.
  virtual std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) = 0;

  // --- who holds a file ---
  // The names of the programs that have path open, as the Restart Manager
  // reports them (RmGetList); empty when none is known or the system can't
  // tell (Wine 8 may lack the Restart Manager). Never fails otherwise.
  virtual std::vector<ustring> ProgramsHoldingFile(const ustring& path) = 0;
  // --- end of who holds a file ---
  // --- guarded objects: what a hostile user of the same machine may have prepared ---
  // Links, owners and the true place of an open file or folder (opened with
  // cFileReadAttributes at least; with cFileFlagOpenReparsePoint a link is
  // seen as itself, not as its target). The owner is known only with
  // cReadControl; without it ownedByCaller is false.
  virtual std::uint32_t GetFileFacts(THandle file, TFileFacts& facts) = 0;
  // GetTempPath2W: for the system account a temporary folder only it and the
  // administrators may write, for others the same as GetTempPathW; with a
  // trailing backslash. cErrProcNotFound where the system lacks the call.
  virtual std::uint32_t GetTempPath2W(ustring& path) = 0;
  // The Windows folder (GetWindowsDirectoryW), without a trailing backslash.
  virtual std::uint32_t GetWindowsDirectoryW(ustring& path) = 0;
  // Fills buffer from the system's random generator.
  virtual std::uint32_t GenRandom(void* buffer, std::uint32_t size) = 0;
  // Creates (or, when it exists, opens) the private namespace alias whose
  // boundary holds the Administrators group: only an administrator's process
  // can make it or reach it. Objects named alias + "\" + name then live in it while
  // the handle is open. cErrProcNotFound where the system has no private namespaces.
  virtual std::uint32_t OpenAdminNamespace(const ustring& alias, THandle& space) = 0;
  virtual void CloseAdminNamespace(THandle space) = 0;
  // Switches on the redirection trust mitigation (junctions that a
  // non-administrator made are not followed); cErrProcNotFound where absent.
  virtual std::uint32_t EnforceRedirectionTrust() = 0;
  // Full path of the program file of a process (QueryFullProcessImageNameW).
  virtual std::uint32_t GetProcessImagePath(THandle process, ustring& path) = 0;
  // Starts application like CreateProcessW, passing only the one inheritable
  // handle inherit (PROC_THREAD_ATTRIBUTE_HANDLE_LIST) and nothing else.
  virtual std::uint32_t CreateProcessWithHandle(const ustring& application, const ustring& commandLine,
                                                THandle inherit, THandle& process) = 0;

  // --- larger facilities ---
  virtual IDeployment& Deploy() = 0;
  virtual IUi& Ui() = 0;
};

// The backend of this process (or test).
IPlatform& Os();
// Replaces the backend; returns the previous one. nullptr restores the default.
IPlatform* SetOs(IPlatform* platform);
