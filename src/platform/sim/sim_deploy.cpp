#include "platform/sim/sim_deploy.h"

#include <algorithm>
#include <sstream>

#include "common/utils.h"
#include "platform/sim/sim_deploy_internal.h"

using namespace sim_deploy;

TSimDeploy::TSimDeploy() = default;

TSimDeploy::~TSimDeploy() {
  Resume();
  WaitIdle();
}

// --- packages and observations ---

ustring TSimDeploy::FamilyOf(const ustring& fullName) {
  // Name_Version_Architecture_ResourceId_PublisherId -> Name_PublisherId
  const std::size_t first = fullName.find(u'_');
  const std::size_t last = fullName.rfind(u'_');
  if (first == ustring::npos) return fullName;
  return fullName.substr(0, first) + fullName.substr(last);
}

void TSimDeploy::RegisterPackage(const ustring& fullName) {
  std::lock_guard<std::mutex> guard(lock_);
  for (const ustring& known : packages_) {
    if (SameName(known, fullName)) return;
  }
  packages_.push_back(fullName);
}

std::vector<ustring> TSimDeploy::Packages() {
  std::lock_guard<std::mutex> guard(lock_);
  return packages_;
}

std::vector<ustring> TSimDeploy::Removals() {
  std::lock_guard<std::mutex> guard(lock_);
  return removals_;
}

std::vector<TSimAddition> TSimDeploy::Additions() {
  std::lock_guard<std::mutex> guard(lock_);
  return additions_;
}

std::size_t TSimDeploy::LiveEvents() {
  std::lock_guard<std::mutex> guard(lock_);
  return events_.size();
}

bool TSimDeploy::EventIsSet(THandle event) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto it = events_.find(event);
  return it != events_.end() && it->second;
}

std::size_t TSimDeploy::LiveApartments() {
  std::lock_guard<std::mutex> guard(lock_);
  std::size_t count = 0;
  for (const auto& entry : apartments_) count += static_cast<std::size_t>(entry.second);
  return count;
}

std::size_t TSimDeploy::LiveObjects() {
  std::lock_guard<std::mutex> guard(lock_);
  return objects_.size();
}

std::size_t TSimDeploy::OpenCount() { return LiveEvents() + LiveApartments() + LiveObjects(); }

std::vector<std::string> TSimDeploy::DescribeOpen() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> open;
  for (const auto& entry : events_) open.push_back("event " + std::to_string(entry.first));
  for (const auto& [thread, count] : apartments_) {
    if (count == 0) continue;
    std::ostringstream text;
    text << "apartment x" << count << " on thread " << thread;
    open.push_back(text.str());
  }
  for (const auto& [handle, object] : objects_) {
    open.push_back(std::string(KindName(object->kind)) + " " + ToUtf8(object->text) + " #" + std::to_string(handle));
  }
  return open;
}

std::map<std::string, std::uint64_t> TSimDeploy::CallCounts() {
  std::lock_guard<std::mutex> guard(lock_);
  return counts_;
}

void TSimDeploy::WaitIdle() {
  for (;;) {
    std::vector<std::thread> running;
    {
      std::lock_guard<std::mutex> guard(lock_);
      running.swap(workers_);
    }
    if (running.empty()) return;
    for (std::thread& worker : running) worker.join();
  }
}

// --- fault injection ---

const std::vector<std::string>& TSimDeploy::FaultableOperations() {
  static const std::vector<std::string> names{
      "RuntimePresent", "RoInitialize", "GetActivationFactory", "ActivateInstance",
      "FindPackagesByUserSecurityIdPackageFamilyName", "RemovePackageWithOptionsAsync", "AddPackageByUriAsync",
      "PutExternalLocationUri", "CreateUri", "UrlCreateFromPathW", "PutCompleted", "PutProgress", "GetResults",
      "CreateEventW", "MsgWaitForEvents", "WindowsCreateString", "get_FullName", "get_ErrorText"};
  return names;
}

void TSimDeploy::FailCall(const std::string& op, std::uint64_t nth, std::int32_t code) {
  std::lock_guard<std::mutex> guard(lock_);
  faults_.push_back({op, nth, false, code});
}

void TSimDeploy::FailFrom(const std::string& op, std::uint64_t nth, std::int32_t code) {
  std::lock_guard<std::mutex> guard(lock_);
  faults_.push_back({op, nth, true, code});
}

void TSimDeploy::ClearFaults() {
  std::lock_guard<std::mutex> guard(lock_);
  faults_.clear();
}

bool TSimDeploy::Faulted(const char* op, std::int32_t& code) {
  ++counts_[op];
  bool hit = false;
  for (TFault& fault : faults_) {
    if (fault.op != op) continue;
    ++fault.seen;
    if (!hit && (fault.seen == fault.nth || (fault.onward && fault.seen > fault.nth))) {
      hit = true;
      code = fault.code;
    }
  }
  return hit;
}

