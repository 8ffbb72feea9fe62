// Drives the real Corvalin-Setup.exe from outside: starts it as a child
// process, finds its window and controls by their stable ids, clicks, waits
// for states with time limits and reads what the user sees.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/control_ids.h"

namespace e2e {

// Path of the setup under test (environment CORVALIN_SETUP_EXE).
std::wstring SetupExePath();

class TSetupProcess {
 public:
  TSetupProcess() = default;
  ~TSetupProcess();
  TSetupProcess(const TSetupProcess&) = delete;
  TSetupProcess& operator=(const TSetupProcess&) = delete;

  // Starts exe with the arguments; false when it cannot be started.
  bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
  // The visible wizard window of the process, waiting up to timeout.
  HWND WaitForWindow(std::chrono::milliseconds timeout);
  // True when the process ended within timeout; its exit code in code.
  bool WaitForExit(std::chrono::milliseconds timeout, DWORD& code);
  HWND window() const { return window_; }
  DWORD pid() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
  HWND window_ = nullptr;
};

// A control of the window by id (searched through the page frames too).
HWND FindControl(HWND window, TCtlId id);
std::wstring WindowText(HWND hwnd);
std::wstring ControlText(HWND window, TCtlId id);
// Lines of a memo control (split at CR LF).
std::vector<std::wstring> MemoLines(HWND window, TCtlId id);
bool IsEnabled(HWND window, TCtlId id);
bool IsChecked(HWND window, TCtlId id);
bool IsShown(HWND window, TCtlId id);
// Clicks a button or check box as the user would (BM_CLICK).
void Click(HWND window, TCtlId id);
// Posts a click to each button in turn, all queued before the window's
// thread handles the first (it is suspended meanwhile): the later clicks
// reach the state the first one leaves, however the two processes are
// scheduled. False when the thread could not be held.
bool PostClicksTogether(HWND window, const std::vector<TCtlId>& ids);
// Selects an entry of a combo box and notifies the owner like a user choice.
void SelectComboItem(HWND window, TCtlId id, int index);

// Polls condition until true or timeout; on timeout returns false and puts
// what describe() reports into seen.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               const std::function<std::string()>& describe, std::string& seen);

// The name a screen reader gets for a control (its client object's name,
// through oleacc as an assistive program asks); "<no accessible object>"
// when there is no object.
std::wstring AccessibleName(HWND control);

// Saves the window's on-screen pixels as a PNG file.
bool SaveWindowPng(HWND window, const std::wstring& path);

std::string Narrow(const std::wstring& text);

}  // namespace e2e
