// The Windows Runtime interfaces of package deployment, declared by hand: the
// toolchain's headers lack them. Only the slots that are called carry their
// real parameters; the others hold their place in the table so that the
// called ones sit at the right index (slots 0-2 IUnknown, 3-5 IInspectable).
#pragma once
#include <windows.h>
#include <inspectable.h>

#include <cstring>

#include "platform/platform.h"

namespace winrt_abi {

inline GUID ToGuid(const TGuid& id) {
  static_assert(sizeof(GUID) == sizeof(TGuid));
  GUID guid;
  std::memcpy(&guid, &id, sizeof guid);
  return guid;
}
inline TGuid FromGuid(const GUID& id) {
  TGuid guid;
  std::memcpy(&guid, &id, sizeof guid);
  return guid;
}

using WinRTBool = unsigned char;  // the runtime's boolean is one byte

struct DeploymentProgress {  // 8 bytes, passed by value
  INT32 state;
  UINT32 percentage;
};

struct IUriRuntimeClass : IInspectable {};  // passed through only

struct IUriRuntimeClassFactory : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE CreateUri(HSTRING uri, IUriRuntimeClass** instance) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE CreateWithRelativeUri(HSTRING base, HSTRING relative,
                                                          IUriRuntimeClass** instance) = 0;  // 7
};

struct IActivationFactory : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) = 0;  // 6
};

struct IDeploymentResult : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_ErrorText(HSTRING* value) = 0;          // 6
  virtual HRESULT STDMETHODCALLTYPE get_ActivityId(GUID* value) = 0;            // 7
  virtual HRESULT STDMETHODCALLTYPE get_ExtendedErrorCode(HRESULT* value) = 0;  // 8
};

struct IDeploymentOperation;  // IAsyncOperationWithProgress<DeploymentResult, DeploymentProgress>

// The two delegates derive from IUnknown only: Invoke is slot 3.
struct ICompletedDelegate : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(IDeploymentOperation* operation, INT32 status) = 0;
};
struct IProgressDelegate : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Invoke(IDeploymentOperation* operation, DeploymentProgress progress) = 0;
};

struct IDeploymentOperation : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE put_Progress(IProgressDelegate* handler) = 0;      // 6
  virtual HRESULT STDMETHODCALLTYPE get_Progress(IProgressDelegate** handler) = 0;     // 7
  virtual HRESULT STDMETHODCALLTYPE put_Completed(ICompletedDelegate* handler) = 0;    // 8
  virtual HRESULT STDMETHODCALLTYPE get_Completed(ICompletedDelegate** handler) = 0;   // 9
  virtual HRESULT STDMETHODCALLTYPE GetResults(IDeploymentResult** results) = 0;       // 10
};

struct IPackageId : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING*) = 0;          // 6
  virtual HRESULT STDMETHODCALLTYPE get_Version(void*) = 0;          // 7
  virtual HRESULT STDMETHODCALLTYPE get_Architecture(void*) = 0;     // 8
  virtual HRESULT STDMETHODCALLTYPE get_ResourceId(HSTRING*) = 0;    // 9
  virtual HRESULT STDMETHODCALLTYPE get_Publisher(HSTRING*) = 0;     // 10
  virtual HRESULT STDMETHODCALLTYPE get_PublisherId(HSTRING*) = 0;   // 11
  virtual HRESULT STDMETHODCALLTYPE get_FullName(HSTRING* value) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE get_FamilyName(HSTRING*) = 0;    // 13
};

struct IPackage : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Id(IPackageId** value) = 0;  // 6
};

struct IPackageIterator : IInspectable {  // IIterator<Package>
  virtual HRESULT STDMETHODCALLTYPE get_Current(IPackage** current) = 0;       // 6
  virtual HRESULT STDMETHODCALLTYPE get_HasCurrent(WinRTBool* hasCurrent) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE MoveNext(WinRTBool* hasCurrent) = 0;        // 8
  virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32, IPackage**, UINT32*) = 0;   // 9
};

struct IPackageIterable : IInspectable {  // IIterable<Package>
  virtual HRESULT STDMETHODCALLTYPE First(IPackageIterator** first) = 0;  // 6
};

struct IPackageManager : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE AddPackageAsync() = 0;                                  // 6
  virtual HRESULT STDMETHODCALLTYPE UpdatePackageAsync() = 0;                               // 7
  virtual HRESULT STDMETHODCALLTYPE RemovePackageAsync() = 0;                               // 8
  virtual HRESULT STDMETHODCALLTYPE StagePackageAsync() = 0;                                // 9
  virtual HRESULT STDMETHODCALLTYPE RegisterPackageAsync() = 0;                             // 10
  virtual HRESULT STDMETHODCALLTYPE FindPackages() = 0;                                     // 11
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityId() = 0;                     // 12
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByNamePublisher() = 0;                      // 13
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdNamePublisher() = 0;        // 14
  virtual HRESULT STDMETHODCALLTYPE FindUsers() = 0;                                        // 15
  virtual HRESULT STDMETHODCALLTYPE SetPackageState() = 0;                                  // 16
  virtual HRESULT STDMETHODCALLTYPE FindPackageByPackageFullName() = 0;                     // 17
  virtual HRESULT STDMETHODCALLTYPE CleanupPackageForUserAsync() = 0;                       // 18
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByPackageFamilyName() = 0;                  // 19
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdPackageFamilyName(
      HSTRING userSecurityId, HSTRING packageFamilyName, IPackageIterable** packages) = 0;  // 20
  virtual HRESULT STDMETHODCALLTYPE FindPackageByUserSecurityIdPackageFullName() = 0;       // 21
};

struct IPackageManager2 : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE RemovePackageWithOptionsAsync(HSTRING packageFullName, UINT32 removalOptions,
                                                                  IDeploymentOperation** operation) = 0;  // 6
};

struct IAddPackageOptions;

struct IPackageManager9 : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE FindProvisionedPackages() = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE AddPackageByUriAsync(IUriRuntimeClass* packageUri, IAddPackageOptions* options,
                                                         IDeploymentOperation** operation) = 0;  // 7
};

struct IAddPackageOptions : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_DependencyPackageUris() = 0;       // 6
  virtual HRESULT STDMETHODCALLTYPE get_TargetVolume() = 0;               // 7
  virtual HRESULT STDMETHODCALLTYPE put_TargetVolume() = 0;               // 8
  virtual HRESULT STDMETHODCALLTYPE get_OptionalPackageFamilyNames() = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE get_OptionalPackageUris() = 0;        // 10
  virtual HRESULT STDMETHODCALLTYPE get_RelatedPackageUris() = 0;         // 11
  virtual HRESULT STDMETHODCALLTYPE get_ExternalLocationUri(IUriRuntimeClass** value) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE put_ExternalLocationUri(IUriRuntimeClass* value) = 0;   // 13
};

}  // namespace winrt_abi
