#include "platform/sim/sim_ui.h"

#include <algorithm>
#include <exception>

#include "common/task_msg.h"
#include "common/utils.h"
#include "platform/sim/sim_platform.h"

namespace {

ustring TextAt(std::intptr_t lparam) {
  const auto* text = reinterpret_cast<const char16_t*>(lparam);
  return text != nullptr ? ustring(text) : ustring();
}

// Copies text into a Windows buffer of 261 units; false when it does not fit.
bool CopyToBuffer261(const ustring& text, char16_t* buffer) {
  if (text.size() >= 261) return false;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = u'\0';
  return true;
}

}  // namespace

// ---------------------------------------------------------------- controls

TSimControl::TSimControl(TSimForm& form, TCtlId id) : form_(form), id_(id), kind_(KindOf(id)) {}

void TSimControl::SetCaption(const ustring& text) {
  if (kind_ != TCtlKind::Memo) {
    caption_ = text;
    return;
  }
  // A memo's text is its line list joined by line breaks.
  lines_ = SplitCrLf(text);
}

ustring TSimControl::Caption() const {
  if (kind_ != TCtlKind::Memo) return caption_;
  ustring text;
  for (std::size_t i = 0; i < lines_.size(); ++i) text += (i > 0 ? u"\r\n" : u"") + lines_[i];
  return text;
}

void TSimControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled && form_.focused_ == id_) form_.focused_ = static_cast<TCtlId>(0);
}

void TSimControl::SetVisible(bool visible) {
  visible_ = visible;
  if (!visible) form_.FocusLostIfHidden();
}

void TSimControl::SetFocus() {
  if (enabled_ && Showing()) form_.focused_ = id_;
}

bool TSimControl::Focused() const { return form_.focused_ == id_; }

void TSimControl::ClearLines() {
  lines_.clear();
  if (kind_ == TCtlKind::ComboBox) itemIndex_ = -1;
}

ustring TSimControl::Line(int index) const {
  return index >= 0 && index < LineCount() ? lines_[static_cast<std::size_t>(index)] : ustring();
}

void TSimControl::SetLine(int index, const ustring& line) {
  if (index >= 0 && index < LineCount()) lines_[static_cast<std::size_t>(index)] = line;
}

void TSimControl::SetItemIndex(int index) { itemIndex_ = index >= 0 && index < LineCount() ? index : -1; }

bool TSimControl::Showing() const {
  if (!visible_ || !form_.IsVisible()) return false;
  const TCtlId frame = FrameOf(id_);
  return frame == 0 || form_.Sim(frame).Visible();
}

// ---------------------------------------------------------------- form

TSimForm::TSimForm(TSimUi& ui, THwnd handle) : ui_(ui), handle_(handle) {}

TSimForm::~TSimForm() {
  if (ui_.form_ == this) ui_.form_ = nullptr;
}

TSimControl& TSimForm::Sim(TCtlId id) {
  auto& slot = controls_[id];
  if (!slot) {
    slot = std::make_unique<TSimControl>(*this, id);
    // Page frames start hidden until the wizard shows one; everything else visible.
    if (KindOf(id) == TCtlKind::Frame) slot->SetVisible(false);
  }
  return *slot;
}

void TSimForm::Guard(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    if (!ui_.OnException) throw;
    ui_.OnException(FromUtf8(e.what()));
  }
}

bool TSimForm::Guard(const std::function<bool()>& fn, bool fallback) {
  bool result = fallback;
  Guard([&] { result = fn(); });
  return result;
}

void TSimForm::LoadIcon(std::uint32_t iconId) {
  iconId_ = iconId;
  icon_ = 0x7710 + iconId;  // any non-zero handle stands for the loaded icon
}

void TSimForm::FocusLostIfHidden() {
  if (focused_ != 0 && !Sim(focused_).Showing()) focused_ = static_cast<TCtlId>(0);
}

void TSimForm::Close() {
  if (closed_) return;
  const bool allowed = !OnCloseQuery || Guard([&] { return OnCloseQuery(); }, false);
  if (!allowed) {
    ++closeRefusals_;
    return;
  }
  closed_ = true;
  focused_ = static_cast<TCtlId>(0);
}

bool TSimForm::Click(TCtlId id) {
  TSimControl& control = Sim(id);
  if (closed_ || !control.Enabled() || !control.Showing()) return false;
  if (control.Kind() != TCtlKind::Button && control.Kind() != TCtlKind::CheckBox) return false;
  // Clicking moves the focus to a button or check box, as a mouse click does.
  focused_ = id;
  if (control.Kind() == TCtlKind::CheckBox) control.SetChecked(!control.Checked());
  if (control.OnClick) Guard([&] { control.OnClick(); });
  return true;
}

bool TSimForm::SelectItem(TCtlId id, int index) {
  TSimControl& control = Sim(id);
  if (closed_ || control.Kind() != TCtlKind::ComboBox || !control.Enabled() || !control.Showing()) return false;
  if (index < 0 || index >= control.LineCount()) return false;
  focused_ = id;
  control.SetItemIndex(index);
  if (control.OnClick) Guard([&] { control.OnClick(); });
  return true;
}

bool TSimForm::UserClose() {
  Close();
  return closed_;
}

bool TSimForm::QueryEndSession() {
  return !OnQueryEndSession || Guard([&] { return OnQueryEndSession(); }, true);
}

// ---------------------------------------------------------------- UI services

