// The Windows 11 context-menu package of the current user.
#pragma once
#include "uninstall/uninst_report.h"

// Removes the registration of the package family for the current user
// through the deployment bridge, when the system takes such packages and one
// is registered. A failed lookup or removal is reported as left.
void RemoveW11ContextMenu(TUnReport& report, const ustring& what);
