// The headless wizard window of the emulated system: controls that keep their
// state, a form that a test shows, clicks, ticks and closes, scripted message
// boxes and folder chooser, and the delivery of posted WM_SETUP_TASK messages
// to the form, on the test's (the GUI) thread.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui.h"

class TSimPlatform;
class TSimUi;
class TSimForm;

class TSimControl : public IControl {
 public:
  TSimControl(TSimForm& form, TCtlId id);

  void SetCaption(const ustring& text) override;
  ustring Caption() const override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetChecked(bool checked) override { checked_ = checked; }
  bool Checked() const override { return checked_; }
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }
  void SetFocus() override;
  bool Focused() const override;
  void ClearLines() override;
  void AddLine(const ustring& line) override { lines_.push_back(line); }
  void SetLines(const std::vector<ustring>& lines) override { lines_ = lines; }
  int LineCount() const override { return static_cast<int>(lines_.size()); }
  ustring Line(int index) const override;
  void SetLine(int index, const ustring& line) override;
  void SetItemIndex(int index) override;
  int ItemIndex() const override { return itemIndex_; }

  TCtlId Id() const { return id_; }
  TCtlKind Kind() const { return kind_; }
  const std::vector<ustring>& Lines() const { return lines_; }
  // Visible itself, its page frame visible, and the form shown: what a user can see.
  bool Showing() const;

 private:
  TSimForm& form_;
  TCtlId id_;
  TCtlKind kind_;
  ustring caption_;
  bool enabled_ = true, checked_ = false, visible_ = true;
  std::vector<ustring> lines_;
  int itemIndex_ = -1;
};

class TSimForm : public IFormView {
 public:
  TSimForm(TSimUi& ui, THwnd handle);
  ~TSimForm() override;

  // IFormView
  IControl& Control(TCtlId id) override { return Sim(id); }
  THwnd Handle() const override { return handle_; }
  std::uintptr_t IconHandle() const override { return icon_; }
  void LoadIcon(std::uint32_t iconId) override;
  void LoadLogo(std::uint32_t bitmapId) override { logoId_ = bitmapId; }
  void SetCaption(const ustring& text) override { caption_ = text; }
  ustring Caption() const override { return caption_; }
  bool IsVisible() const override { return visible_ && !closed_; }
  void Close() override;
  bool IsClosed() const override { return closed_; }

  // --- what a test does as the user ---
  // Makes the window visible, as the event loop does first.
  void Show() { visible_ = true; }
  // Clicks a button or check box, or selects item `index` of the combo box; only
  // a showing, enabled control reacts (a check box toggles before its handler runs).
  // False when the control did not react.
  bool Click(TCtlId id);
  bool SelectItem(TCtlId id, int index);
  // The window's close button; true when the window closed.
  bool UserClose();
  // The system's query before shutdown or log-off; the form's answer.
  bool QueryEndSession();

  // --- what a test reads ---
  TSimControl& Sim(TCtlId id);
  TCtlId FocusedId() const { return focused_; }
  std::uint32_t LogoId() const { return logoId_; }
  std::uint32_t IconId() const { return iconId_; }
  int CloseRefusals() const { return closeRefusals_; }

 private:
  friend class TSimControl;
  // Runs an event handler as the window procedure would: an exception goes to
  // the application's handler and the form goes on.
  void Guard(const std::function<void()>& fn);
  bool Guard(const std::function<bool()>& fn, bool fallback);
  void FocusLostIfHidden();

  TSimUi& ui_;
  THwnd handle_;
  std::map<TCtlId, std::unique_ptr<TSimControl>> controls_;
  ustring caption_;
  bool visible_ = false, closed_ = false;
  TCtlId focused_ = static_cast<TCtlId>(0);
  std::uintptr_t icon_ = 0;
  std::uint32_t iconId_ = 0, logoId_ = 0;
  int closeRefusals_ = 0;

  friend class TSimUi;
};

