// The emulated system: behaves like Windows where the setup relies on Windows,
// so that native tests mean something. Each test makes its own instance and
// installs it with SetOs.
//
// Registry: keys with case-insensitive names under HKLM and HKCU, typed values
// of any length, the default value, per-key access denial. Files: Windows
// paths mapped into a sandbox folder on the host (C:\X <-> <root>/C/X, looked
// up case-insensitively), share modes, read-only files, files held by
// "another process", moves with replace and the restart list. Shell: system
// directory, special folders, change notifications and program starts are
// settings or records. Every operation can be made to fail (fault injection),
// every call is logged, and every handle and key handed out is counted.
//
// All operations are thread-safe. The public settings are meant to be set
// before worker threads start.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_deploy.h"

struct TPostedMessage {
  THwnd window;
  std::uint32_t msg;
  std::uintptr_t wparam;
  std::intptr_t lparam;
};

// One logged call of a platform operation.
struct TSimCall {
  std::string op;        // the IPlatform method name
  ustring subject;       // full path of the file or key the call is about (see CallLog)
  ustring arg;           // the text argument as passed: sub-key, value name, verb, library path...
  std::uint64_t number;  // the numeric argument: access mask, flags, CSIDL, event
};

struct TSimRestartEntry {
  ustring from;
  ustring to;  // empty: delete at restart
};

struct TSimNotification {
  std::int32_t event;
  std::uint32_t flags;
  bool hasPath;
  ustring path;
};

struct TSimExecution {
  ustring verb;
  ustring file;
};

struct TSimRegValue {
  std::uint32_t type;
  std::vector<std::uint8_t> data;
};

// A program started with CreateProcessW.
struct TSimProcessStart {
  ustring application;
  ustring commandLine;
  bool inheritHandles;
  // CreateProcessWithHandle: the one handle passed on (0: CreateProcessW).
  THandle onlyHandle = 0;
};

// What an emulated shell link file records.
struct TSimLink {
  ustring target;
  ustring workingDirectory;
  ustring description;
};

constexpr std::uint32_t cSimDenyAll = 0xFFFFFFFFu;

class TSimPlatform : public IPlatform {
 public:
  TSimPlatform();
  ~TSimPlatform() override;
  TSimPlatform(const TSimPlatform&) = delete;
  TSimPlatform& operator=(const TSimPlatform&) = delete;

  // --- settings a test may change ---
  TSystemTime utcTime{2026, 12, 4, 10, 12, 0, 12, 345};
  ustring commandLine = u"\"C:\\Setup\\Corvalin-Setup.exe\"";
  ustring ownModulePath = u"C:\\Setup\\Corvalin-Setup.exe";
  std::uint32_t osMajor = 10, osMinor = 0, osBuild = 19045;
  // Resources of the "own module" by (type, id).
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>> resources;
  // Version blocks by file path (lower-cased) for the version API.
  std::map<ustring, std::vector<std::uint8_t>> versionBlocks;
  // Reported by GetSystemDirectoryW; empty makes it fail.
  ustring systemDirectory = u"C:\\Windows\\system32";
  // Base of relative paths.
  ustring currentDirectory = u"C:\\Setup";
  // SHGetFolderPathW: the folder of each known CSIDL (S_FALSE when missing on
  // disk), and CSIDLs made to fail with the given HRESULT.
  std::map<int, ustring> specialFolders;
  std::map<int, std::int32_t> specialFolderErrors;
  // Free bytes per drive letter (upper case) reported by GetDiskFreeSpaceExW.
  std::map<char16_t, std::uint64_t> freeSpace{{u'C', 64ull << 30}};
  bool isAdmin = true;            // membership in S-1-5-32-544
  bool adminQueryFails = false;   // CheckAdminMembership cannot answer
  ustring userName = u"Tester";   // GetUserNameW
  // The system's ANSI code page for DecodeAnsiText: 1252 (Western) or 65001 (UTF-8).
  std::uint32_t ansiCodePage = 1252;
  // GetTempPathW (the sandbox makes this folder; empty makes the call fail).
  ustring tempPath = u"C:\\Users\\Tester\\AppData\\Local\\Temp\\";
  // What ShellExecuteW returns for a file that exists (> 32 = success).
  std::intptr_t shellExecuteResult = 42;
  // Class ids that ProbeClassInstance finds registered.
  std::vector<TGuid> comClasses;