TSimUi::TSimUi(TSimPlatform& platform) : platform_(platform) {}
TSimUi::~TSimUi() = default;

bool TSimUi::ApplyTheme(const ustring& name) {
  if (!themeAvailable) return false;
  appliedTheme = name;
  return true;
}

std::unique_ptr<IFormView> TSimUi::CreateSetupForm() {
  auto form = std::make_unique<TSimForm>(*this, nextHandle_);
  nextHandle_ += 0x10;
  form_ = form.get();
  // Only messages posted from now on can be for this window.
  delivered_ = platform_.PostedMessages().size();
  return form;
}

void TSimUi::RunEventLoop(IFormView& form) {
  auto& sim = static_cast<TSimForm&>(form);
  sim.Show();
  while (!sim.IsClosed()) {
    DeliverPostedMessages();
    if (!sim.IsClosed()) platform_.WaitForMessages(delivered_ + 1, 50);
  }
}

int TSimUi::ShowMessageBox(THwnd owner, const ustring& text, const ustring& caption, int style) {
  messageBoxes.push_back({owner, text, caption, style});
  if (!messageBoxAnswers.empty()) {
    const int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
  }
  // The user presses Enter: the default button.
  if ((style & 0xF) == cMbYesNo) return (style & cMbDefButton2) ? cIdNo : cIdYes;
  return cIdOk;
}

std::int32_t TSimUi::SHGetSpecialFolderLocation(THwnd, int csidl, TItemId& item) {
  item = 0;
  char16_t system[261] = {};
  const std::uint32_t n = platform_.GetSystemDirectoryW(system, 261);
  const ustring shell32 = AddBackslash(n > 0 && n < 261 ? ustring(system, n) : ustring()) + u"shell32.dll";
  char16_t path[261] = {};
  const std::int32_t hr = platform_.SHGetFolderPathW(shell32, csidl, path);
  if (hr < 0) return hr;
  item = nextItem_++;
  items_[item] = path;
  return cS_OK;
}

TItemId TSimUi::SHBrowseForFolderW(THwnd owner, TItemId root, char16_t* displayName261, const ustring& prompt,
                                   std::uint32_t flags, TBrowseCallback callback, std::intptr_t data) {
  TChooserCall call;
  call.owner = owner;
  call.rooted = root != 0;
  if (root != 0) {
    const auto it = items_.find(root);
    if (it != items_.end()) call.rootPath = it->second;
  }
  call.prompt = prompt;
  call.flags = flags;
  chooserCalls.push_back(call);
  activeChooser_ = &chooserCalls.back();
  activeDialog_ = nextHandle_;
  nextHandle_ += 0x10;
  if (callback != nullptr) callback(activeDialog_, cBffmInitialized, 0, data);
  activeChooser_ = nullptr;
  activeDialog_ = 0;

  switch (chooserScript.kind) {
    case TChooserScript::Cancel:
      return 0;
    case TChooserScript::Folder: {
      const std::size_t slash = chooserScript.path.find_last_of(u'\\');
      const ustring name = slash == ustring::npos ? chooserScript.path : chooserScript.path.substr(slash + 1);
      CopyToBuffer261(name.substr(0, 260), displayName261);
      const TItemId item = nextItem_++;
      items_[item] = chooserScript.path;
      return item;
    }
    case TChooserScript::ItemWithoutPath: {
      CopyToBuffer261(u"Network", displayName261);
      const TItemId item = nextItem_++;
      items_[item] = ustring();
      return item;
    }
  }
  return 0;
}

bool TSimUi::SHGetPathFromIDListW(TItemId item, char16_t* buffer261) {
  const auto it = items_.find(item);
  if (it == items_.end() || it->second.empty()) return false;
  return CopyToBuffer261(it->second, buffer261);
}

void TSimUi::CoTaskMemFree(TItemId item) { items_.erase(item); }

std::intptr_t TSimUi::SendMessageW(THwnd window, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) {
  if (activeChooser_ == nullptr || window != activeDialog_) return 0;
  activeChooser_->messages.push_back(msg);
  switch (msg) {
    case cWmSetIcon:
      if (wparam == cIconBig) activeChooser_->icon = static_cast<std::uintptr_t>(lparam);
      return 0;
    case cWmSetText:
      activeChooser_->title = TextAt(lparam);
      return 1;
    case cBffmSetOkText:
      activeChooser_->okText = TextAt(lparam);
      return 0;
    default:
      return 0;
  }
}

std::size_t TSimUi::DeliverPostedMessages() {
  std::size_t count = 0;
  for (;;) {
    const std::vector<TPostedMessage> all = platform_.PostedMessages();
    if (delivered_ >= all.size()) break;
    const TPostedMessage m = all[delivered_++];
    if (form_ == nullptr || form_->IsClosed() || m.window != form_->Handle() || m.msg != WM_SETUP_TASK) continue;
    if (form_->OnTaskMessage) form_->Guard([&] { form_->OnTaskMessage(m.wparam, m.lparam); });
    ++count;
  }
  return count;
}

bool TSimUi::DeliverUntil(const std::function<bool()>& done, int timeoutMs) {
  for (;;) {
    DeliverPostedMessages();
    if (done()) return true;
    if (!platform_.WaitForMessages(delivered_ + 1, timeoutMs)) return done();
  }
}

// The emulated platform's user interface: one headless UI per emulated system.
IUi& TSimPlatform::Ui() {
  if (!ui_) ui_ = std::make_shared<TSimUi>(*this);
  return *ui_;
}
