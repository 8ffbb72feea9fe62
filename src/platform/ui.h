// The wizard's window and controls as the portable controller sees them. The
// Win32 view creates real controls; the emulated one keeps their state so
// tests can click and read. Only the GUI thread touches controls.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include "common/types.h"
#include "platform/control_ids.h"
#include "platform/platform.h"

// One control: label, button, check box, combo box, memo, group box or panel.
class IControl {
 public:
  virtual ~IControl() = default;
  virtual void SetCaption(const ustring& text) = 0;
  virtual ustring Caption() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetChecked(bool checked) = 0;  // check boxes; no click event
  virtual bool Checked() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetFocus() = 0;
  virtual bool Focused() const = 0;
  // Line list of a memo or the items of a combo box.
  virtual void ClearLines() = 0;
  virtual void AddLine(const ustring& line) = 0;
  virtual int LineCount() const = 0;
  virtual ustring Line(int index) const = 0;
  virtual void SetLine(int index, const ustring& line) = 0;
  // Selected item of a combo box; -1 = none.
  virtual void SetItemIndex(int index) = 0;
  virtual int ItemIndex() const = 0;

  int Tag = 0;                       // 1 while code changes a check box's state
  std::function<void()> OnClick;     // button or check box clicked, combo item selected
};

// Message box answers and styles (Windows values).
constexpr int cMbOk = 0x0;
constexpr int cMbYesNo = 0x4;
constexpr int cMbIconError = 0x10;
constexpr int cMbIconWarning = 0x30;
constexpr int cMbDefButton2 = 0x100;
constexpr int cIdOk = 1;
constexpr int cIdYes = 6;
constexpr int cIdNo = 7;

// What the folder chooser is to show.
struct TDlgInfo {
  THwnd dgFormHd = 0;       // owner window
  std::uintptr_t dgAppIco = 0;  // large icon for the dialog
  ustring dgTitle;          // dialog caption
  ustring dgSubjec;         // prompt above the tree
  ustring dgBtnSel;         // caption of the OK button
};

// The wizard window.
class IFormView {
 public:
  virtual ~IFormView() = default;
  virtual IControl& Control(TCtlId id) = 0;
  virtual THwnd Handle() const = 0;
  virtual std::uintptr_t IconHandle() const = 0;
  virtual void SetCaption(const ustring& text) = 0;
  virtual ustring Caption() const = 0;
  virtual bool IsVisible() const = 0;
  // Asks the window to close: OnCloseQuery decides.
  virtual void Close() = 0;

  std::function<bool()> OnCloseQuery;                                // false refuses to close
  std::function<bool()> OnQueryEndSession;                           // false refuses shutdown
  std::function<void(std::uintptr_t, std::intptr_t)> OnTaskMessage;  // WM_SETUP_TASK on the GUI thread
};

class IUi {
 public:
  virtual ~IUi() = default;
  // Initialises the toolkit (common controls); the main window owns the taskbar entry.
  virtual void Initialize() = 0;
  // Applies the named theme; false when it cannot (the caller reports it).
  virtual bool ApplyTheme(const ustring& name) = 0;
  // Creates the (hidden) wizard window with all its controls.
  virtual std::unique_ptr<IFormView> CreateSetupForm() = 0;
  // Shows the form and runs the event loop until it has closed.
  virtual void RunEventLoop(IFormView& form) = 0;
  // Handles the messages waiting for the calling thread.
  virtual void ProcessPendingEvents() = 0;
  // A modal message box (Windows styles); returns the button id.
  virtual int ShowMessageBox(THwnd owner, const ustring& text, const ustring& caption, int style) = 0;
  // The modal folder chooser rooted at the programs folder (see the folder picker);
  // true with the file-system path when a folder was chosen.
  virtual bool BrowseForFolder(const TDlgInfo& info, ustring& path) = 0;
};
