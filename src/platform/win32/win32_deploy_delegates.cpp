#include "platform/win32/win32_deploy_delegates.h"

#include <atomic>

#include "platform/win32/win32_deploy_probe.h"

using namespace winrt_abi;

namespace {

// The platform may call these from any thread and after the bridge let go of
// its own references: the count is atomic and the handler is owned here.
template <class Interface, class Handler, bool kCompletion>
class TDelegate : public Interface {
 public:
  explicit TDelegate(std::shared_ptr<Handler> handler) : handler_(std::move(handler)) {}
  virtual ~TDelegate() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (!HandlerAnswers(kCompletion, FromGuid(iid))) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    // IUnknown, IAgileObject and both delegate ids are the same table here.
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  std::shared_ptr<Handler> handler_;

 private:
  std::atomic<ULONG> refs_{1};
};

class TCompletedDelegate final : public TDelegate<ICompletedDelegate, IAsyncCompletedHandler, true> {
 public:
  using TDelegate::TDelegate;
  HRESULT STDMETHODCALLTYPE Invoke(IDeploymentOperation* operation, INT32 status) override {
    try {
      return handler_->Invoke(reinterpret_cast<TDeployObj>(operation), status);
    } catch (...) {
      return E_UNEXPECTED;  // nothing may unwind into the platform
    }
  }
};

class TProgressDelegate final : public TDelegate<IProgressDelegate, IAsyncProgressHandler, false> {
 public:
  using TDelegate::TDelegate;
  HRESULT STDMETHODCALLTYPE Invoke(IDeploymentOperation* operation, DeploymentProgress progress) override {
    try {
      return handler_->Invoke(reinterpret_cast<TDeployObj>(operation), {progress.state, progress.percentage});
    } catch (...) {
      return E_UNEXPECTED;
    }
  }
};

// Answers nothing when it is called: for probing the delegates' interfaces.
class TSilentCompletion : public IAsyncCompletedHandler {
 public:
  std::int32_t Invoke(TDeployObj, std::int32_t) override { return 0; }
};
class TSilentProgress : public IAsyncProgressHandler {
 public:
  std::int32_t Invoke(TDeployObj, TDeploymentProgress) override { return 0; }
};

}  // namespace

ICompletedDelegate* NewCompletedDelegate(std::shared_ptr<IAsyncCompletedHandler> handler) {
  return new TCompletedDelegate(std::move(handler));
}

IProgressDelegate* NewProgressDelegate(std::shared_ptr<IAsyncProgressHandler> handler) {
  return new TProgressDelegate(std::move(handler));
}

std::int32_t ProbeDelegateInterface(bool completion, const TGuid& iid, std::uint32_t& refsLeft) {
  IUnknown* delegate = completion ? static_cast<IUnknown*>(NewCompletedDelegate(std::make_shared<TSilentCompletion>()))
                                  : static_cast<IUnknown*>(NewProgressDelegate(std::make_shared<TSilentProgress>()));
  void* answer = nullptr;
  const GUID asked = ToGuid(iid);
  const HRESULT result = delegate->QueryInterface(asked, &answer);
  if (SUCCEEDED(result) && answer != nullptr) static_cast<IUnknown*>(answer)->Release();
  refsLeft = delegate->Release();
  return result;
}

std::int32_t InvokeCompletedDelegate(std::shared_ptr<IAsyncCompletedHandler> handler, TDeployObj operation,
                                     std::int32_t status) {
  ICompletedDelegate* delegate = NewCompletedDelegate(std::move(handler));
  const HRESULT result = delegate->Invoke(reinterpret_cast<IDeploymentOperation*>(operation), status);
  delegate->Release();
  return result;
}

std::int32_t InvokeProgressDelegate(std::shared_ptr<IAsyncProgressHandler> handler, TDeployObj operation,
                                    TDeploymentProgress progress) {
  IProgressDelegate* delegate = NewProgressDelegate(std::move(handler));
  const HRESULT result = delegate->Invoke(reinterpret_cast<IDeploymentOperation*>(operation),
                                          {progress.state, progress.percentage});
  delegate->Release();
  return result;
}
