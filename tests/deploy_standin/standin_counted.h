// Reference-counted objects of the stand-in deployment service, each counted
// in one ledger: how many of each kind are alive, and every reference given
// back once too often. A dead object's memory is kept until the library is
// unloaded, so that a late Release or AddRef is counted instead of crashing.
#pragma once
#include <windows.h>
#include <inspectable.h>

#include <atomic>
#include <string>

#include "platform/platform.h"

namespace standin {

// The ledger (all threads).
void CountBorn(const char* kind);
void CountDied(const char* kind);
void CountOverRelease(const char* kind);
long LiveObjects();
long OverReleases();
// One line per kind still alive or released too often; empty when all is well.
std::string Describe();

// IUnknown and IInspectable for a stand-in object of one kind. Derived classes
// say which ids they answer (Answers) and give up what they hold (Dispose)
// when the last reference goes.
class TCounted {
 public:
  explicit TCounted(const char* kind) : kind_(kind) { CountBorn(kind); }
  virtual ~TCounted() = default;
  TCounted(const TCounted&) = delete;
  TCounted& operator=(const TCounted&) = delete;

  ULONG DoAddRef();
  ULONG DoRelease();
  ULONG Refs() const { return refs_.load(); }
  // The object's interface for iid (without a reference), or null.
  virtual void* Answers(const GUID& iid) = 0;
  HRESULT DoQueryInterface(REFIID iid, void** object);

 protected:
  virtual void Dispose() {}

 private:
  const char* kind_;
  std::atomic<ULONG> refs_{1};
  std::atomic<bool> dead_{false};
};

bool Same(const GUID& a, const TGuid& b);

}  // namespace standin

// The IUnknown and IInspectable slots of a class that derives from TCounted
// and from one or more interfaces.
#define STANDIN_UNKNOWN                                                                          \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {                 \
    return DoQueryInterface(iid, object);                                                        \
  }                                                                                              \
  ULONG STDMETHODCALLTYPE AddRef() override { return DoAddRef(); }                               \
  ULONG STDMETHODCALLTYPE Release() override { return DoRelease(); }
#define STANDIN_INSPECTABLE                                                                      \
  STANDIN_UNKNOWN                                                                                \
  HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override {                         \
    if (count == nullptr || iids == nullptr) return E_POINTER;                                   \
    *count = 0;                                                                                  \
    *iids = nullptr;                                                                             \
    return S_OK;                                                                                 \
  }                                                                                              \
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {                        \
    if (name == nullptr) return E_POINTER;                                                       \
    *name = nullptr;                                                                             \
    return S_OK;                                                                                 \
  }                                                                                              \
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override {                          \
    if (level == nullptr) return E_POINTER;                                                      \
    *level = BaseTrust;                                                                          \
    return S_OK;                                                                                 \
  }
