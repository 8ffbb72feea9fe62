// Windows Runtime names and interface ids used for package deployment: the
// runtime classes, the interfaces obtained from them, and the ids the two
// handler objects answer. Facts of the Windows ABI, shared by both backends.
#pragma once
#include "platform/platform.h"

inline constexpr char16_t cPackageManagerClass[] = u"Windows.Management.Deployment.PackageManager";
inline constexpr char16_t cAddPackageOptionsClass[] = u"Windows.Management.Deployment.AddPackageOptions";
inline constexpr char16_t cUriClass[] = u"Windows.Foundation.Uri";

inline constexpr TGuid cIidIUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr TGuid cIidIAgileObject{0x94EA2B94, 0xE9CC, 0x49E0, {0xC0, 0xFF, 0xEE, 0x64, 0xCA, 0x8F, 0x5B, 0x90}};
inline constexpr TGuid cIidIActivationFactory{0x00000035, 0x0000, 0x0000,
                                               {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline constexpr TGuid cIidIPackageManager{0x9A7D4B65, 0x5E8F, 0x4FC7, {0xA2, 0xE5, 0x7F, 0x69, 0x25, 0xCB, 0x8B, 0x53}};
inline constexpr TGuid cIidIPackageManager2{0xF7AAD08D, 0x0840, 0x46F2, {0xB5, 0xD8, 0xCA, 0xD4, 0x76, 0x93, 0xA0, 0x95}};
inline constexpr TGuid cIidIPackageManager9{0x1AA79035, 0xCC71, 0x4B2E, {0x80, 0xA6, 0xC7, 0x04, 0x1D, 0x85, 0x79, 0xA7}};
inline constexpr TGuid cIidIAddPackageOptions{0x05CEE018, 0xF68F, 0x422B,
                                               {0x95, 0xA4, 0x66, 0x67, 0x9E, 0xC7, 0x7F, 0xC0}};
inline constexpr TGuid cIidIUriRuntimeClassFactory{0x44A9796F, 0x723E, 0x4FDF,
                                                    {0xA2, 0x18, 0x03, 0x3E, 0x75, 0xB0, 0xC0, 0x84}};

// AsyncOperationWithProgressCompletedHandler<DeploymentResult, DeploymentProgress>:
// the id Windows derives from the delegate's signature, and an older id that
// the completion handler also answers so that nothing asking for it breaks.
inline constexpr TGuid cIidCompletedHandler{0x6E1C7129, 0x61E0, 0x5D88, {0x9F, 0xD4, 0xF3, 0xCE, 0x65, 0xA0, 0x57, 0x19}};
inline constexpr TGuid cIidCompletedHandlerAlt{0x2ABB4ED1, 0x2F62, 0x5ED0,
                                               {0x8D, 0x86, 0x75, 0x5B, 0xEE, 0xBB, 0xB4, 0x30}};
// AsyncOperationProgressHandler<DeploymentResult, DeploymentProgress>, likewise.
inline constexpr TGuid cIidProgressHandler{0xF1B926D1, 0x1796, 0x597A, {0x9B, 0xEA, 0x6C, 0x64, 0x49, 0xD0, 0x3E, 0xEF}};
inline constexpr TGuid cIidProgressHandlerAlt{0x861AC421, 0xB865, 0x5686,
                                              {0x86, 0xC4, 0x49, 0x17, 0xF2, 0x47, 0x50, 0xBB}};

// Whether a handler object answers QueryInterface for iid: IUnknown,
// IAgileObject (the handlers keep no thread-bound state), its delegate's id
// and the delegate's older id. Every other id gets E_NOINTERFACE.
constexpr bool HandlerAnswers(bool completion, const TGuid& iid) {
  if (iid == cIidIUnknown || iid == cIidIAgileObject) return true;
  return completion ? (iid == cIidCompletedHandler || iid == cIidCompletedHandlerAlt)
                    : (iid == cIidProgressHandler || iid == cIidProgressHandlerAlt);
}
