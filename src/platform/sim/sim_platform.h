// The emulated system: behaves like Windows where the setup relies on Windows,
// so that native tests mean something. Each test makes its own instance and
// installs it with SetOs.
#pragma once
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/platform.h"

struct TPostedMessage {
  THwnd window;
  std::uint32_t msg;
  std::uintptr_t wparam;
  std::intptr_t lparam;
};

class TSimPlatform : public IPlatform {
 public:
  TSimPlatform();
  ~TSimPlatform() override;

  // --- settings a test may change ---
  TSystemTime utcTime{2026, 12, 4, 10, 12, 0, 12, 345};
  ustring commandLine = u"\"C:\\Setup\\Corvalin-Setup.exe\"";
  ustring ownModulePath = u"C:\\Setup\\Corvalin-Setup.exe";
  std::uint32_t osMajor = 10, osMinor = 0, osBuild = 19045;
  // Resources of the "own module" by (type, id).
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::vector<std::uint8_t>> resources;
  // Version blocks by file path (upper-cased) for the version API.
  std::map<ustring, std::vector<std::uint8_t>> versionBlocks;

  // --- observations ---
  std::vector<TPostedMessage> PostedMessages();                 // all posted so far
  bool WaitForMessages(std::size_t count, int timeoutMs);       // until that many were posted

  // IPlatform
  TSystemTime GetUtcTime() override;
  ustring GetProcessCommandLine() override;
  ustring GetOwnModulePath() override;
  bool PostWindowMessage(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) override;
  std::uint32_t StartThread(std::function<void()> fn) override;
  bool FindOwnResource(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data, std::uint32_t& size) override;
  ustring FormatSystemMessage(std::int32_t code) override;
  ustring FormatNumberGrouped(double value) override;
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
  std::uint32_t GetSystemDirectoryW(char16_t* buffer, std::uint32_t size) override;

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

  IDeployment& Deploy() override;
  IUi& Ui() override;

 private:
  std::mutex messageLock_;
  std::condition_variable messagePosted_;
  std::vector<TPostedMessage> messages_;
};