TSimDeploy::TObject* TSimDeploy::Find(TDeployObj handle, int kind, const TGuid* iid) {
  const auto it = objects_.find(handle);
  if (it == objects_.end() || it->second->kind != kind) return nullptr;
  if (iid != nullptr && !(it->second->iid == *iid)) return nullptr;
  return it->second.get();
}

TDeployObj TSimDeploy::Hand(std::shared_ptr<TObject> object) {
  next_ += 4;
  objects_[next_] = std::move(object);
  return next_;
}

// --- presence and apartments ---

bool TSimDeploy::RuntimePresent() {
  std::lock_guard<std::mutex> guard(lock_);
  std::int32_t code = 0;
  if (Faulted("RuntimePresent", code) && code != 0) return false;
  return runtimePresent;
}

std::int32_t TSimDeploy::RoInitialize() {
  std::lock_guard<std::mutex> guard(lock_);
  int& count = apartments_[std::this_thread::get_id()];
  std::int32_t code = 0;
  if (Faulted("RoInitialize", code)) {
    if (code >= 0) ++count;  // entered all the same: must be balanced
    return code;
  }
  // Like Windows: a nested initialisation on the same thread answers S_FALSE.
  return count++ == 0 ? cS_OK : cS_FALSE;
}

void TSimDeploy::RoUninitialize() {
  std::lock_guard<std::mutex> guard(lock_);
  ++counts_["RoUninitialize"];
  const auto it = apartments_.find(std::this_thread::get_id());
  if (it != apartments_.end() && it->second > 0) --it->second;
}

// --- objects ---

std::int32_t TSimDeploy::GetActivationFactory(const ustring& className, TDeployObj& factory) {
  std::lock_guard<std::mutex> guard(lock_);
  factory = 0;
  std::int32_t code = 0;
  if (Faulted("WindowsCreateString", code)) return code;
  if (Faulted("GetActivationFactory", code)) return code;
  const auto apartment = apartments_.find(std::this_thread::get_id());
  if (apartment == apartments_.end() || apartment->second == 0) return cCO_E_NOTINITIALIZED;
  if (std::find(runtimeClasses.begin(), runtimeClasses.end(), className) == runtimeClasses.end()) {
    return cREGDB_E_CLASSNOTREG;
  }
  auto object = std::make_shared<TObject>();
  object->kind = kFactory;
  object->iid = cIidIActivationFactory;
  object->text = className;
  factory = Hand(std::move(object));
  return cS_OK;
}

std::int32_t TSimDeploy::ActivateInstance(TDeployObj factory, const TGuid& iid, TDeployObj& object) {
  std::lock_guard<std::mutex> guard(lock_);
  object = 0;
  std::int32_t code = 0;
  if (Faulted("ActivateInstance", code)) return code;
  const TObject* source = Find(factory, kFactory, nullptr);
  if (source == nullptr) return cE_INVALIDARG;
  const std::vector<TGuid> interfaces = InterfacesOf(source->text);
  if (interfaces.empty()) return cE_NOTIMPL;  // no default constructor (e.g. Uri)
  if (std::find(interfaces.begin(), interfaces.end(), iid) == interfaces.end()) return cE_NOINTERFACE;
  auto instance = std::make_shared<TObject>();
  instance->kind = source->text == cPackageManagerClass ? kManager : kOptions;
  instance->iid = iid;
  instance->text = source->text;
  object = Hand(std::move(instance));
  return cS_OK;
}

void TSimDeploy::Release(TDeployObj object) {
  std::lock_guard<std::mutex> guard(lock_);
  ++counts_["Release"];
  objects_.erase(object);
  changed_.notify_all();  // a deployment may wait for its caller to let go
}

// --- package manager ---

TRtResult TSimDeploy::FindPackagesByUserSecurityIdPackageFamilyName(
    TDeployObj manager, const ustring& userSid, const ustring& familyName,
    const std::function<bool(const ustring& fullName)>& visit) {
  std::unique_lock<std::mutex> guard(lock_);
  TRtResult result;
  if (Faulted("WindowsCreateString", result.textCode) || Faulted("WindowsCreateString", result.textCode)) {
    return result;
  }
  if (Faulted("FindPackagesByUserSecurityIdPackageFamilyName", result.callCode)) return result;
  if (Find(manager, kManager, &cIidIPackageManager) == nullptr) {
    result.callCode = cE_INVALIDARG;
    return result;
  }
  if (!userSid.empty()) return result;  // only the current user is emulated
  // The caller's visit runs without the lock, as the real walk runs without
  // any of ours: it may call back into the deployment.
  const std::vector<ustring> registered = packages_;
  for (const ustring& fullName : registered) {
    if (!SameName(FamilyOf(fullName), familyName)) continue;
    if (Faulted("get_FullName", result.callCode)) return result;
    guard.unlock();
    const bool found = visit(fullName);
    guard.lock();
    if (found) break;
  }
  return result;
}