  // --- registry set-up and inspection (root: cHkeyLocalMachine or cHkeyCurrentUser) ---
  void AddKey(THKey root, const ustring& path);  // creates the chain
  void PutValue(THKey root, const ustring& path, const ustring& name, std::uint32_t type,
                std::vector<std::uint8_t> data);
  // The text's UTF-16 units with a terminating NUL.
  void PutString(THKey root, const ustring& path, const ustring& name, const ustring& text,
                 std::uint32_t type = cRegSz);
  void PutDword(THKey root, const ustring& path, const ustring& name, std::uint32_t value);
  bool HasKey(THKey root, const ustring& path);
  // Every key and value below root, one line each, in name order: two systems
  // with equal dumps hold the same registry.
  std::vector<ustring> DumpRegistry(THKey root);
  std::optional<TSimRegValue> GetValue(THKey root, const ustring& path, const ustring& name);
  // The text of a REG_SZ value up to its first NUL; nullopt when absent or of another type.
  std::optional<ustring> GetString(THKey root, const ustring& path, const ustring& name);
  // Opening the key (created if missing) with any of these rights fails with 5, and so
  // does creating a sub-key below it when mask holds KEY_CREATE_SUB_KEY; cSimDenyAll
  // refuses every open.
  void DenyKeyAccess(THKey root, const ustring& path, std::uint32_t mask);

  // --- file system set-up and inspection (Windows paths) ---
  std::filesystem::path SandboxRoot();
  std::filesystem::path HostPath(const ustring& path);  // where the path lives on the host
  void MakeDirs(const ustring& path);                    // creates the chain
  void PutFile(const ustring& path, const std::string& bytes);  // creates the parent chain
  std::optional<std::string> FileBytes(const ustring& path);
  bool HasFile(const ustring& path);
  bool HasDir(const ustring& path);
  void SetReadOnly(const ustring& path, bool readOnly);
  bool IsReadOnly(const ustring& path);
  // Another process opens the file with this access and share mode, until ReleaseHolds.
  void HoldFile(const ustring& path, std::uint32_t access, std::uint32_t share);
  void HoldExclusive(const ustring& path);  // open for read and write without any sharing
  // Like the image of a running program: opens for writing fail with 32, it can't be
  // replaced by a move (5), but it can be renamed; the hold follows the rename.
  void HoldAsRunningImage(const ustring& path);
  // Another process holds the file for a moment, like a virus scanner or the
  // shell reading an icon: like HoldFile, but the hold lets go by itself once
  // it has turned away `refusals` opens or moves of the file (counted from now).
  void HoldBriefly(const ustring& path, std::uint32_t access, std::uint32_t share, std::uint32_t refusals);
  void ReleaseHolds(const ustring& path);
  // The shell link saved at path, when it is one.
  std::optional<TSimLink> ReadLink(const ustring& path);
  // Saves a link file as ShellLinkSave would (target and working folder as given).
  void PutLink(const ustring& path, const ustring& target);
  // Whether path was made by CreatePrivateDirectoryW.
  bool IsPrivateDir(const ustring& path);

  // --- guarded objects: links, owners, namespaces, a second account ---
  // GetTempPath2W's folder; nullopt: the system lacks the call (127), as Wine 8 does.
  std::optional<ustring> tempPath2;
  ustring windowsDirectory = u"C:\\Windows";  // GetWindowsDirectoryW
  bool privateNamespaces = true;  // false: OpenAdminNamespace gives 127, as on Wine 8
  bool redirectionTrust = true;   // false: EnforceRedirectionTrust gives 127 (an older system)
  // Links as NTFS has them, made as host links in the sandbox: a symbolic
  // link to a file, a hard link (a second name of the same file) and a
  // junction (a folder that leads to another folder). Targets are Windows paths.
  void MakeSymbolicLink(const ustring& link, const ustring& target);
  void MakeHardLink(const ustring& link, const ustring& target);
  void MakeJunction(const ustring& link, const ustring& targetFolder);
  // The account that owns the file ("" or userName: the calling account).
  void SetFileOwner(const ustring& path, const ustring& account);
  // A process of another account, which is no administrator, creates the
  // named mutex in the global name space and keeps it; the caller's
  // CreateMutexW of that name then gives 5 (its object is not ours to open).
  void SquatMutex(const ustring& name);
  // Whether EnforceRedirectionTrust succeeded in this process.
  bool RedirectionTrustEnforced();
  // Names of the private namespaces open now (one entry per handle).
  std::vector<ustring> LiveNamespaces();
  // Called right after CopyFileW has written `to`, outside the emulation's
  // lock: another process acting in that moment (replacing the copy, say).
  std::function<void(const ustring& to)> afterCopy;

