// The UI services on Win32: the toolkit's start, the theme, the wizard window
// and its event loop, message boxes and the shell's folder chooser.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/ui.h"
#include "platform/win32/win32_form.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_task_receiver.h"
#include "platform/win32/win32_theme.h"

namespace {

// The chooser's callback as the shell calls it, leading to the portable one.
struct TBrowseHook {
  TBrowseCallback callback;
  std::intptr_t data;
};

int CALLBACK BrowseHook(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
  const auto* hook = reinterpret_cast<const TBrowseHook*>(data);
  if (hook == nullptr || hook->callback == nullptr) return 0;
  return hook->callback(reinterpret_cast<THwnd>(dialog), message, parameter, hook->data);
}

// An apartment for the calling thread, left again on every path.
class TApartment {
 public:
  TApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~TApartment() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  TApartment(const TApartment&) = delete;
  TApartment& operator=(const TApartment&) = delete;

 private:
  HRESULT hr_;
};

class TWin32Ui : public IUi {
 public:
  void Initialize() override {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
  }

  bool ApplyTheme(const ustring& name) override { return LoadTheme(name); }

  std::unique_ptr<IFormView> CreateSetupForm() override {
    return std::make_unique<TWin32Form>();
  }

  void RunEventLoop(IFormView& view) override {
    auto& form = static_cast<TWin32Form&>(view);
    form.ShowCentred();
    MSG msg;
    while (!form.IsClosed() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  }

  std::unique_ptr<ITaskReceiver> CreateTaskReceiver() override { return CreateWin32TaskReceiver(); }

  bool ActivateOtherSetupWindow() override { return ActivateWin32SetupWindow(); }

  void ProcessPendingEvents() override {
    TWin32Form* form = TWin32Form::Current();
    if (form != nullptr && !form->IsClosed())
      ::RedrawWindow(form->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

  int ShowMessageBox(THwnd owner, const ustring& text, const ustring& caption, int style) override {
    return ::MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text.c_str()),
                         reinterpret_cast<const wchar_t*>(caption.c_str()), static_cast<UINT>(style));
  }

  std::int32_t SHGetSpecialFolderLocation(THwnd owner, int csidl, TItemId& item) override {
    PIDLIST_ABSOLUTE pidl = nullptr;
    const HRESULT hr = ::SHGetSpecialFolderLocation(reinterpret_cast<HWND>(owner), csidl, &pidl);
    item = SUCCEEDED(hr) ? reinterpret_cast<TItemId>(pidl) : 0;
    return hr;
  }

  TItemId SHBrowseForFolderW(THwnd owner, TItemId root, char16_t* displayName261, const ustring& prompt,
                             std::uint32_t flags, TBrowseCallback callback, std::intptr_t data) override {
    // The new dialog style needs a single-threaded apartment on this thread.
    TApartment apartment;
    TBrowseHook hook{callback, data};
    BROWSEINFOW bi{};
    bi.hwndOwner = reinterpret_cast<HWND>(owner);
    bi.pidlRoot = reinterpret_cast<PCIDLIST_ABSOLUTE>(root);
    bi.pszDisplayName = reinterpret_cast<wchar_t*>(displayName261);
    bi.lpszTitle = reinterpret_cast<const wchar_t*>(prompt.c_str());
    bi.ulFlags = flags;
    bi.lpfn = &BrowseHook;
    bi.lParam = reinterpret_cast<LPARAM>(&hook);
    return reinterpret_cast<TItemId>(::SHBrowseForFolderW(&bi));
  }

  bool SHGetPathFromIDListW(TItemId item, char16_t* buffer261) override {
    wchar_t path[MAX_PATH + 1] = {};
    if (!::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), path)) return false;
    for (int i = 0; i <= MAX_PATH; ++i) buffer261[i] = static_cast<char16_t>(path[i]);
    return true;
  }

  void CoTaskMemFree(TItemId item) override { ::CoTaskMemFree(reinterpret_cast<void*>(item)); }

  std::intptr_t SendMessageW(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) override {
    return ::SendMessageW(reinterpret_cast<HWND>(window), msg, wparam, lparam);
  }

 private:
  void Dispatch(MSG& msg) {
    TWin32Form* form = TWin32Form::Current();
    if (form != nullptr && !form->IsClosed()) {
      if (form->PreTranslate(msg)) return;
      if (::IsDialogMessageW(form->hwnd(), &msg)) return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
};

}  // namespace

IUi& Win32Ui() {
  static TWin32Ui ui;
  return ui;
}
