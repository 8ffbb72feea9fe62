// The result of a lookup: an iterable collection of packages, its iterator,
// and each package with its id, which carries the full name.
#include "standin_service.h"

using namespace winrt_abi;

namespace standin {
namespace {

class TPackageId final : public TCounted, public IPackageId {
 public:
  explicit TPackageId(ustring fullName) : TCounted("PackageId"), fullName_(std::move(fullName)) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable) || Same(iid, cIidIPackageId))
      return static_cast<IPackageId*>(this);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE get_Name(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Version(void*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Architecture(void*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResourceId(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Publisher(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_PublisherId(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FullName(HSTRING* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    TService& service = Service();
    {
      std::lock_guard<std::mutex> guard(service.lock);
      if (++service.fullNameReads == service.scenario.fullNameFails) return E_FAIL;
    }
    return ToHString(fullName_, value);
  }
  HRESULT STDMETHODCALLTYPE get_FamilyName(HSTRING* value) override { return ToHString(FamilyOf(fullName_), value); }

 private:
  ustring fullName_;
};

class TPackage final : public TCounted, public IPackage {
 public:
  explicit TPackage(ustring fullName) : TCounted("Package"), fullName_(std::move(fullName)) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable) || Same(iid, cIidIPackage))
      return static_cast<IPackage*>(this);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE get_Id(IPackageId** value) override {
    if (value == nullptr) return E_POINTER;
    *value = new TPackageId(fullName_);
    return S_OK;
  }

 private:
  ustring fullName_;
};

class TPackageIterator final : public TCounted, public IPackageIterator {
 public:
  explicit TPackageIterator(std::vector<ustring> fullNames)
      : TCounted("PackageIterator"), fullNames_(std::move(fullNames)) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable) || Same(iid, cIidPackageIterator))
      return static_cast<IPackageIterator*>(this);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE get_Current(IPackage** current) override {
    if (current == nullptr) return E_POINTER;
    *current = nullptr;
    if (next_ >= fullNames_.size()) return static_cast<HRESULT>(0x8000000Bu);  // E_BOUNDS
    *current = new TPackage(fullNames_[next_]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_HasCurrent(WinRTBool* hasCurrent) override {
    if (hasCurrent == nullptr) return E_POINTER;
    *hasCurrent = next_ < fullNames_.size();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MoveNext(WinRTBool* hasCurrent) override {
    if (hasCurrent == nullptr) return E_POINTER;
    if (next_ < fullNames_.size()) ++next_;
    *hasCurrent = next_ < fullNames_.size();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMany(UINT32, IPackage**, UINT32*) override { return E_NOTIMPL; }

 private:
  std::vector<ustring> fullNames_;
  std::size_t next_ = 0;
};

class TPackageIterable final : public TCounted, public IPackageIterable {
 public:
  explicit TPackageIterable(std::vector<ustring> fullNames)
      : TCounted("PackageIterable"), fullNames_(std::move(fullNames)) {}
  STANDIN_INSPECTABLE
  void* Answers(const GUID& iid) override {
    if (Same(iid, cIidIUnknown) || Same(iid, cIidIInspectable) || Same(iid, cIidPackageIterable))
      return static_cast<IPackageIterable*>(this);
    return nullptr;
  }
  HRESULT STDMETHODCALLTYPE First(IPackageIterator** first) override {
    if (first == nullptr) return E_POINTER;
    *first = new TPackageIterator(fullNames_);
    return S_OK;
  }

 private:
  std::vector<ustring> fullNames_;
};

}  // namespace

IPackageIterable* NewPackageIterable(std::vector<ustring> fullNames) {
  return new TPackageIterable(std::move(fullNames));
}

}  // namespace standin