// How the scripted user answers the next folder chooser.
struct TChooserScript {
  enum TKind { Cancel, Folder, ItemWithoutPath } kind = Cancel;
  ustring path;  // the chosen folder for Folder
};

// One folder chooser as it was shown.
struct TChooserCall {
  THwnd owner = 0;
  ustring rootPath;            // path of the root item; empty when no root was given
  bool rooted = false;         // a root item was given
  ustring prompt;
  std::uint32_t flags = 0;
  // What the callback sent to the dialog window at its initialisation.
  std::vector<std::uint32_t> messages;
  std::uintptr_t icon = 0;     // WM_SETICON with ICON_BIG
  ustring title;               // WM_SETTEXT
  ustring okText;              // BFFM_SETOKTEXT
};

// One message box as it was shown.
struct TShownBox {
  THwnd owner;
  ustring text, caption;
  int style;
};

class TSimUi : public IUi {
 public:
  explicit TSimUi(TSimPlatform& platform);
  ~TSimUi() override;

  // IUi
  void Initialize() override { initialized = true; }
  bool ApplyTheme(const ustring& name) override;
  std::unique_ptr<IFormView> CreateSetupForm() override;
  void RunEventLoop(IFormView& form) override;
  // A receiver that takes the messages posted to its own handle (sim_task_receiver.cpp).
  std::unique_ptr<ITaskReceiver> CreateTaskReceiver() override;
  bool ActivateOtherSetupWindow() override;
  void ProcessPendingEvents() override { ++paintRequests; }
  int ShowMessageBox(THwnd owner, const ustring& text, const ustring& caption, int style) override;
  std::int32_t SHGetSpecialFolderLocation(THwnd owner, int csidl, TItemId& item) override;
  TItemId SHBrowseForFolderW(THwnd owner, TItemId root, char16_t* displayName261, const ustring& prompt,
                             std::uint32_t flags, TBrowseCallback callback, std::intptr_t data) override;
  bool SHGetPathFromIDListW(TItemId item, char16_t* buffer261) override;
  void CoTaskMemFree(TItemId item) override;
  std::intptr_t SendMessageW(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) override;

  // --- settings and scripts a test may change ---
  bool themeAvailable = true;             // ApplyTheme fails when false
  std::deque<int> messageBoxAnswers;      // next answers; when empty the default button is taken
  TChooserScript chooserScript;           // the answer of every folder chooser
  bool otherSetupWindow = false;          // another setup's wizard window can be found
  bool receiverWindowFails = false;       // task receivers get no window (handle 0)

  // Task receivers made so far; windows a user could see never come from them.
  int taskReceivers = 0;
  int activations = 0;                    // ActivateOtherSetupWindow calls that found a window

  // --- observations ---
  bool initialized = false;
  int paintRequests = 0;  // ProcessPendingEvents calls (there is nothing to paint)
  ustring appliedTheme;
  std::vector<TShownBox> messageBoxes;
  std::vector<TChooserCall> chooserCalls;
  // The form made by CreateSetupForm (nullptr after it was destroyed).
  TSimForm* Form() const { return form_; }
  // Shell items handed out and not yet freed.
  std::size_t LiveItems() const { return items_.size(); }

  // Delivers the messages posted to the form's window since the last delivery,
  // in posting order; returns how many reached the form.
  std::size_t DeliverPostedMessages();
  // Waits for posted messages and delivers them until done() holds or
  // timeoutMs passed without one; true when done() holds.
  bool DeliverUntil(const std::function<bool()>& done, int timeoutMs = 10000);

 private:
  friend class TSimForm;
  TSimPlatform& platform_;
  TSimForm* form_ = nullptr;
  std::size_t delivered_ = 0;
  THwnd nextHandle_ = 0x10010;
  std::map<TItemId, ustring> items_;  // item -> file-system path (empty: none)
  TItemId nextItem_ = 0x5000;
  TChooserCall* activeChooser_ = nullptr;
  THwnd activeDialog_ = 0;
};
