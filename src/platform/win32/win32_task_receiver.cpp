// <windows.h> comes first (through the form's header), so that its names
// (LoadIcon -> LoadIconW) are the same in every declaration below.
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_task_receiver.h"

#include "common/task_msg.h"

namespace {

constexpr wchar_t cReceiverClass[] = L"CorvalinSetupTasks";

class TWin32TaskReceiver : public ITaskReceiver {
 public:
  TWin32TaskReceiver() {
    static const bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = cReceiverClass;
      return ::RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    // HWND_MESSAGE: not enumerated, never shown, no desktop needed.
    hwnd_ = ::CreateWindowExW(0, cReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ != nullptr) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TWin32TaskReceiver() override {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  }
  TWin32TaskReceiver(const TWin32TaskReceiver&) = delete;
  TWin32TaskReceiver& operator=(const TWin32TaskReceiver&) = delete;

  THwnd Handle() const override { return reinterpret_cast<THwnd>(hwnd_); }

  void RunUntil(const std::function<bool()>& done) override {
    MSG msg;
    while (!done() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TWin32TaskReceiver*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg != WM_SETUP_TASK || self == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
    // An exception must not cross the system's dispatcher; the front end's
    // handler reports its own failures.
    try {
      if (self->OnTaskMessage) self->OnTaskMessage(wp, lp);
    } catch (...) {
    }
    return 0;
  }

  HWND hwnd_ = nullptr;
};

}  // namespace

std::unique_ptr<ITaskReceiver> CreateWin32TaskReceiver() { return std::make_unique<TWin32TaskReceiver>(); }

bool ActivateWin32SetupWindow() {
  HWND other = ::FindWindowW(TWin32Form::ClassName(), nullptr);
  if (other == nullptr) return false;
  if (::IsIconic(other)) ::ShowWindow(other, SW_RESTORE);
  ::SetForegroundWindow(other);
  return true;
}
