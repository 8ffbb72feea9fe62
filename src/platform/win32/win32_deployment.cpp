// The package deployment service on the real Windows Runtime. Object
// references crossing the seam are the interface pointers themselves, each
// holding one reference.
#include <windows.h>
#include <shlwapi.h>

#include "platform/deploy.h"
#include "platform/win32/win32_deploy_delegates.h"
#include "platform/win32/win32_internal.h"
#include "platform/win32/win32_winrt.h"
#include "platform/win32/win32_winrt_abi.h"

using namespace winrt_abi;

namespace {

constexpr int cRoInitSingleThreaded = 0;  // RO_INIT_SINGLETHREADED

template <class T>
T* As(TDeployObj object) {
  return reinterpret_cast<T*>(object);
}
template <class T>
TDeployObj Obj(T* object) {
  return reinterpret_cast<TDeployObj>(object);
}

class TWin32Deployment : public IDeployment {
 public:
  bool RuntimePresent() override {
    // Loaded by name (an API set) and freed again: only the presence counts here.
    HMODULE lib = ::LoadLibraryW(L"api-ms-win-core-winrt-l1-1-0.dll");
    if (lib == nullptr) return false;
    const bool found = ::GetProcAddress(lib, "RoInitialize") != nullptr;
    ::FreeLibrary(lib);
    return found;
  }

  std::int32_t RoInitialize() override {
    const TWinRTApi& api = WinRT();
    return api.roInitialize != nullptr ? api.roInitialize(cRoInitSingleThreaded) : api.missing;
  }

  void RoUninitialize() override {
    if (WinRT().roUninitialize != nullptr) WinRT().roUninitialize();
  }

  std::int32_t GetActivationFactory(const ustring& className, TDeployObj& factory) override {
    factory = 0;
    THString name(className);
    if (FAILED(name.Code())) return name.Code();
    const TWinRTApi& api = WinRT();
    if (api.roGetActivationFactory == nullptr) return api.missing;
    IActivationFactory* found = nullptr;
    const HRESULT result =
        api.roGetActivationFactory(name.Get(), winrt_abi::ToGuid(cIidIActivationFactory), reinterpret_cast<void**>(&found));
    if (SUCCEEDED(result)) factory = Obj(found);
    return result;
  }

  std::int32_t ActivateInstance(TDeployObj factory, const TGuid& iid, TDeployObj& object) override {
    object = 0;
    if (factory == 0) return E_POINTER;
    TComPtr<IInspectable> instance;
    HRESULT result = As<IActivationFactory>(factory)->ActivateInstance(instance.Put());
    if (FAILED(result)) return result;
    if (!instance) return E_POINTER;
    void* answer = nullptr;
    result = instance->QueryInterface(winrt_abi::ToGuid(iid), &answer);
    if (SUCCEEDED(result)) object = reinterpret_cast<TDeployObj>(answer);
    return result;
  }

  void Release(TDeployObj object) override {
    if (object != 0) As<IUnknown>(object)->Release();
  }

  TRtResult FindPackagesByUserSecurityIdPackageFamilyName(
      TDeployObj manager, const ustring& userSid, const ustring& familyName,
      const std::function<bool(const ustring& fullName)>& visit) override {
    TRtResult result;
    THString family(familyName);
    result.textCode = family.Code();
    if (FAILED(result.textCode)) return result;
    THString sid(userSid);
    result.textCode = sid.Code();
    if (FAILED(result.textCode)) return result;
    TComPtr<IPackageIterable> packages;
    result.callCode =
        As<IPackageManager>(manager)->FindPackagesByUserSecurityIdPackageFamilyName(sid.Get(), family.Get(),
                                                                                    packages.Put());
    if (FAILED(result.callCode) || !packages) return result;
    result.callCode = Walk(*packages.Get(), visit);
    return result;
  }

  TRtResult RemovePackageWithOptionsAsync(TDeployObj manager2, const ustring& fullName, std::uint32_t options,
                                          TDeployObj& operation) override {
    operation = 0;
    TRtResult result;
    THString name(fullName);
    result.textCode = name.Code();
    if (FAILED(result.textCode)) return result;
    IDeploymentOperation* started = nullptr;
    result.callCode = As<IPackageManager2>(manager2)->RemovePackageWithOptionsAsync(name.Get(), options, &started);
    if (SUCCEEDED(result.callCode)) operation = Obj(started);
    return result;
  }

  std::int32_t AddPackageByUriAsync(TDeployObj manager9, TDeployObj packageUri, TDeployObj options,
                                    TDeployObj& operation) override {
    operation = 0;
    IDeploymentOperation* started = nullptr;
    const HRESULT result = As<IPackageManager9>(manager9)->AddPackageByUriAsync(
        As<IUriRuntimeClass>(packageUri), As<IAddPackageOptions>(options), &started);
    if (SUCCEEDED(result)) operation = Obj(started);
    return result;
  }

  std::int32_t PutExternalLocationUri(TDeployObj options, TDeployObj uri) override {
    return As<IAddPackageOptions>(options)->put_ExternalLocationUri(As<IUriRuntimeClass>(uri));
  }

