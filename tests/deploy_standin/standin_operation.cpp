// A deployment operation of the stand-in service: runs on a thread of its own,
// reports progress (Queued 0 %, Processing 10, 55 and 100 %) once both
// handlers are set, then its final status; or as the scenario's timing says.
// Its result carries the extended error code and the error text.
#include <chrono>
#include <condition_variable>

#include "standin_service.h"

using namespace winrt_abi;

namespace standin {
namespace {

constexpr INT32 cStarted = 0, cCompleted = 1, cCanceled = 2;
constexpr auto cHandlerWait = std::chrono::seconds(10);
constexpr auto cLetGoWait = std::chrono::seconds(60);

class TDeploymentResult final : public TCounted, public IDeploymentResult {
 public:
  TDeploymentResult(HRESULT code, ustring text) : TCounted("DeploymentResult"), code_(code), text_(std::move(text)) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable) || Same(iid, cIidIDeploymentResult))
      return static_cast<IDeploymentResult*>(this);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE get_ErrorText(HSTRING* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    {
      std::lock_guard<std::mutex> guard(Service().lock);
      if (Service().scenario.errorTextFails) return E_OUTOFMEMORY;
    }
    return ToHString(text_, value);
  }
  HRESULT STDMETHODCALLTYPE get_ActivityId(GUID* value) override {
    if (value == nullptr) return E_POINTER;
    *value = GUID{};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ExtendedErrorCode(HRESULT* value) override {
    if (value == nullptr) return E_POINTER;
    *value = code_;
    return S_OK;
  }

 private:
  HRESULT code_;
  ustring text_;
};

class TOperation final : public TCounted, public IDeploymentOperation, public IAsyncInfoAbi {
 public:
  TOperation(bool isRemoval, ustring target, TOutcome outcome)
      : TCounted("DeploymentOperation"), isRemoval_(isRemoval), target_(std::move(target)), outcome_(outcome) {}

