// The shortcuts of the product: the links of CutEntries in the product's
// Start-menu folder and the main program's link on the all-users desktop.
#pragma once
#include "common/types.h"
#include "uninstall/uninst_report.h"

// Deletes each link that still points into folder (the installation folder),
// then the Start-menu folder when it is empty; a link that points elsewhere
// is someone else's and stays, and so does its folder.
void RemoveShortCuts(const ustring& folder, TUnReport& report);