TRtResult TSimDeploy::RemovePackageWithOptionsAsync(TDeployObj manager2, const ustring& fullName, std::uint32_t,
                                                    TDeployObj& operation) {
  std::lock_guard<std::mutex> guard(lock_);
  operation = 0;
  TRtResult result;
  if (Faulted("WindowsCreateString", result.textCode)) return result;
  if (Faulted("RemovePackageWithOptionsAsync", result.callCode)) return result;
  if (Find(manager2, kManager, &cIidIPackageManager2) == nullptr) {
    result.callCode = cE_INVALIDARG;
    return result;
  }
  removals_.push_back(fullName);
  operation = StartOperation(true, fullName)->id;
  return result;
}

std::int32_t TSimDeploy::AddPackageByUriAsync(TDeployObj manager9, TDeployObj packageUri, TDeployObj options,
                                              TDeployObj& operation) {
  std::lock_guard<std::mutex> guard(lock_);
  operation = 0;
  std::int32_t code = 0;
  if (Faulted("AddPackageByUriAsync", code)) return code;
  if (Find(manager9, kManager, &cIidIPackageManager9) == nullptr) return cE_INVALIDARG;
  const TObject* uri = Find(packageUri, kUri, nullptr);
  const TObject* opts = Find(options, kOptions, nullptr);
  if (uri == nullptr || opts == nullptr) return cE_POINTER;
  additions_.push_back({uri->text, opts->externalLocation});
  operation = StartOperation(false, uri->text)->id;
  return cS_OK;
}

std::int32_t TSimDeploy::PutExternalLocationUri(TDeployObj options, TDeployObj uri) {
  std::lock_guard<std::mutex> guard(lock_);
  std::int32_t code = 0;
  if (Faulted("PutExternalLocationUri", code)) return code;
  TObject* opts = Find(options, kOptions, nullptr);
  if (opts == nullptr) return cE_INVALIDARG;
  const TObject* location = Find(uri, kUri, nullptr);
  opts->externalLocation = location != nullptr ? location->text : ustring();
  return cS_OK;
}

TRtResult TSimDeploy::CreateUri(const ustring& text, TDeployObj& uri) {
  std::lock_guard<std::mutex> guard(lock_);
  uri = 0;
  TRtResult result;
  if (Faulted("WindowsCreateString", result.textCode)) return result;
  if (Faulted("CreateUri", result.callCode)) return result;
  if (std::find(runtimeClasses.begin(), runtimeClasses.end(), ustring(cUriClass)) == runtimeClasses.end()) {
    result.callCode = cREGDB_E_CLASSNOTREG;
    return result;
  }
  // An absolute URI needs a scheme of at least two letters before its colon.
  const std::size_t colon = text.find(u':');
  if (colon == ustring::npos || colon < 2) {
    result.callCode = cE_INVALIDARG;
    return result;
  }
  auto object = std::make_shared<TObject>();
  object->kind = kUri;
  object->text = text;
  uri = Hand(std::move(object));
  return result;
}

std::int32_t TSimDeploy::UrlCreateFromPathW(const ustring& path, char16_t* buffer, std::uint32_t& size) {
  std::int32_t code = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (Faulted("UrlCreateFromPathW", code)) return code;
  }
  ustring url;
  code = cS_OK;
  if (path.size() >= 5 && SameName(path.substr(0, 5), u"file:")) {
    url = path;  // already a URL: handed back as it is
    code = cS_FALSE;
  } else {
    // As Wine 8 does it (observed): "C:\a b" -> "file:///C:/a%20b", "\\srv\s" ->
    // "file://srv/s", a relative "x\y" -> "file:x/y"; blank, "%" and "#" escaped.
    std::size_t start = 0;
    const bool drive = path.size() >= 2 && path[1] == u':' &&
                       ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
    if (drive) {
      url = u"file:///";
    } else if (path.size() > 2 && path[0] == u'\\' && path[1] == u'\\') {
      url = u"file://";
      start = 2;
    } else {
      url = u"file:";
    }
    for (std::size_t i = start; i < path.size(); ++i) {
      const char16_t c = path[i];
      if (c == u'\\') {
        url += u'/';
      } else if (c == u' ' || c == u'%' || c == u'#') {
        url += u'%';
        url += HexOf(static_cast<std::uint32_t>(c), 2);
      } else {
        url += c;
      }
    }
  }
  if (size < url.size() + 1) {
    size = static_cast<std::uint32_t>(url.size() + 1);
    return cE_POINTER;
  }
  std::copy(url.begin(), url.end(), buffer);
  buffer[url.size()] = u'\0';
  size = static_cast<std::uint32_t>(url.size());
  return code;
}
