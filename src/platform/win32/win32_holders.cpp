// The Restart Manager is resolved at run time from the system folder: the
// question is only asked when an uninstallation meets a held file, and a
// system without it (Wine 8 has the library but lists no processes) still
// removes the product; the user is then told the file's name only.
#include "platform/win32/win32_holders.h"

#include <windows.h>
#include <restartmanager.h>

#include "platform/win32/win32_internal.h"

namespace {

using RmStartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RmRegisterResourcesFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using RmGetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);
using RmEndSessionFn = DWORD(WINAPI*)(DWORD);

// Room for the holders of one file; more than this are not named.
constexpr UINT cMaxHolders = 8;

struct TRestartManager {
  RmStartSessionFn start = nullptr;
  RmRegisterResourcesFn add = nullptr;
  RmGetListFn list = nullptr;
  RmEndSessionFn end = nullptr;
  TRestartManager() {
    HMODULE lib = LoadSystemLibrary(L"rstrtmgr.dll");
    if (lib == nullptr) return;
    start = reinterpret_cast<RmStartSessionFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "RmStartSession")));
    add = reinterpret_cast<RmRegisterResourcesFn>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "RmRegisterResources")));
    list = reinterpret_cast<RmGetListFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "RmGetList")));
    end = reinterpret_cast<RmEndSessionFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "RmEndSession")));
  }
  bool Usable() const { return start && add && list && end; }
};

const TRestartManager& RestartManager() {
  static TRestartManager api;
  return api;
}

}  // namespace

namespace win32_holders {

std::vector<ustring> ProgramsHolding(const ustring& path) {
  std::vector<ustring> names;
  const TRestartManager& rm = RestartManager();
  if (!rm.Usable()) return names;
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (rm.start(&session, 0, key) != ERROR_SUCCESS) return names;
  LPCWSTR files[] = {W(path)};
  if (rm.add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
    RM_PROCESS_INFO info[cMaxHolders] = {};
    UINT needed = 0;
    UINT count = cMaxHolders;
    DWORD reasons = 0;
    const DWORD err = rm.list(session, &needed, &count, info, &reasons);
    // ERROR_MORE_DATA: more holders than room; the first ones are named.
    if (err == ERROR_SUCCESS || err == ERROR_MORE_DATA) {
      for (UINT i = 0; i < count && i < cMaxHolders; ++i) {
        info[i].strAppName[CCH_RM_MAX_APP_NAME] = L'\0';
        const ustring name = U(info[i].strAppName);
        if (!name.empty()) names.push_back(name);
      }
    }
  }
  rm.end(session);
  return names;
}

}  // namespace win32_holders
