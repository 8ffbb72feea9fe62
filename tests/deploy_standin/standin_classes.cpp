// The runtime classes of the stand-in deployment service (the package
// manager, the add options, and a Uri for Wine, which has none) with their
// activation factories, and the library's exports: DllGetActivationFactory
// for the runtime, and a few calls for the tests that drive it.
#include <cstring>

#include "standin_service.h"

using namespace winrt_abi;

namespace standin {
namespace {

bool IsBase(const GUID& iid) { return Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable); }

class TUri final : public TCounted, public IUriRuntimeClass {
 public:
  explicit TUri(ustring text) : TCounted("Uri"), text_(std::move(text)) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    return IsBase(iid) || Same(iid, cIidIUriRuntimeClass) ? static_cast<IUriRuntimeClass*>(this) : nullptr;
  }
  const ustring& Text() const { return text_; }

 private:
  ustring text_;
};

class TAddOptions final : public TCounted, public IAddPackageOptions {
 public:
  TAddOptions() : TCounted("AddPackageOptions") {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    return IsBase(iid) || Same(iid, cIidIAddPackageOptions) ? static_cast<IAddPackageOptions*>(this) : nullptr;
  }
  HRESULT STDMETHODCALLTYPE get_DependencyPackageUris() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TargetVolume() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_TargetVolume() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_OptionalPackageFamilyNames() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_OptionalPackageUris() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RelatedPackageUris() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ExternalLocationUri(IUriRuntimeClass** value) override {
    if (value == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *value = location_;
    if (location_ != nullptr) location_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ExternalLocationUri(IUriRuntimeClass* value) override {
    if (value != nullptr) value->AddRef();
    IUriRuntimeClass* old = nullptr;
    {
      std::lock_guard<std::mutex> guard(lock_);
      old = location_;
      location_ = value;
    }
    if (old != nullptr) old->Release();
    return S_OK;
  }
  ustring LocationText() {
    std::lock_guard<std::mutex> guard(lock_);
    return UriText(location_);
  }

 protected:
  void Dispose() override { put_ExternalLocationUri(nullptr); }

 private:
  std::mutex lock_;
  IUriRuntimeClass* location_ = nullptr;
};

class TPackageManager final : public TCounted, public IPackageManager, public IPackageManager2, public IPackageManager9 {
 public:
  TPackageManager() : TCounted("PackageManager") {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (IsBase(iid) || Same(iid, cIidIPackageManager)) return static_cast<IPackageManager*>(this);
    if (Same(iid, cIidIPackageManager2)) return static_cast<IPackageManager2*>(this);
    if (Same(iid, cIidIPackageManager9)) return static_cast<IPackageManager9*>(this);
    return nullptr;
  }
  // IPackageManager: only the lookup by user and family.
  HRESULT STDMETHODCALLTYPE AddPackageAsync() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UpdatePackageAsync() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemovePackageAsync() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE StagePackageAsync() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterPackageAsync() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackages() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityId() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackagesByNamePublisher() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdNamePublisher() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindUsers() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetPackageState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackageByPackageFullName() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CleanupPackageForUserAsync() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackagesByPackageFamilyName() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdPackageFamilyName(HSTRING userSecurityId,
                                                                          HSTRING packageFamilyName,
                                                                          IPackageIterable** packages) override {
    if (packages == nullptr) return E_POINTER;
    *packages = nullptr;
    const ustring family = FromHString(packageFamilyName);
    std::vector<ustring> found;
    // Only the current user (an empty id) has packages here.
    if (FromHString(userSecurityId).empty()) {
      std::lock_guard<std::mutex> guard(Service().lock);
      for (const ustring& name : Service().packages) {
        if (SameText(FamilyOf(name), family)) found.push_back(name);
      }
    }
    *packages = NewPackageIterable(std::move(found));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FindPackageByUserSecurityIdPackageFullName() override { return E_NOTIMPL; }

  // IPackageManager2
  HRESULT STDMETHODCALLTYPE RemovePackageWithOptionsAsync(HSTRING packageFullName, UINT32 removalOptions,
                                                          IDeploymentOperation** operation) override {
    if (operation == nullptr) return E_POINTER;
    *operation = nullptr;
    if (removalOptions != 0) return E_INVALIDARG;  // the setup asks for none
    *operation = StartOperation(true, FromHString(packageFullName));
    return S_OK;
  }

  // IPackageManager9
  HRESULT STDMETHODCALLTYPE FindProvisionedPackages() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddPackageByUriAsync(IUriRuntimeClass* packageUri, IAddPackageOptions* options,
                                                 IDeploymentOperation** operation) override {
    if (operation == nullptr) return E_POINTER;
    *operation = nullptr;
    if (packageUri == nullptr || options == nullptr) return E_INVALIDARG;
    // The options are this service's own object (the caller activated them here).
    TAdditionRecord record{UriText(packageUri), static_cast<TAddOptions*>(options)->LocationText()};
    {
      std::lock_guard<std::mutex> guard(Service().lock);
      Service().additions.push_back({record.package, record.location});
    }
    *operation = StartOperation(false, record.package);
    return S_OK;
  }

 private:
  struct TAdditionRecord {
    ustring package, location;
  };
};

// One factory class for the three runtime classes; the Uri's also answers
// IUriRuntimeClassFactory.
class TFactory final : public TCounted, public IActivationFactory, public IUriRuntimeClassFactory {
 public:
  enum TKind { kManager, kOptions, kUri };
  explicit TFactory(TKind kind) : TCounted("ActivationFactory"), kind_(kind) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (IsBase(iid) || Same(iid, cIidIActivationFactory)) return static_cast<IActivationFactory*>(this);
    if (kind_ == kUri && Same(iid, cIidIUriRuntimeClassFactory)) return static_cast<IUriRuntimeClassFactory*>(this);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override {
    if (instance == nullptr) return E_POINTER;
    *instance = nullptr;
    if (kind_ == kManager) *instance = static_cast<IPackageManager*>(new TPackageManager);
    if (kind_ == kOptions) *instance = static_cast<IAddPackageOptions*>(new TAddOptions);
    return kind_ == kUri ? E_NOTIMPL : S_OK;  // a Uri is made from text only
  }
  HRESULT STDMETHODCALLTYPE CreateUri(HSTRING uri, IUriRuntimeClass** instance) override {
    if (instance == nullptr) return E_POINTER;
    *instance = nullptr;
    const ustring text = FromHString(uri);
    // Only what the setup hands over: absolute file URLs.
    if (text.rfind(u"file:", 0) != 0) return E_INVALIDARG;
    *instance = NewUri(text);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CreateWithRelativeUri(HSTRING, HSTRING, IUriRuntimeClass**) override { return E_NOTIMPL; }

 private:
  TKind kind_;
};

}  // namespace

IUriRuntimeClass* NewUri(const ustring& text) { return new TUri(text); }

ustring UriText(IUriRuntimeClass* uri) {
  // Every Uri the caller has came from this service.
  return uri == nullptr ? ustring() : static_cast<TUri*>(uri)->Text();
}

}  // namespace standin

using namespace standin;

extern "C" {

__declspec(dllexport) HRESULT WINAPI DllGetActivationFactory(HSTRING classId, IActivationFactory** factory) {
  if (factory == nullptr) return E_POINTER;
  *factory = nullptr;
  const ustring name = FromHString(classId);
  if (name == cPackageManagerClass) *factory = new TFactory(TFactory::kManager);
  else if (name == cAddPackageOptionsClass) *factory = new TFactory(TFactory::kOptions);
  else if (name == cUriClass) *factory = new TFactory(TFactory::kUri);
  return *factory != nullptr ? S_OK : REGDB_E_CLASSNOTREG;
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

// Starts over with a scenario text (see standin_scenario.h); 0 when malformed.
__declspec(dllexport) int StandInLoadScenario(const char* text) { return LoadScenario(text != nullptr ? text : "") ? 1 : 0; }
// Waits until every operation's thread has ended.
__declspec(dllexport) void StandInWaitIdle() { WaitIdle(); }
__declspec(dllexport) long StandInLiveObjects() { return LiveObjects(); }
__declspec(dllexport) long StandInOverReleases() { return OverReleases(); }
// What is alive or was released too often, one line each; the length written.
__declspec(dllexport) int StandInDescribe(char* buffer, int size) {
  const std::string text = Describe();
  if (buffer == nullptr || size <= 0) return 0;
  const int n = static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}
// The registered packages, the removals asked for and the additions
// ("package URI|external location URI"), each a line.
__declspec(dllexport) int StandInState(int what, wchar_t* buffer, int size) {
  ustring text;
  {
    std::lock_guard<std::mutex> guard(Service().lock);
    if (what == 0) for (const ustring& name : Service().packages) text += name + u"\n";
    if (what == 1) for (const ustring& name : Service().removals) text += name + u"\n";
    if (what == 2)
      for (const TAddition& a : Service().additions) text += a.packageUri + u"|" + a.externalLocationUri + u"\n";
  }
  if (buffer == nullptr || size <= 0) return 0;
  const int n = static_cast<int>(std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n) * 2);
  buffer[n] = L'\0';
  return n;
}

}  // extern "C"

// When the process ends: with CORVALIN_DEPLOY_STANDIN_REPORT set, what was
// left alive or released too often goes to that file, for a test that ran
// the service in another process (the setup itself).
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_DETACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  const DWORD n = ::GetEnvironmentVariableW(L"CORVALIN_DEPLOY_STANDIN_REPORT", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  std::string text = "objects alive: " + std::to_string(LiveObjects()) +
                     ", released too often: " + std::to_string(OverReleases()) + "\r\n" + Describe();
  // A thread ended by the process's exit may have held the lock: never wait for it here.
  std::unique_lock<std::mutex> guard(Service().lock, std::try_to_lock);
  if (guard.owns_lock()) {
    for (const ustring& name : Service().packages) {
      text += "registered: ";
      for (char16_t c : name) text += static_cast<char>(c < 0x80 ? c : '?');
      text += "\r\n";
    }
  }
  HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  return TRUE;
}
