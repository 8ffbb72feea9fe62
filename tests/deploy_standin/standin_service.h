// The state of the stand-in deployment service: the scenario, the packages
// registered for the current user, what was asked of it, and the threads of
// the operations still running. One per process, guarded by its lock.
#pragma once
#include <windows.h>
#include <inspectable.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_winrt_abi.h"
#include "platform/winrt_ids.h"
#include "standin_counted.h"
#include "standin_scenario.h"

namespace standin {

// Interface ids of the objects the service hands out, beyond those the bridge asks for.
inline constexpr TGuid cIidIUriRuntimeClass{0x9E365E57, 0x48B2, 0x4160, {0x95, 0x6F, 0xC7, 0x38, 0x51, 0x20, 0xBB, 0xFC}};
inline constexpr TGuid cIidDeploymentOperation{0x5A97AAB7, 0xB6EA, 0x55AC,
                                               {0xA5, 0xDC, 0xD5, 0xB1, 0x64, 0xD9, 0x4E, 0x94}};
inline constexpr TGuid cIidIAsyncInfo{0x00000036, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr TGuid cIidIDeploymentResult{0x2563B9AE, 0xB77D, 0x4C1F, {0x8A, 0x7B, 0x20, 0xE6, 0xAD, 0x51, 0x5E, 0xF3}};
inline constexpr TGuid cIidPackageIterable{0x69AD6AA7, 0x0C49, 0x5F27, {0xA5, 0xEB, 0xEF, 0x4D, 0x59, 0x46, 0x7B, 0x6D}};
inline constexpr TGuid cIidPackageIterator{0x0217F069, 0x025C, 0x5EE6, {0xA8, 0x7F, 0xE7, 0x82, 0xE3, 0xB6, 0x23, 0xAE}};
inline constexpr TGuid cIidIPackage{0x163C792F, 0xBD75, 0x413C, {0xBF, 0x23, 0xB1, 0xFE, 0x7B, 0x95, 0xD8, 0x25}};
inline constexpr TGuid cIidIPackageId{0x1ADB665E, 0x37C7, 0x4790, {0x99, 0x80, 0xDD, 0x7A, 0xE7, 0x4E, 0x8B, 0xB2}};
inline constexpr TGuid cIidIInspectable{0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};

constexpr HRESULT cIllegalMethodCall = static_cast<HRESULT>(0x8000000Eu);
constexpr HRESULT cIllegalDelegateAssignment = static_cast<HRESULT>(0x80000018u);
constexpr HRESULT cPackageNotFound = static_cast<HRESULT>(0x80073CF1u);

struct IAsyncInfoAbi : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) = 0;             // 6
  virtual HRESULT STDMETHODCALLTYPE get_Status(INT32* status) = 0;      // 7
  virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) = 0;   // 8
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;                       // 9
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;                        // 10
};

struct TAddition {
  ustring packageUri, externalLocationUri;
};

struct TService {
  std::mutex lock;
  TScenario scenario;
  std::vector<ustring> packages;
  std::vector<ustring> removals;
  std::vector<TAddition> additions;
  unsigned fullNameReads = 0;
  std::vector<std::thread> threads;
};

// The one service; its scenario comes from CORVALIN_DEPLOY_STANDIN until one is loaded.
TService& Service();
// Starts over with a scenario (the objects' ledger is kept); false when malformed.
bool LoadScenario(const std::string& text);
// Waits for every operation's thread to end.
void WaitIdle();

ustring FromHString(HSTRING string);
// A new platform string for the caller, who deletes it.
HRESULT ToHString(const ustring& text, HSTRING* string);
bool SameText(const ustring& a, const ustring& b);  // ASCII case ignored
ustring FamilyOf(const ustring& fullName);          // "Name_PublisherId"

// Objects other files create.
winrt_abi::IUriRuntimeClass* NewUri(const ustring& text);
ustring UriText(winrt_abi::IUriRuntimeClass* uri);  // empty for null
winrt_abi::IPackageIterable* NewPackageIterable(std::vector<ustring> fullNames);
winrt_abi::IDeploymentOperation* StartOperation(bool isRemoval, const ustring& target);

}  // namespace standin
