// The real Windows backend. This header is safe to include anywhere; only the
// sources in this folder include <windows.h>.
#pragma once
#include "platform/platform.h"

IPlatform* CreateWin32Platform();

// Restricts DLL search to the system folder; called first thing at start-up.
void RestrictDllSearchToSystem();
