#include "uninstall/uninst_package.h"

#include "shell/w11_ctx_menu.h"
#include "shell/w11_msix.h"
#include "platform/platform.h"

void RemoveW11ContextMenu(TUnReport& report, const ustring& what) {
  // Not eligible (an older system, or no runtime): the setup registered
  // nothing either. A system that can't tell is no such system.
  std::uint32_t major = 0, minor = 0, build = 0;
  if (!Os().GetVersionExW(major, minor, build)) {
    report.urLeft.push_back(what);
    return;
  }
  if (!BuildTakesPackage(build) || !Os().Deploy().RuntimePresent()) return;
  if (!IsW11CtxMenuSupported()) {
    report.urLeft.push_back(what);  // eligible, but the package manager can't be reached
    return;
  }
  ustring found;
  std::int32_t code = 0;
  // True: the setup's own package; otherwise found names any other of the
  // family (an older version), which is the product's all the same.
  const bool exact = FindFamilyPackage(cPkgFamily, cPkgFullName, found, code);
  if (!exact && code < 0) {
    report.urLeft.push_back(what);
    return;
  }
  const ustring name = exact ? ustring(cPkgFullName) : found;
  if (name.empty()) return;
  TAsyncParams params;
  InitAsyncParams(params, 0, 0, 0);
  code = 0;
  bool removed = false;
  try {
    removed = RemovePackageByName(params, name, code);
  } catch (...) {
    removed = false;
  }
  DoneAsyncParams(params);
  if (!removed) report.urLeft.push_back(what);
}
