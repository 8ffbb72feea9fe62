#include "shell/w11_msix.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include "common/utils.h"

namespace {

constexpr std::uint32_t cMaxUrlLength = 2084;  // INTERNET_MAX_URL_LENGTH

// The builds that take the context-menu package, first and last inclusive:
// Windows 11 from its first build (22000) on, 24H2 and later (26100 up)
// included, but not 24000-24999. Whether the system really has the package
// manager's IPackageManager9 is asked afterwards; the build only rules out
// the systems that cannot have it.
struct TBuildRange {
  std::uint32_t first, last;
};
constexpr TBuildRange cPackageBuilds[] = {{22000, 23999}, {25000, 0xFFFFFFFFu}};

// A refusal of the platform that the deployment operations turn into E_UNEXPECTED.
class EWinRTCall : public std::runtime_error {
 public:
  EWinRTCall() : std::runtime_error("Windows Runtime call refused") {}
};

void Check(std::int32_t code) {
  if (code < 0) throw EWinRTCall();
}

// A single-threaded apartment of the calling thread for one operation. Declared
// before the references it holds, so it ends after they are released.
class TRoApartment {
 public:
  TRoApartment() : code_(Os().Deploy().RoInitialize()) {}
  ~TRoApartment() {
    if (code_ >= 0) Os().Deploy().RoUninitialize();
  }
  TRoApartment(const TRoApartment&) = delete;
  TRoApartment& operator=(const TRoApartment&) = delete;
  std::int32_t Code() const { return code_; }

 private:
  std::int32_t code_;
};

// Cuts both handlers loose from the record when the wait is over, on every
// path: the platform may keep them (late progress, or a wait that ended before
// the deployment did), and the record dies with the caller's frame.
class THandlerDetach {
 public:
  THandlerDetach(std::shared_ptr<TAsyncStatusHandler> status, std::shared_ptr<TAsyncProgHandler> progress)
      : status_(std::move(status)), progress_(std::move(progress)) {}
  ~THandlerDetach() {
    status_->Detach();
    progress_->Detach();
  }
  THandlerDetach(const THandlerDetach&) = delete;
  THandlerDetach& operator=(const THandlerDetach&) = delete;

 private:
  std::shared_ptr<TAsyncStatusHandler> status_;
  std::shared_ptr<TAsyncProgHandler> progress_;
};

bool AttachAndWait(TAsyncParams& ap, TDeployObj operation) {
  auto status = std::make_shared<TAsyncStatusHandler>(&ap);
  auto progress = std::make_shared<TAsyncProgHandler>(&ap);
  THandlerDetach detach(status, progress);
  Check(Os().Deploy().PutCompleted(operation, status));
  Check(Os().Deploy().PutProgress(operation, progress));
  return WaitForDeployment(ap);
}

}  // namespace

bool BuildTakesPackage(std::uint32_t build) {
  return std::any_of(std::begin(cPackageBuilds), std::end(cPackageBuilds),
                     [build](const TBuildRange& range) { return build >= range.first && build <= range.last; });
}

bool IsW11CtxMenuSupported() {
  try {
    std::uint32_t major = 0, minor = 0, build = 0;
    if (!Os().GetVersionExW(major, minor, build) || !BuildTakesPackage(build)) return false;
    // Before anything of the runtime is called: a system without it must never
    // reach those functions.
    if (!Os().Deploy().RuntimePresent()) return false;
    TRoApartment apartment;
    if (apartment.Code() != cS_OK && apartment.Code() != cS_FALSE) return false;
    TDeployRef manager;
    return ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager9, manager) == cS_OK && manager;
  } catch (...) {
    return false;
  }
}

std::int32_t ActivateWinRTClass(const ustring& className, const TGuid& iid, TDeployRef& object) {
  object.Reset();
  TDeployRef factory;
  if (Os().Deploy().GetActivationFactory(className, factory.Put()) < 0 || !factory) return cE_NOINTERFACE;
  return Os().Deploy().ActivateInstance(factory.Get(), iid, object.Put());
}

ustring PathToUrl(const ustring& path) {
  std::vector<char16_t> buffer(cMaxUrlLength, u'\0');
  std::uint32_t size = cMaxUrlLength;
  const std::int32_t code = Os().Deploy().UrlCreateFromPathW(path, buffer.data(), size);
  if (code != cS_OK && code != cS_FALSE) return {};
  return ustring(buffer.data(), std::min(size, cMaxUrlLength));
}

void PathToUri(const ustring& path, TDeployRef& uri) {
  const ustring url = PathToUrl(path);
  const TRtResult result = Os().Deploy().CreateUri(url, uri.Put());
  if (result.textCode < 0) return;
  Check(result.callCode);
}

bool FindFamilyPackage(const ustring& familyName, const ustring& expectedFullName, ustring& foundFullName,
                       std::int32_t& code) {
  foundFullName.clear();
  bool match = false;
  try {
    TRoApartment apartment;
    code = apartment.Code();
    if (code < 0) return false;
    TDeployRef manager;
    code = ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager, manager);
    if (code < 0) return false;
    const ustring wanted = LowerAscii(expectedFullName);
    // The walk stops at the match: a package after it that cannot be read must
    // not turn "found" into a failed lookup. An empty security id means the
    // current user.
    const TRtResult result = Os().Deploy().FindPackagesByUserSecurityIdPackageFamilyName(
        manager.Get(), u"", familyName, [&](const ustring& fullName) {
          foundFullName = fullName;
          match = LowerAscii(fullName) == wanted;
          return match;
        });
    code = result.textCode;
    if (code < 0) return false;
    Check(result.callCode);
  } catch (...) {
    code = cE_UNEXPECTED;
    match = false;
  }
  return match;
}

bool RemovePackageByName(TAsyncParams& ap, const ustring& fullName, std::int32_t& code) {
  bool completed = false;
  try {
    TRoApartment apartment;
    code = apartment.Code();
    if (code < 0) return false;
    TDeployRef manager;
    code = ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager2, manager);
    if (code < 0) return false;
    TDeployRef operation;
    const TRtResult result =
        Os().Deploy().RemovePackageWithOptionsAsync(manager.Get(), fullName, cRemovalNone, operation.Put());
    code = result.textCode;
    if (code < 0) return false;
    Check(result.callCode);
    if (operation) completed = AttachAndWait(ap, operation.Get());
  } catch (...) {
    code = cE_UNEXPECTED;
    completed = false;
  }
  return completed;
}

bool AddSparsePackage(TAsyncParams& ap, const ustring& externalLocation, const ustring& packagePath,
                      std::int32_t& code) {
  bool completed = false;
  try {
    TRoApartment apartment;
    code = apartment.Code();
    if (code < 0) return false;
    TDeployRef manager;
    code = ActivateWinRTClass(cPackageManagerClass, cIidIPackageManager9, manager);
    if (code < 0) return false;
    TDeployRef options;
    code = ActivateWinRTClass(cAddPackageOptionsClass, cIidIAddPackageOptions, options);
    if (code < 0) return false;
    // The external location is the only option set; the others keep their defaults.
    TDeployRef location;
    PathToUri(externalLocation, location);
    Check(Os().Deploy().PutExternalLocationUri(options.Get(), location.Get()));
    TDeployRef package;
    PathToUri(packagePath, package);
    TDeployRef operation;
    Check(Os().Deploy().AddPackageByUriAsync(manager.Get(), package.Get(), options.Get(), operation.Put()));
    if (operation) completed = AttachAndWait(ap, operation.Get());
  } catch (...) {
    code = cE_UNEXPECTED;
    completed = false;
  }
  return completed;
}