  TRtResult CreateUri(const ustring& text, TDeployObj& uri) override {
    uri = 0;
    TRtResult result;
    THString string(text);
    result.textCode = string.Code();
    if (FAILED(result.textCode)) return result;
    // The factory is fetched for each call and released before the caller's
    // apartment ends: an interface kept past the thread's last RoUninitialize
    // may point into a library that is gone.
    THString className(cUriClass);
    const TWinRTApi& api = WinRT();
    if (FAILED(className.Code()) || api.roGetActivationFactory == nullptr) {
      result.callCode = FAILED(className.Code()) ? className.Code() : api.missing;
      return result;
    }
    TComPtr<IUriRuntimeClassFactory> factory;
    result.callCode = api.roGetActivationFactory(className.Get(), winrt_abi::ToGuid(cIidIUriRuntimeClassFactory),
                                                 reinterpret_cast<void**>(factory.Put()));
    if (FAILED(result.callCode)) return result;
    IUriRuntimeClass* made = nullptr;
    result.callCode = factory->CreateUri(string.Get(), &made);
    if (SUCCEEDED(result.callCode)) uri = Obj(made);
    return result;
  }

  std::int32_t UrlCreateFromPathW(const ustring& path, char16_t* buffer, std::uint32_t& size) override {
    DWORD units = size;
    const HRESULT result = ::UrlCreateFromPathW(W(path), reinterpret_cast<wchar_t*>(buffer), &units, 0);
    size = units;
    return result;
  }

  std::int32_t PutCompleted(TDeployObj operation, std::shared_ptr<IAsyncCompletedHandler> handler) override {
    TComPtr<ICompletedDelegate> made;
    *made.Put() = NewCompletedDelegate(std::move(handler));
    // Handed over as the delegate's interface, asked for by its id.
    TComPtr<ICompletedDelegate> delegate;
    const HRESULT asked = made->QueryInterface(winrt_abi::ToGuid(cIidCompletedHandler),
                                               reinterpret_cast<void**>(delegate.Put()));
    if (FAILED(asked)) return asked;
    return As<IDeploymentOperation>(operation)->put_Completed(delegate.Get());
  }

  std::int32_t PutProgress(TDeployObj operation, std::shared_ptr<IAsyncProgressHandler> handler) override {
    TComPtr<IProgressDelegate> made;
    *made.Put() = NewProgressDelegate(std::move(handler));
    TComPtr<IProgressDelegate> delegate;
    const HRESULT asked = made->QueryInterface(winrt_abi::ToGuid(cIidProgressHandler),
                                               reinterpret_cast<void**>(delegate.Put()));
    if (FAILED(asked)) return asked;
    return As<IDeploymentOperation>(operation)->put_Progress(delegate.Get());
  }

  std::int32_t GetResults(TDeployObj operation, std::int32_t& extendedCode, ustring& errorText) override {
    extendedCode = 0;
    errorText.clear();
    TComPtr<IDeploymentResult> results;
    HRESULT result = As<IDeploymentOperation>(operation)->GetResults(results.Put());
    if (FAILED(result)) return result;
    if (!results) return E_POINTER;
    HRESULT code = S_OK;
    result = results->get_ExtendedErrorCode(&code);
    if (FAILED(result)) return result;
    extendedCode = code;
    HSTRING text = nullptr;
    result = results->get_ErrorText(&text);
    if (FAILED(result)) return result;
    errorText = TakeHString(text);
    return S_OK;
  }

  std::uint32_t CreateEventW(THandle& event) override {
    HANDLE made = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    event = reinterpret_cast<THandle>(made);
    return made != nullptr ? ERROR_SUCCESS : ::GetLastError();
  }

  bool SetEvent(THandle event) override { return ::SetEvent(reinterpret_cast<HANDLE>(event)) != FALSE; }
  bool ResetEvent(THandle event) override { return ::ResetEvent(reinterpret_cast<HANDLE>(event)) != FALSE; }
  void CloseEvent(THandle event) override { ::CloseHandle(reinterpret_cast<HANDLE>(event)); }

  std::uint32_t MsgWaitForEvents(const TEventPair& events) override {
    HANDLE handles[2] = {reinterpret_cast<HANDLE>(events[0]), reinterpret_cast<HANDLE>(events[1])};
    const DWORD result = ::MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0 + 2) {
      // A callback may come through this thread's queue: let it run.
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    return result;
  }

 private:
  // Reads the full names of the collection in its order until visit answers
  // true: what comes after the match is never touched, so that it cannot fail
  // the lookup.
  static HRESULT Walk(IPackageIterable& packages, const std::function<bool(const ustring& fullName)>& visit) {
    TComPtr<IPackageIterator> it;
    HRESULT result = packages.First(it.Put());
    if (FAILED(result) || !it) return result;
    WinRTBool hasCurrent = 0;
    result = it->get_HasCurrent(&hasCurrent);
    while (SUCCEEDED(result) && hasCurrent) {
      TComPtr<IPackage> package;
      result = it->get_Current(package.Put());
      if (FAILED(result) || !package) return FAILED(result) ? result : E_POINTER;
      TComPtr<IPackageId> id;
      result = package->get_Id(id.Put());
      if (FAILED(result) || !id) return FAILED(result) ? result : E_POINTER;
      HSTRING fullName = nullptr;
      result = id->get_FullName(&fullName);
      if (FAILED(result)) return result;
      if (visit(TakeHString(fullName))) return S_OK;
      result = it->MoveNext(&hasCurrent);
    }
    return result;
  }
};

}  // namespace

IDeployment& Win32Deployment() {
  static TWin32Deployment deployment;
  return deployment;
}
