#include "uninstall/uninst_package.h"

#include "shell/w11_ctx_menu.h"
#include "shell/w11_msix.h"

void RemoveW11ContextMenu(TUnReport& report, const ustring& what) {
  if (!IsW11CtxMenuSupported()) return;  // not eligible: the setup registered nothing either
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