  // --- fault injection ---
  // Every operation that can fail, by name (the IPlatform method names).
  static const std::vector<std::string>& FaultableOperations();
  // The nth (1-based, counted from now) call of op whose subject or text argument
  // contains pathPart (case-insensitive; empty = any) fails with code; FailFrom
  // fails that call and every later one.
  // The code is the operation's own kind of result: a Win32 error, an HRESULT bit
  // pattern for the COM and shell-folder calls, the instance value for
  // ShellExecuteW; operations that answer with a Boolean or a count just fail
  // (false, 0). A failed call changes nothing.
  void FailCall(const std::string& op, std::uint64_t nth, std::uint32_t code, const ustring& pathPart = u"");
  void FailFrom(const std::string& op, std::uint64_t nth, std::uint32_t code, const ustring& pathPart = u"");
  void ClearFaults();
  // --- short writes ---
  // The nth (1-based, counted from now) WriteFile on a file whose path
  // contains pathPart (case-insensitive; empty = any) stores `missing` bytes
  // fewer than asked (none when asked for fewer), from the start of the
  // buffer, and still succeeds with the short count in `written`: what a
  // redirector or a filter may answer. ClearFaults disarms it too.
  void ShortenWrite(std::uint64_t nth, std::uint32_t missing, const ustring& pathPart = u"");
  // --- end of short writes ---

  // --- who holds a file (sim_holders.cpp) ---
  // The program names ProgramsHoldingFile reports for a path (ASCII case
  // ignored); none for any other path, as where the system can't tell.
  std::map<ustring, std::vector<ustring>> fileHolders;
  // --- end of who holds a file ---

  // --- the end of the process (sim_process_end.cpp) ---
  // The code under test runs as one process. EndProcessAt(n) ends it at its
  // nth faultable operation from now (1-based): that operation and every
  // later one fail and change nothing, as a killed process does nothing
  // more; waits for its messages end at once. ReleaseEndedProcess then does
  // what the system does when a process is gone: every file handle, key,
  // shell link, mutex, process handle and COM apartment it held is released
  // (other processes' holds, the restart list and everything written stay),
  // and the next calls belong to a new process.
  void EndProcessAt(std::uint64_t nth);
  bool ProcessEnded();
  std::uint64_t OperationsSeen();  // faultable operations entered so far
  void ReleaseEndedProcess();
  // --- end of the process block ---

  // --- observations ---
  std::vector<TPostedMessage> PostedMessages();            // all posted so far
  bool WaitForMessages(std::size_t count, int timeoutMs);  // until that many were posted
  // Every call of an operation, in order. Subjects: files by full path; keys as
  // "HKLM\\..."/"HKCU\\..." (for value calls the key, with the name in arg).
  std::vector<TSimCall> CallLog();
  std::map<std::string, std::uint64_t> CallCounts();
  std::vector<TSimRestartEntry> RestartList();
  std::vector<TSimNotification> Notifications();
  std::vector<TSimExecution> Executions();
  std::vector<TSimProcessStart> ProcessStarts();
  // The sum of every Sleep so far.
  std::uint64_t SleptMilliseconds();
  // Names of the named mutexes that exist now (one entry per open handle).
  std::vector<ustring> LiveMutexes();
  // Keys, file handles, shell links, mutexes and COM apartments still open.
  std::size_t OpenCount();
  std::vector<std::string> DescribeOpen();

  // IPlatform
  TSystemTime GetUtcTime() override;
  ustring GetProcessCommandLine() override;
  ustring GetOwnModulePath() override;
  bool PostWindowMessage(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) override;
  // Returns at once: emulated time passes only on the clock a test sets. The
  // pause is logged (number: milliseconds) and added to SleptMilliseconds.
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t StartThread(std::function<void()> fn) override;
  bool FindOwnResource(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data, std::uint32_t& size) override;
  ustring FormatSystemMessage(std::int32_t code) override;
  ustring FormatNumberGrouped(double value) override;
  ustring DecodeAnsiText(const std::uint8_t* data, std::size_t size) override;
  bool GetVersionExW(std::uint32_t& major, std::uint32_t& minor, std::uint32_t& build) override;

