// The bridge to the package deployment service, as ordinary blocking calls:
// can this system take the context-menu package, which package of a family is
// registered for the current user, remove one by full name, add a package file
// as a sparse package. Each call opens and closes its own single-threaded
// apartment; a deployment waits for its completion while the thread's
// messages are dispatched and forwards progress to the record's window.
#pragma once
#include <cstdint>

#include "common/types.h"
#include "platform/deploy.h"
#include "shell/w11_async.h"

// Build 22000 or later but not 24000-24999: a system build that takes the package.
bool BuildTakesPackage(std::uint32_t build);
// Build 22000 or later but not 24000-24999, the runtime library present, and the
// package manager's IPackageManager9 obtainable. Never raises.
bool IsW11CtxMenuSupported();

// True when a package with expectedFullName (ASCII case ignored) is registered
// for the current user. foundFullName: the last package of the family visited
// (empty when none). code: the last platform step's HRESULT, E_UNEXPECTED when
// something raised.
bool FindFamilyPackage(const ustring& familyName, const ustring& expectedFullName, ustring& foundFullName,
                       std::int32_t& code);
// Removes the package; true when the removal completed. ap must be initialised.
bool RemovePackageByName(TAsyncParams& ap, const ustring& fullName, std::int32_t& code);
// Registers packagePath as a sparse package with its content in
// externalLocation; true when the registration completed. ap must be initialised.
bool AddSparsePackage(TAsyncParams& ap, const ustring& externalLocation, const ustring& packagePath,
                      std::int32_t& code);

// An instance of a runtime class as interface iid. E_NOINTERFACE when the
// class's factory cannot be had (its own code is not passed on), otherwise the
// result of the activation and query.
std::int32_t ActivateWinRTClass(const ustring& className, const TGuid& iid, TDeployRef& object);
// The path as a file URL ("file:///C:/Program%20Files/..."), or empty.
ustring PathToUrl(const ustring& path);
// A Uri object for the path's URL. Stays empty when the URL text cannot be
// made into a platform string; raises when the platform refuses the URI.
void PathToUri(const ustring& path, TDeployRef& uri);
