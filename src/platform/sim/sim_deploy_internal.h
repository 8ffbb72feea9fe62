// What the emulated deployment service's two source files share: its error
// codes, the kinds of objects it hands out, and its private records.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "common/utils.h"
#include "platform/sim/sim_deploy.h"

namespace sim_deploy {

// How long a deployment waits for its caller to let go of the operation.
constexpr auto kLetGoWait = std::chrono::seconds(60);

enum TKind : int { kFactory = 1, kManager, kOptions, kUri, kOperation };

constexpr std::int32_t cE_POINTER = static_cast<std::int32_t>(0x80004003u);
constexpr std::int32_t cE_NOTIMPL = static_cast<std::int32_t>(0x80004001u);
constexpr std::int32_t cCO_E_NOTINITIALIZED = static_cast<std::int32_t>(0x800401F0u);
constexpr std::int32_t cE_ILLEGAL_METHOD_CALL = static_cast<std::int32_t>(0x8000000Eu);
constexpr std::int32_t cE_ILLEGAL_DELEGATE_ASSIGNMENT = static_cast<std::int32_t>(0x80000018u);

inline const char* KindName(int kind) {
  switch (kind) {
    case kFactory: return "activation factory";
    case kManager: return "package manager";
    case kOptions: return "add options";
    case kUri: return "uri";
    case kOperation: return "deployment operation";
    default: return "object";
  }
}

inline bool SameName(const ustring& a, const ustring& b) { return LowerAscii(a) == LowerAscii(b); }

// The interfaces an instance of each runtime class answers.
inline std::vector<TGuid> InterfacesOf(const ustring& className) {
  if (className == cPackageManagerClass) return {cIidIPackageManager, cIidIPackageManager2, cIidIPackageManager9};
  if (className == cAddPackageOptionsClass) return {cIidIAddPackageOptions};
  return {};
}

}  // namespace sim_deploy

struct TSimDeploy::TObject {
  int kind = 0;
  TGuid iid{};
  ustring text;  // class name of a factory, text of a uri
  ustring externalLocation;          // of add options
  std::shared_ptr<TOperation> operation;
};

struct TSimDeploy::TOperation {
  TDeployObj id = 0;  // what the handlers are given
  bool isRemoval = false;
  ustring target;     // full name to remove, or the package URI to add
  TSimDeployScript script;
  std::int32_t status = cAsyncStarted;
  bool running = false;
  std::shared_ptr<IAsyncCompletedHandler> completed;
  std::shared_ptr<IAsyncProgressHandler> progress;
};

struct TSimDeploy::TFault {
  std::string op;
  std::uint64_t nth;
  bool onward;
  std::int32_t code;
  std::uint64_t seen = 0;
};
