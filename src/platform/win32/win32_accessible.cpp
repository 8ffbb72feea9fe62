#include "platform/win32/win32_accessible.h"

#include <oleacc.h>

#include "platform/win32/win32_internal.h"

namespace {

using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

// oleacc from the system folder only, loaded on the first request: most
// runs never meet a screen reader.
struct TOleacc {
  CreateStdFn createStd = nullptr;
  LresultFn lresult = nullptr;
  TOleacc() {
    HMODULE lib = LoadSystemLibrary(L"oleacc.dll");
    if (lib == nullptr) return;
    createStd = reinterpret_cast<CreateStdFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "CreateStdAccessibleObject")));
    lresult = reinterpret_cast<LresultFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "LresultFromObject")));
  }
};
const TOleacc& Oleacc() {
  static TOleacc api;
  return api;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the control, except for its own name.
class TNamedAccessible final : public IAccessible {
 public:
  TNamedAccessible(IAccessible* inner, std::wstring name) : inner_(inner), name_(std::move(name)) {}
  TNamedAccessible(const TNamedAccessible&) = delete;
  TNamedAccessible& operator=(const TNamedAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // Window and enumeration services stay the system object's.
    return inner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
    return inner_->GetTypeInfo(i, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, n, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT* arg) override {
    return inner_->Invoke(id, iid, lcid, flags, params, result, info, arg);
  }
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return inner_->get_accName(child, name);
    if (name == nullptr) return E_POINTER;
    *name = ::SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return inner_->get_accChildCount(n); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override { return inner_->get_accChild(c, p); }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return inner_->get_accValue(c, v); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* d) override { return inner_->get_accDescription(c, d); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return inner_->get_accRole(c, r); }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override { return inner_->get_accState(c, s); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return inner_->get_accHelp(c, h); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return inner_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
    return inner_->get_accKeyboardShortcut(c, k);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override { return inner_->get_accFocus(c); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override { return inner_->get_accSelection(c); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
    return inner_->get_accDefaultAction(c, a);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT c) override { return inner_->accSelect(flags, c); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
    return inner_->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(dir, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override { return inner_->accHitTest(x, y, c); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return inner_->accDoDefaultAction(c); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return inner_->put_accName(c, n); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return inner_->put_accValue(c, v); }

 private:
  ~TNamedAccessible() { inner_->Release(); }
  LONG refs_ = 1;
  IAccessible* inner_;
  std::wstring name_;
};

}  // namespace

bool AnswerAccessibleName(HWND control, WPARAM wp, LPARAM lp, const std::wstring& name, LRESULT& result) {
  if (static_cast<LONG>(lp) != static_cast<LONG>(OBJID_CLIENT) || name.empty()) return false;
  const TOleacc& api = Oleacc();
  if (api.createStd == nullptr || api.lresult == nullptr) return false;
  IAccessible* inner = nullptr;
  if (FAILED(api.createStd(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&inner))) ||
      inner == nullptr)
    return false;
  auto* named = new TNamedAccessible(inner, name);  // owns inner from here on
  result = api.lresult(IID_IAccessible, wp, static_cast<IAccessible*>(named));
  named->Release();  // LresultFromObject holds its own reference while the caller needs it
  return result > 0;
}
