// One run of the real setup, driven page by page like a user: every wait has
// a time limit and reports what the window showed when it passed.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/driver.h"

namespace e2e {

class TWizardSession {
 public:
  // Starts exe (default: the setup under test) and waits for its window.
  explicit TWizardSession(const std::wstring& exe = SetupExePath());
  HWND window() const { return window_; }
  TSetupProcess& process() { return process_; }
  bool ok() const { return window_ != nullptr; }

  std::wstring Text(TCtlId id) const { return ControlText(window_, id); }
  std::vector<std::wstring> Lines(TCtlId id) const { return MemoLines(window_, id); }
  bool Enabled(TCtlId id) const { return IsEnabled(window_, id); }
  bool Checked(TCtlId id) const { return IsChecked(window_, id); }
  void Click(TCtlId id) { e2e::Click(window_, id); }
  void SetChecked(TCtlId id, bool checked);
  void ChooseLanguage(int index) { SelectComboItem(window_, idCbWcLang, index); }

  // Waits until a control is enabled (or disabled); fails the test on time-out.
  void WaitEnabled(TCtlId id, bool enabled = true, int seconds = 60);
  // Waits until the memo's last line equals text.
  void WaitLastLine(TCtlId memo, const std::wstring& text, int seconds = 120);
  // Waits until the page frame is the visible one.
  void WaitPage(TCtlId frame, int seconds = 30);
  // What the window shows now: page, buttons and memo lines, for failure reports.
  std::string Describe() const;

  // Welcome → License (accept) → Prepare → Review, waiting for the review's result.
  void GoToReview(bool desktop, int language = 0);
  // Presses Install and waits until Finish is available.
  void InstallAndWaitForFinish();
  // Closes with Finish (optionally ticking "run now") and checks the exit code
  // (3010 when a file in use waits for the restart).
  void FinishAndExit(bool runNow, DWORD expected = 0);

 private:
  TSetupProcess process_;
  HWND window_ = nullptr;
};

// Product folder, Start-menu folder and desktop of this (Wine) system.
std::wstring ProgramFilesFolder();
std::wstring InstallFolder();  // ...\Corvalin
std::wstring SampleDir();      // the sample payload the setup was built from

}  // namespace e2e
