// The emulated message-only window: it takes the WM_SETUP_TASK messages posted
// to its own handle, in posting order, on the calling (GUI) thread.
#include "common/task_msg.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_ui.h"

namespace {

// No worker message for this long means the worker is gone: the loop gives
// up rather than hang the test run (the caller sees that done() is false).
constexpr int cGiveUpMs = 60000;

class TSimTaskReceiver : public ITaskReceiver {
 public:
  TSimTaskReceiver(TSimPlatform& platform, THwnd handle)
      : platform_(platform), handle_(handle), next_(platform.PostedMessages().size()) {}

  THwnd Handle() const override { return handle_; }

  void RunUntil(const std::function<bool()>& done) override {
    for (;;) {
      const std::vector<TPostedMessage> all = platform_.PostedMessages();
      while (next_ < all.size()) {
        const TPostedMessage m = all[next_++];
        if (m.window == handle_ && m.msg == WM_SETUP_TASK && OnTaskMessage) OnTaskMessage(m.wparam, m.lparam);
      }
      if (done()) return;
      if (!platform_.WaitForMessages(next_ + 1, cGiveUpMs)) return;
    }
  }

 private:
  TSimPlatform& platform_;
  THwnd handle_;
  std::size_t next_;
};

}  // namespace

std::unique_ptr<ITaskReceiver> TSimUi::CreateTaskReceiver() {
  ++taskReceivers;
  if (receiverWindowFails) return std::make_unique<TSimTaskReceiver>(platform_, 0);
  const THwnd handle = nextHandle_;
  nextHandle_ += 0x10;
  return std::make_unique<TSimTaskReceiver>(platform_, handle);
}

bool TSimUi::ActivateOtherSetupWindow() {
  if (!otherSetupWindow) return false;
  ++activations;
  return true;
}
