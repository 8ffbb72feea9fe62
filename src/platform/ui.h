// The wizard's window and controls as the portable controller sees them. The
// Win32 view creates real controls; the emulated one keeps their state so
// tests can click and read. Only the GUI thread touches controls.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include "common/types.h"
#include "platform/control_ids.h"
#include "platform/platform.h"

// One control: label, button, check box, combo box, memo, group box or panel.
class IControl {
 public:
  virtual ~IControl() = default;
  virtual void SetCaption(const ustring& text) = 0;
  virtual ustring Caption() const = 0;
  // A disabled control that has the focus loses it (as on Windows).
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetChecked(bool checked) = 0;  // check boxes; no click event
  virtual bool Checked() const = 0;
  // The control's own visibility; it shows only when its page frame is visible too.
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  // Gives the keyboard focus to the control; ignored when it is disabled or not showing.
  virtual void SetFocus() = 0;
  virtual bool Focused() const = 0;
  // Line list of a memo or the items of a combo box.
  virtual void ClearLines() = 0;
  virtual void AddLine(const ustring& line) = 0;
  // Replaces the whole line list at once (a long text loads without a redraw per line).
  virtual void SetLines(const std::vector<ustring>& lines) = 0;
  virtual int LineCount() const = 0;
  virtual ustring Line(int index) const = 0;  // empty outside 0..LineCount()-1
  virtual void SetLine(int index, const ustring& line) = 0;  // ignored outside the list
  // Selected item of a combo box; -1 = none.
  virtual void SetItemIndex(int index) = 0;
  virtual int ItemIndex() const = 0;

  int Tag = 0;                       // 1 while code changes a check box's state
  std::function<void()> OnClick;     // button or check box clicked, combo item selected
};

// Message box answers and styles (Windows values).
constexpr int cMbOk = 0x0;
constexpr int cMbYesNo = 0x4;
constexpr int cMbYesNoCancel = 0x3;
constexpr int cMbRetryCancel = 0x5;
constexpr int cMbIconQuestion = 0x20;
constexpr int cMbIconInformation = 0x40;
constexpr int cMbIconError = 0x10;
constexpr int cMbIconWarning = 0x30;
constexpr int cMbDefButton2 = 0x100;
constexpr int cIdOk = 1;
constexpr int cIdCancel = 2;
constexpr int cIdRetry = 4;
constexpr int cIdYes = 6;
constexpr int cIdNo = 7;

// Window messages the folder picker sends to the chooser (Windows values).
constexpr std::uint32_t cWmSetText = 0x000C;
constexpr std::uint32_t cWmSetIcon = 0x0080;
constexpr std::uintptr_t cIconBig = 1;
constexpr std::uint32_t cBffmInitialized = 1;      // chooser's initialisation notice
constexpr std::uint32_t cBffmSetOkText = 0x0469;   // WM_USER + 105: caption of the OK button
// Folder chooser flags.
constexpr std::uint32_t cBifReturnOnlyFsDirs = 0x0001;
constexpr std::uint32_t cBifNewDialogStyle = 0x0040;
constexpr std::uint32_t cBifNoTranslateTargets = 0x0400;

// A shell item (an item id list) handed out by the folder chooser's operations; 0 = none.
using TItemId = std::uintptr_t;
// The chooser's event callback: dialog window, message, message parameter, the caller's data.
using TBrowseCallback = int (*)(THwnd dialog, std::uint32_t message, std::intptr_t parameter, std::intptr_t data);

// What the folder chooser is to show.
struct TDlgInfo {
  THwnd dgFormHd = 0;           // owner window
  std::uintptr_t dgAppIco = 0;  // large icon for the dialog
  ustring dgTitle;              // dialog caption
  ustring dgSubjec;             // prompt above the tree
  ustring dgBtnSel;             // caption of the OK button
};

// The wizard window.
class IFormView {
 public:
  virtual ~IFormView() = default;
  virtual IControl& Control(TCtlId id) = 0;
  virtual THwnd Handle() const = 0;
  // The window's icon after LoadIcon; 0 before or when it could not be loaded.
  virtual std::uintptr_t IconHandle() const = 0;
  // Loads the window icon (icon resource id of the program) and puts it on the window.
  virtual void LoadIcon(std::uint32_t iconId) = 0;
  // Loads the logo (bitmap resource id of the program) into the header image.
  virtual void LoadLogo(std::uint32_t bitmapId) = 0;
  virtual void SetCaption(const ustring& text) = 0;
  virtual ustring Caption() const = 0;
  virtual bool IsVisible() const = 0;
  // Asks the window to close: OnCloseQuery decides.
  virtual void Close() = 0;
  // True once the window has closed (the event loop then ends).
  virtual bool IsClosed() const = 0;

  std::function<bool()> OnCloseQuery;                                // false refuses to close
  std::function<bool()> OnQueryEndSession;                           // false refuses shutdown
  std::function<void(std::uintptr_t, std::intptr_t)> OnTaskMessage;  // WM_SETUP_TASK on the GUI thread
};

// A window that only receives WM_SETUP_TASK for a front end without a visible
// window (a message-only window on Windows: it needs no desktop).
class ITaskReceiver {
 public:
  virtual ~ITaskReceiver() = default;
  virtual THwnd Handle() const = 0;
  // Dispatches the messages posted to it, in posting order, until done() holds.
  virtual void RunUntil(const std::function<bool()>& done) = 0;

  std::function<void(std::uintptr_t, std::intptr_t)> OnTaskMessage;  // WM_SETUP_TASK
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
  // A receiver of the workers' messages with no window on screen.
  virtual std::unique_ptr<ITaskReceiver> CreateTaskReceiver() = 0;
  // Brings the wizard window of another running setup to the front (restored
  // when minimised); false when there is none to be found.
  virtual bool ActivateOtherSetupWindow() = 0;
  // Paints what waits to be painted (a page just shown). User input and posted
  // messages stay queued until the running handler has returned, so no other
  // handler runs inside it.
  virtual void ProcessPendingEvents() = 0;
  // A modal message box (Windows styles); returns the button id.
  virtual int ShowMessageBox(THwnd owner, const ustring& text, const ustring& caption, int style) = 0;

  // --- the folder chooser's operations (shell32 on Windows) ---
  // The item of a special folder (CSIDL) asked with owner; an HRESULT, item 0 on failure.
  virtual std::int32_t SHGetSpecialFolderLocation(THwnd owner, int csidl, TItemId& item) = 0;
  // The modal folder chooser; displayName261 receives the chosen item's display name.
  // Returns the chosen item, 0 when cancelled. callback(dialog, message, parameter, data)
  // receives the chooser's notices.
  virtual TItemId SHBrowseForFolderW(THwnd owner, TItemId root, char16_t* displayName261, const ustring& prompt,
                                     std::uint32_t flags, TBrowseCallback callback, std::intptr_t data) = 0;
  // The file-system path of an item into a buffer of 261 units; false when it has none.
  virtual bool SHGetPathFromIDListW(TItemId item, char16_t* buffer261) = 0;
  // Frees an item with the shell allocator.
  virtual void CoTaskMemFree(TItemId item) = 0;
  // Sends a message to a window and waits for it to be handled (WM_SETTEXT and
  // BFFM_SETOKTEXT take a pointer to a NUL-terminated UTF-16 text as lparam).
  virtual std::intptr_t SendMessageW(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) = 0;

  // The application-wide handler of an exception that escaped an event handler;
  // the views call it with the exception's message and go on.
  std::function<void(const ustring& message)> OnException;
};
