// Entry point of Corvalin-Setup.exe.
#include "app/setup_run.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"

int wmain() {
  // Before anything can load a library: only the system folder is searched.
  RestrictDllSearchToSystem();
  // The exit code tells success from every kind of failure (catalogue/exit_codes.h).
  return static_cast<int>(RunSetup(Os().GetProcessCommandLine()));
}
