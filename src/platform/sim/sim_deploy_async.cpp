// The emulated deployment service's asynchronous operations (handlers,
// progress and the final status on a thread of each deployment's own) and its
// events with the message-dispatching wait.
#include <algorithm>

#include "platform/sim/sim_deploy.h"
#include "platform/sim/sim_deploy_internal.h"

using namespace sim_deploy;

// --- the asynchronous operation ---

std::shared_ptr<TSimDeploy::TOperation> TSimDeploy::StartOperation(bool isRemoval, const ustring& target) {
  auto op = std::make_shared<TOperation>();
  op->isRemoval = isRemoval;
  op->target = target;
  op->script = isRemoval ? removal : addition;
  auto object = std::make_shared<TObject>();
  object->kind = kOperation;
  object->text = target;
  object->operation = op;
  op->id = Hand(std::move(object));
  operations_[op->id] = op;
  if (op->script.finishedAtOnce) Finish(*op);
  return op;
}

void TSimDeploy::Finish(TOperation& op) {
  op.status = op.script.status;
  if (op.status != cAsyncCompleted) return;
  if (op.isRemoval) {
    std::erase_if(packages_, [&](const ustring& name) { return SameName(name, op.target); });
    return;
  }
  const auto identity = packageFiles.find(op.target);
  if (identity == packageFiles.end()) return;
  for (const ustring& known : packages_) {
    if (SameName(known, identity->second)) return;
  }
  packages_.push_back(identity->second);
}

std::int32_t TSimDeploy::PutCompleted(TDeployObj operation, std::shared_ptr<IAsyncCompletedHandler> handler) {
  std::shared_ptr<TOperation> op;
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::int32_t code = 0;
    if (Faulted("PutCompleted", code)) return code;
    TObject* object = Find(operation, kOperation, nullptr);
    if (object == nullptr) return cE_INVALIDARG;
    if (!handler) return cE_POINTER;
    op = object->operation;
    if (op->completed || op->running) return cE_ILLEGAL_DELEGATE_ASSIGNMENT;
    if (op->status == cAsyncStarted) {
      op->completed = std::move(handler);
      RunIfSubscribed(op);
      return cS_OK;
    }
  }
  // Finished before anyone asked: the handler runs at once, on this thread,
  // before put_Completed returns.
  handler->Invoke(op->id, op->status);
  return cS_OK;
}

std::int32_t TSimDeploy::PutProgress(TDeployObj operation, std::shared_ptr<IAsyncProgressHandler> handler) {
  std::lock_guard<std::mutex> guard(lock_);
  std::int32_t code = 0;
  if (Faulted("PutProgress", code)) return code;
  TObject* object = Find(operation, kOperation, nullptr);
  if (object == nullptr) return cE_INVALIDARG;
  if (!handler) return cE_POINTER;
  const std::shared_ptr<TOperation> op = object->operation;
  if (op->progress || op->running) return cE_ILLEGAL_DELEGATE_ASSIGNMENT;
  if (op->status != cAsyncStarted) return cS_OK;  // finished: no progress any more
  op->progress = std::move(handler);
  RunIfSubscribed(op);
  return cS_OK;
}

void TSimDeploy::RunIfSubscribed(const std::shared_ptr<TOperation>& op) {
  // The emulated service starts working once both handlers are attached, so
  // that every progress report of the script reaches the caller.
  if (!op->completed || !op->progress || op->running) return;
  op->running = true;
  workers_.emplace_back([this, op] { Deliver(op); });
}

void TSimDeploy::Hold() {
  std::lock_guard<std::mutex> guard(lock_);
  held_ = true;
}

void TSimDeploy::Resume() {
  std::lock_guard<std::mutex> guard(lock_);
  held_ = false;
  changed_.notify_all();
}

void TSimDeploy::Deliver(std::shared_ptr<TOperation> op) {
  {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return !held_; });
    // Bounded, so that a caller that never lets go shows as a failed test, not a hang.
    if (op->script.untilLetGo) changed_.wait_for(guard, kLetGoWait, [&] { return objects_.count(op->id) == 0; });
  }
  for (const TDeploymentProgress& report : op->script.progress) {
    std::shared_ptr<IAsyncProgressHandler> progress;
    {
      std::lock_guard<std::mutex> guard(lock_);
      progress = op->progress;
    }
    if (progress) progress->Invoke(op->id, report);
  }
  std::shared_ptr<IAsyncCompletedHandler> completed;
  std::int32_t status = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    Finish(*op);
    status = op->status;
    completed = op->completed;
  }
  if (completed) completed->Invoke(op->id, status);
  if (op->script.progressAfterEnd) {
    std::shared_ptr<IAsyncProgressHandler> progress;
    {
      std::unique_lock<std::mutex> guard(lock_);
      changed_.wait_for(guard, kLetGoWait, [&] { return objects_.count(op->id) == 0; });
      progress = op->progress;
    }
    if (progress) progress->Invoke(op->id, {cDeployProcessing, 100});
  }
  std::lock_guard<std::mutex> guard(lock_);
  // Like the platform, the operation lets go of its handlers once it reported.
  op->completed.reset();
  op->progress.reset();
  changed_.notify_all();
}

std::int32_t TSimDeploy::GetResults(TDeployObj operation, std::int32_t& extendedCode, ustring& errorText) {
  std::lock_guard<std::mutex> guard(lock_);
  extendedCode = 0;
  errorText.clear();
  std::int32_t code = 0;
  if (Faulted("GetResults", code)) return code;
  const auto it = operations_.find(operation);
  if (it == operations_.end()) return cE_INVALIDARG;
  const TOperation& op = *it->second;
  if (op.status == cAsyncStarted) return cE_ILLEGAL_METHOD_CALL;
  // Read in the platform's order: the code first, then the text.
  extendedCode = op.script.extendedCode;
  if (Faulted("get_ErrorText", code)) return code;
  errorText = op.script.errorText;
  return cS_OK;
}

// --- events and the wait ---

std::uint32_t TSimDeploy::CreateEventW(THandle& event) {
  std::lock_guard<std::mutex> guard(lock_);
  event = 0;
  std::int32_t code = 0;
  if (Faulted("CreateEventW", code)) return static_cast<std::uint32_t>(code);
  next_ += 4;
  event = next_;
  events_[event] = false;
  return cErrSuccess;
}

bool TSimDeploy::SetEvent(THandle event) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto it = events_.find(event);
  if (it == events_.end()) return false;
  it->second = true;
  changed_.notify_all();
  return true;
}

bool TSimDeploy::ResetEvent(THandle event) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto it = events_.find(event);
  if (it == events_.end()) return false;
  it->second = false;
  return true;
}

void TSimDeploy::CloseEvent(THandle event) {
  std::lock_guard<std::mutex> guard(lock_);
  events_.erase(event);
}

std::uint32_t TSimDeploy::MsgWaitForEvents(const TEventPair& events) {
  std::unique_lock<std::mutex> guard(lock_);
  std::int32_t code = 0;
  if (Faulted("MsgWaitForEvents", code)) return static_cast<std::uint32_t>(code);
  for (;;) {
    // Like Windows: a handle that is not an open event fails the wait.
    for (THandle event : events) {
      if (events_.find(event) == events_.end()) return cWaitFailed;
    }
    // The lowest index wins when both are set.
    for (std::uint32_t i = 0; i < events.size(); ++i) {
      if (events_[events[i]]) return cWaitObject0 + i;
    }
    changed_.wait(guard);
  }
}