  std::uint32_t CreateFileW(const ustring& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition,
                            std::uint32_t flagsAndAttributes, THandle& file) override;
  std::uint32_t WriteFile(THandle file, const void* data, std::uint32_t size, std::uint32_t& written) override;
  std::uint32_t CloseHandle(THandle handle) override;
  std::uint32_t CreateDirectoryW(const ustring& path) override;
  std::uint32_t RemoveDirectoryW(const ustring& path) override;
  std::uint32_t MoveFileExW(const ustring& from, const ustring& to, std::uint32_t flags) override;
  std::uint32_t GetDiskFreeSpaceExW(const ustring& path, std::uint64_t& freeBytesAvailableToCaller) override;
  std::uint32_t GetFullPathNameW(const ustring& path, ustring& fullPath) override;
  // --- names compared as the file system compares them (sim_paths.cpp) ---
  bool SameNameIgnoringCase(const ustring& a, const ustring& b) override;
  // --- end of names ---
  std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) override;
  std::uint32_t SetFilePointerEx(THandle file, std::int64_t distance, std::uint32_t method,
                                 std::uint64_t& newPosition) override;
  std::uint32_t GetTempPathW(ustring& path) override;
  std::uint32_t CreateMutexW(const ustring& name, THandle& mutex) override;
  void CloseMutex(THandle mutex) override;

  std::uint32_t RegOpenCurrentUser(std::uint32_t access, THKey& key) override;
  std::uint32_t RegOpenKeyExW(THKey parent, const ustring& subKey, std::uint32_t options, std::uint32_t access,
                              THKey& key) override;
  std::uint32_t RegCreateKeyExW(THKey parent, const ustring& subKey, std::uint32_t options, std::uint32_t access,
                                THKey& key, std::uint32_t* disposition) override;
  std::uint32_t RegCloseKey(THKey key) override;
  std::uint32_t RegQueryValueExW(THKey key, const ustring& name, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) override;
  std::uint32_t RegSetValueExW(THKey key, const ustring& name, std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) override;

  bool CheckAdminMembership(bool& isMember) override;
  bool GetUserNameW(char16_t* buffer, std::uint32_t& size) override;

  std::int32_t SHGetFolderPathW(const ustring& shell32Path, int csidl, char16_t* buffer261) override;
  void SHChangeNotify(std::int32_t event, std::uint32_t flags, const ustring* path) override;
  std::intptr_t ShellExecuteW(const ustring& verb, const ustring& file) override;

  std::int32_t CoInitialize() override;
  void CoUninitialize() override;
  std::int32_t ProbeClassInstance(const TGuid& clsid) override;
  std::int32_t ShellLinkCreate(THandle& link) override;
  std::int32_t ShellLinkSetPath(THandle link, const ustring& path) override;
  std::int32_t ShellLinkSetWorkingDirectory(THandle link, const ustring& dir) override;
  std::int32_t ShellLinkSetDescription(THandle link, const ustring& text) override;
  std::int32_t ShellLinkSave(THandle link, const ustring& fileName, bool remember) override;
  void ShellLinkRelease(THandle link) override;

  std::uint32_t GetFileVersionInfoSizeW(const ustring& file) override;
  bool GetFileVersionInfoW(const ustring& file, std::uint32_t size, void* block) override;
  bool VerQueryValueW(const void* block, const ustring& subBlock, const void*& data, std::uint32_t& length) override;

  std::uint32_t DeleteFileW(const ustring& path) override;
  std::uint32_t SetFileAttributesW(const ustring& path, std::uint32_t attributes) override;
  std::uint32_t CopyFileW(const ustring& from, const ustring& to) override;
  std::uint32_t CreatePrivateDirectoryW(const ustring& path) override;
  std::uint32_t RegDeleteKeyW(THKey parent, const ustring& subKey) override;
  std::uint32_t RegDeleteValueW(THKey key, const ustring& name) override;
  std::uint32_t RegQueryInfoKeyW(THKey key, std::uint32_t& subKeys, std::uint32_t& values) override;
  std::int32_t ShellLinkLoad(THandle link, const ustring& fileName) override;
  std::int32_t ShellLinkGetPath(THandle link, ustring& path) override;
  std::uint32_t DuplicateOwnProcessHandle(THandle& handle) override;
  std::uint32_t CreateProcessW(const ustring& application, const ustring& commandLine, bool inheritHandles,
                               THandle& process) override;
  std::uint32_t WaitForSingleObject(THandle handle, std::uint32_t milliseconds) override;

  std::vector<ustring> ProgramsHoldingFile(const ustring& path) override;  // sim_holders.cpp
  // guarded objects
  std::uint32_t GetFileFacts(THandle file, TFileFacts& facts) override;
  std::uint32_t GetTempPath2W(ustring& path) override;
  std::uint32_t GetWindowsDirectoryW(ustring& path) override;
  std::uint32_t GenRandom(void* buffer, std::uint32_t size) override;
  std::uint32_t OpenAdminNamespace(const ustring& alias, THandle& space) override;
  void CloseAdminNamespace(THandle space) override;
  std::uint32_t EnforceRedirectionTrust() override;
  std::uint32_t GetProcessImagePath(THandle process, ustring& path) override;
  std::uint32_t CreateProcessWithHandle(const ustring& application, const ustring& commandLine, THandle inherit,
                                        THandle& process) override;

  IDeployment& Deploy() override;
  IUi& Ui() override;

  struct TState;  // the emulated machine (sim_state.h)

 private:
  std::uint32_t CopyFileLocked(const ustring& from, const ustring& to);
  std::mutex messageLock_;
  std::condition_variable messagePosted_;
  std::vector<TPostedMessage> messages_;
  bool processEnded_ = false;  // under messageLock_: no message will come any more
  std::unique_ptr<TState> state_;
  std::shared_ptr<class TSimUi> ui_;  // the headless window (sim_ui.h), made on first use

 public:
  // The package deployment service Deploy() returns. Declared last so that it
  // goes first: its deployment threads end while the rest still stands.
  TSimDeploy deploy;
};
