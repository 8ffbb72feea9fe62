// The emulated machine behind TSimPlatform, shared by the sources of each
// facility (registry, files, shell, COM, faults). Every member is guarded by
// `lock`; the helpers below expect it to be held.
#pragma once
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/sim/sim_platform.h"

namespace sim {

// Names compare like Windows compares key, value and file names: ASCII and
// Latin-1 letters without regard to case.
ustring UpperName(const ustring& text);
bool ContainsNoCase(const ustring& text, const ustring& part);

struct TRegNode {
  ustring name;
  ustring path;  // "HKLM\SOFTWARE\X", for the call log and leak reports
  std::uint32_t deny = 0;
  std::map<ustring, std::unique_ptr<TRegNode>> children;  // by UpperName
  struct TValue {
    ustring name;
    TSimRegValue value;
  };
  std::map<ustring, TValue> values;  // by UpperName; "" is the default value
  bool deleted = false;              // removed from the tree; open handles to it stay valid
};

inline TRegNode Root(const ustring& path) {
  TRegNode node;
  node.path = path;
  return node;
}

struct TOpenKey {
  TRegNode* node;
  std::uint32_t access;
};

// An open file or folder: ours (a handle) or another process's (a hold).
struct TOpening {
  ustring key;   // UpperName of the full path, without trailing backslash
  ustring path;  // full Windows path as opened
  std::filesystem::path host;
  std::uint32_t access;  // normalised file rights
  std::uint32_t share;
  bool isDir = false;
  std::uint64_t position = 0;
  bool image = false;  // a running program's image: it can be renamed, not deleted
  // Holds only: lets go after turning away this many more opens or moves;
  // 0 = held until ReleaseHolds.
  std::uint32_t refusalsLeft = 0;
  // Opened with cFileFlagOpenReparsePoint at a link: the link itself.
  bool asLink = false;
};

struct TFault {
  std::string op;
  ustring pathPart;
  std::uint64_t nth;
  bool onward;
  std::uint32_t code;
  std::uint64_t seen = 0;
};

// --- short writes (sim_short_writes.cpp) ---
// A WriteFile that reports success but stores `missing` bytes fewer.
struct TShortWrite {
  ustring pathPart;
  std::uint64_t nth;
  std::uint32_t missing;
  std::uint64_t seen = 0;
};
// --- end of short writes ---

// Where a Windows path lives in the sandbox.
struct TLocation {
  ustring full;  // normalised Windows path
  ustring key;   // UpperName(full) without trailing backslash
  std::filesystem::path host;
  bool exists = false;
  bool isDir = false;
  bool parentIsDir = false;  // the folder that would hold it exists
  char16_t drive = 0;
};

// The full path of `path` as GetFullPathNameW makes it (relative to
// currentDir; "." and ".." resolved, separators collapsed). 0 or a Win32 error.
std::uint32_t FullPath(const ustring& path, const ustring& currentDir, ustring& full);
// Windows keeps any 16-bit units in a name, unpaired surrogates included; the
// sandbox's host names are UTF-8, which cannot hold those. The emulation
// refuses such names as invalid (123) instead of letting the conversion throw
// out of a file operation.
bool HostCanHold(const ustring& name);

// The link recorded in a saved link file's bytes; nullopt when they are none.
std::optional<TSimLink> ParseLink(const std::string& bytes);

}  // namespace sim

struct TSimPlatform::TState {
  std::mutex lock;

  // registry
  sim::TRegNode machine = sim::Root(u"HKLM");
  sim::TRegNode user = sim::Root(u"HKCU");
  std::map<std::uintptr_t, sim::TOpenKey> keys;

  // files
  std::filesystem::path root;  // created on first use
  bool seeded = false;
  std::map<std::uintptr_t, sim::TOpening> files;
  std::vector<sim::TOpening> holds;
  std::vector<TSimRestartEntry> restartList;

  // shell and COM
  std::vector<TSimNotification> notifications;
  std::vector<TSimExecution> executions;
  std::map<std::uintptr_t, TSimLink> links;
  std::map<std::thread::id, int> apartments;
  std::map<std::uintptr_t, ustring> mutexes;  // open mutex handles and their names

  // removal and processes
  std::vector<std::unique_ptr<sim::TRegNode>> deletedKeys;  // kept while handles may point at them
  std::vector<ustring> privateDirs;                          // UpperName keys
  // Process handles: what they stand for, and how many processes hold them (a
  // child started with inheritance holds the inheritable ones under the same value).
  struct TProcessHandle {
    ustring what;
    int holders = 1;
    bool inheritable = false;
    ustring image;  // the program file of the process
  };
  std::map<std::uintptr_t, TProcessHandle> processes;
  std::vector<TSimProcessStart> processStarts;

  // guarded objects
  std::map<std::string, ustring> owners;         // by canonical host path: the owning account
  std::vector<ustring> squattedMutexes;          // another account's global mutexes
  std::map<std::uintptr_t, ustring> namespaces;  // open private-namespace handles and their aliases
  bool trustEnforced = false;

  // faults and observations
  std::vector<sim::TFault> faults;
  // --- short writes ---
  std::vector<sim::TShortWrite> shortWrites;
  // How many of `size` bytes a write to path stores (all unless a short
  // write is armed for it).
  std::uint32_t StoredByWrite(const ustring& path, std::uint32_t size);
  // --- end of short writes ---
  std::vector<TSimCall> calls;
  std::map<std::string, std::uint64_t> counts;
  std::uint64_t sleptMs = 0;

  // --- the end of the emulated process (sim_process_end.cpp) ---
  std::uint64_t operationsSeen = 0;  // faultable operations entered so far
  std::uint64_t endAtOperation = 0;  // the operation at which the process ends; 0: it doesn't
  bool processEnded = false;
  std::function<void()> onProcessEnd;  // wakes whoever waits for the ended process
  // Counts the operation; once the process has ended, the failure op gives
  // (and nothing else happens).
  std::optional<std::uint32_t> CountOperation(const char* op);
  // --- end of the process block ---

  std::uintptr_t nextHandle = 0x1000;
  std::uintptr_t NewHandle() { return nextHandle += 4; }

  // Logs the call and answers whether a fault makes it fail (with the code).
  std::optional<std::uint32_t> Enter(const char* op, const ustring& subject, const ustring& arg = u"",
                                     std::uint64_t number = 0);
  // Logs a call that can't fail.
  void Log(const char* op, const ustring& subject, const ustring& arg = u"", std::uint64_t number = 0);

  // registry helpers
  sim::TRegNode* RootNode(THKey root);
  sim::TRegNode* KeyNode(THKey key, std::uint32_t& access);  // predefined roots or open handles
  sim::TRegNode* Walk(sim::TRegNode* from, const ustring& path, bool create);

  // file helpers
  const std::filesystem::path& Root();  // the sandbox, made and seeded on first use
  std::uint32_t Locate(TSimPlatform& owner, const ustring& path, sim::TLocation& loc);
  // Whether an opening of key conflicts with the access and sharing asked
  // for. A brief hold that turns the attempt away counts it, and lets go
  // after its last refusal.
  bool SharingConflict(const ustring& key, std::uint32_t access, std::uint32_t share);
  bool AnyOpenAt(const ustring& key, bool withChildren) const;
  void Rekey(const ustring& fromKey, const sim::TLocation& to);
};