  // Hands out the caller's reference; the thread (if any) holds one of its own.
  void Start() {
    if (outcome_.timing == TTiming::AtOnce) {
      std::lock_guard<std::mutex> guard(lock_);
      Finish();
      return;
    }
    DoAddRef();
    std::lock_guard<std::mutex> guard(Service().lock);
    Service().threads.emplace_back([this] { Run(); });
  }

  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable) || Same(iid, cIidDeploymentOperation) ||
        Same(iid, cIidIAgileObject))
      return static_cast<IDeploymentOperation*>(this);
    if (Same(iid, cIidIAsyncInfo)) return static_cast<IAsyncInfoAbi*>(this);
    return nullptr;
  }

  // IAsyncOperationWithProgress<DeploymentResult, DeploymentProgress>
  HRESULT STDMETHODCALLTYPE put_Progress(IProgressDelegate* handler) override {
    if (handler == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    if (progress_ != nullptr || progressSet_) return cIllegalDelegateAssignment;
    progressSet_ = true;
    if (status_ != cStarted) return S_OK;  // finished: there will be no progress
    handler->AddRef();
    progress_ = handler;
    changed_.notify_all();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Progress(IProgressDelegate**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Completed(ICompletedDelegate* handler) override {
    if (handler == nullptr) return E_POINTER;
    INT32 status = cStarted;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (completedSet_) return cIllegalDelegateAssignment;
      completedSet_ = true;
      status = status_;
      if (status == cStarted) {
        handler->AddRef();
        completed_ = handler;
        changed_.notify_all();
        return S_OK;
      }
    }
    // Finished before the handler came: it is called at once, on this thread,
    // before put_Completed returns.
    handler->Invoke(this, status);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Completed(ICompletedDelegate**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetResults(IDeploymentResult** results) override {
    if (results == nullptr) return E_POINTER;
    *results = nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    if (status_ == cStarted) return cIllegalMethodCall;
    const bool failed = status_ != cCompleted;
    *results = new TDeploymentResult(failed ? outcome_.extendedCode : S_OK, failed ? outcome_.errorText : u"");
    return S_OK;
  }

  // IAsyncInfo
  HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) override {
    if (id == nullptr) return E_POINTER;
    *id = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Status(INT32* status) override {
    if (status == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *status = status_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) override {
    if (code == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *code = status_ == 3 ? outcome_.extendedCode : S_OK;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Cancel() override {
    std::lock_guard<std::mutex> guard(lock_);
    canceled_ = true;
    changed_.notify_all();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }

 protected:
  void Dispose() override {
    // Only reached when no thread runs (it holds a reference): drop what a
    // finished-at-once operation may still hold.
    ReleaseHandlers();
  }

 private:
  void Run() {
    {
      std::unique_lock<std::mutex> guard(lock_);
      changed_.wait_for(guard, cHandlerWait, [this] { return (completed_ && progress_) || canceled_; });
    }
    if (outcome_.timing == TTiming::Never) WaitForCallerToLetGo();
    for (const DeploymentProgress report : {DeploymentProgress{0, 0}, DeploymentProgress{1, 10},
                                            DeploymentProgress{1, 55}, DeploymentProgress{1, 100}}) {
      ReportProgress(report);
    }
    ICompletedDelegate* completed = nullptr;
    INT32 status = cStarted;
    {
      std::lock_guard<std::mutex> guard(lock_);
      Finish();
      status = status_;
      completed = completed_;
      if (completed != nullptr) completed->AddRef();
    }
    if (completed != nullptr) {
      completed->Invoke(this, status);
      completed->Release();
    }
    if (outcome_.timing == TTiming::LateProgress) {
      // A report that comes after the end, when the caller has let go.
      WaitForCallerToLetGo();
      ReportProgress({1, 100});
    }
    ReleaseHandlers();
    DoRelease();
  }

  void ReportProgress(DeploymentProgress report) {
    IProgressDelegate* progress = nullptr;
    {
      std::lock_guard<std::mutex> guard(lock_);
      progress = progress_;
      if (progress != nullptr) progress->AddRef();
    }
    if (progress == nullptr) return;
    progress->Invoke(this, report);
    progress->Release();
  }

  // Until only the thread's own reference is left.
  void WaitForCallerToLetGo() {
    const auto end = std::chrono::steady_clock::now() + cLetGoWait;
    while (Refs() > 1 && std::chrono::steady_clock::now() < end) ::Sleep(5);
  }

  // The final status and what it does to the registered packages; lock_ held.
  void Finish() {
    status_ = canceled_ ? cCanceled : outcome_.status;
    if (status_ != cCompleted) return;
    TService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    if (isRemoval_) {
      std::erase_if(service.packages, [&](const ustring& name) { return SameText(name, target_); });
      return;
    }
    for (const ustring& known : service.packages) {
      if (SameText(known, service.scenario.added)) return;
    }
    service.packages.push_back(service.scenario.added);
  }

  void ReleaseHandlers() {
    ICompletedDelegate* completed = nullptr;
    IProgressDelegate* progress = nullptr;
    {
      std::lock_guard<std::mutex> guard(lock_);
      std::swap(completed, completed_);
      std::swap(progress, progress_);
    }
    // Like the platform: the handlers go once the operation has reported.
    if (completed != nullptr) completed->Release();
    if (progress != nullptr) progress->Release();
  }

  const bool isRemoval_;
  const ustring target_;
  const TOutcome outcome_;
  std::mutex lock_;
  std::condition_variable changed_;
  INT32 status_ = cStarted;
  bool canceled_ = false;
  bool completedSet_ = false, progressSet_ = false;
  ICompletedDelegate* completed_ = nullptr;
  IProgressDelegate* progress_ = nullptr;
};

}  // namespace

IDeploymentOperation* StartOperation(bool isRemoval, const ustring& target) {
  TOutcome outcome;
  {
    std::lock_guard<std::mutex> guard(Service().lock);
    outcome = isRemoval ? Service().scenario.removal : Service().scenario.addition;
    if (isRemoval) {
      Service().removals.push_back(target);
      bool registered = false;
      for (const ustring& name : Service().packages) registered = registered || SameText(name, target);
      // Removing what is not there fails, as on Windows.
      if (!registered && outcome.status == cCompleted) outcome = {3, cPackageNotFound, u"Package not found.", outcome.timing};
    }
  }
  auto* operation = new TOperation(isRemoval, target, outcome);
  operation->Start();
  return operation;
}

}  // namespace standin
