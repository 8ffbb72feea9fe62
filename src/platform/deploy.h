// The Windows Runtime package deployment service as the deployment bridge
// (shell/) sees it: apartments, runtime classes and the few calls of the
// package manager, the asynchronous operation with its two handlers, and the
// events with the message-dispatching wait. Platform strings, activation
// factories, reference counting and the message pump stay behind it; objects
// cross it as opaque references that the caller releases.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/winrt_ids.h"

// One interface of a runtime object, holding one reference; 0 = none.
using TDeployObj = std::uintptr_t;

// AsyncStatus
constexpr std::int32_t cAsyncStarted = 0;
constexpr std::int32_t cAsyncCompleted = 1;
constexpr std::int32_t cAsyncCanceled = 2;
constexpr std::int32_t cAsyncError = 3;
// DeploymentProgressState
constexpr std::int32_t cDeployQueued = 0;
constexpr std::int32_t cDeployProcessing = 1;
// RemovalOptions
constexpr std::uint32_t cRemovalNone = 0;
// Results of the message-dispatching wait (MsgWaitForMultipleObjects).
constexpr std::uint32_t cWaitObject0 = 0;            // + index of the event that ended the wait
constexpr std::uint32_t cWaitInput = 2;              // messages arrived and were dispatched
constexpr std::uint32_t cWaitFailed = 0xFFFFFFFFu;   // e.g. an invalid event handle
// The thread already has an apartment of the other kind.
constexpr std::int32_t cRPC_E_CHANGED_MODE = static_cast<std::int32_t>(0x80010106u);

struct TDeploymentProgress {
  std::int32_t state;        // cDeployQueued, cDeployProcessing or another value
  std::uint32_t percentage;
};

// The two handlers an operation reports to. The platform may call them on any
// thread, also before put_Completed returns; they must not raise.
class IAsyncCompletedHandler {
 public:
  virtual ~IAsyncCompletedHandler() = default;
  // The operation reached `status` (an AsyncStatus); returns an HRESULT.
  virtual std::int32_t Invoke(TDeployObj operation, std::int32_t status) = 0;
};
class IAsyncProgressHandler {
 public:
  virtual ~IAsyncProgressHandler() = default;
  virtual std::int32_t Invoke(TDeployObj operation, TDeploymentProgress progress) = 0;
};

// A runtime call that takes text: the text is made into platform strings first.
struct TRtResult {
  std::int32_t textCode = 0;  // result of making the strings; negative: the call was not made
  std::int32_t callCode = 0;  // result of the call itself (0 when it was not made)
};

using TEventPair = std::array<THandle, 2>;

class IDeployment {
 public:
  virtual ~IDeployment() = default;

  // --- presence and apartments ---
  // Loads the runtime library by name, looks up RoInitialize and frees the
  // library again; nothing of the runtime is called.
  virtual bool RuntimePresent() = 0;
  // RoInitialize(RO_INIT_SINGLETHREADED) on the calling thread; a non-negative
  // result must be balanced by RoUninitialize.
  virtual std::int32_t RoInitialize() = 0;
  virtual void RoUninitialize() = 0;

  // --- objects ---
  // The activation factory of a runtime class: the result of making the name's
  // platform string, or of RoGetActivationFactory for IActivationFactory.
  virtual std::int32_t GetActivationFactory(const ustring& className, TDeployObj& factory) = 0;
  // ActivateInstance on the factory, then QueryInterface of the new instance
  // for iid into object; the first failing result, else that of the query.
  virtual std::int32_t ActivateInstance(TDeployObj factory, const TGuid& iid, TDeployObj& object) = 0;
  // Gives up one reference; 0 is ignored.
  virtual void Release(TDeployObj object) = 0;

  // --- package manager (each takes the interface named in its first parameter) ---
  // IPackageManager.FindPackagesByUserSecurityIdPackageFamilyName (empty sid =
  // current user), then a walk of the collection in the platform's order: each
  // package's full name is read and given to visit, and the walk ends at the
  // first name visit answers true for (nothing after it is read). callCode:
  // the first failing result of the search or of the walk.
  virtual TRtResult FindPackagesByUserSecurityIdPackageFamilyName(
      TDeployObj manager, const ustring& userSid, const ustring& familyName,
      const std::function<bool(const ustring& fullName)>& visit) = 0;
  // IPackageManager2.RemovePackageWithOptionsAsync; operation may stay 0 on success.
  virtual TRtResult RemovePackageWithOptionsAsync(TDeployObj manager2, const ustring& fullName, std::uint32_t options,
                                                  TDeployObj& operation) = 0;
  // IPackageManager9.AddPackageByUriAsync; operation may stay 0 on success.
  virtual std::int32_t AddPackageByUriAsync(TDeployObj manager9, TDeployObj packageUri, TDeployObj options,
                                            TDeployObj& operation) = 0;
  // IAddPackageOptions.put_ExternalLocationUri.
  virtual std::int32_t PutExternalLocationUri(TDeployObj options, TDeployObj uri) = 0;
  // A Uri object (IUriRuntimeClass) through the Uri class's factory.
  virtual TRtResult CreateUri(const ustring& text, TDeployObj& uri) = 0;
  // UrlCreateFromPathW(path, buffer, size, 0): size in units, in/out like Windows.
  virtual std::int32_t UrlCreateFromPathW(const ustring& path, char16_t* buffer, std::uint32_t& size) = 0;

  // --- the asynchronous operation ---
  // put_Completed / put_Progress with a delegate object that forwards to handler
  // and keeps it alive as long as the platform holds the delegate.
  virtual std::int32_t PutCompleted(TDeployObj operation, std::shared_ptr<IAsyncCompletedHandler> handler) = 0;
  virtual std::int32_t PutProgress(TDeployObj operation, std::shared_ptr<IAsyncProgressHandler> handler) = 0;
  // GetResults, then the result's ExtendedErrorCode and ErrorText; the first
  // failing result. extendedCode is kept once read, also when the text fails.
  virtual std::int32_t GetResults(TDeployObj operation, std::int32_t& extendedCode, ustring& errorText) = 0;

  // --- events and the wait ---
  // A manual-reset event, not set, unnamed; returns the Win32 error (event 0 then).
  virtual std::uint32_t CreateEventW(THandle& event) = 0;
  virtual bool SetEvent(THandle event) = 0;
  virtual bool ResetEvent(THandle event) = 0;
  virtual void CloseEvent(THandle event) = 0;
  // MsgWaitForMultipleObjects(2, events, wait any, INFINITE, QS_ALLINPUT): the
  // index of the set event, cWaitInput after dispatching the calling thread's
  // pending messages, or cWaitFailed.
  virtual std::uint32_t MsgWaitForEvents(const TEventPair& events) = 0;
};

// Owns one reference of a runtime object and releases it through Os().Deploy().
class TDeployRef {
 public:
  TDeployRef() = default;
  explicit TDeployRef(TDeployObj object) : obj_(object) {}
  ~TDeployRef() { Reset(); }
  TDeployRef(const TDeployRef&) = delete;
  TDeployRef& operator=(const TDeployRef&) = delete;
  TDeployRef(TDeployRef&& other) noexcept : obj_(other.obj_) { other.obj_ = 0; }
  TDeployRef& operator=(TDeployRef&& other) noexcept;

  TDeployObj Get() const { return obj_; }
  // Releases what is held and hands out the slot for an out-parameter.
  TDeployObj& Put();
  void Reset();
  explicit operator bool() const { return obj_ != 0; }

 private:
  TDeployObj obj_ = 0;
};
