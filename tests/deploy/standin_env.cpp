#ifdef _WIN32
#include "standin_env.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/utils.h"

namespace {

const wchar_t* W(const ustring& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
const ustring kClassIds = u"Software\\Microsoft\\WindowsRuntime\\ActivatableClassId\\";

template <class F>
F Export(void* module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name)));
}

bool KeyExists(const ustring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

}  // namespace

TStandIn& TStandIn::Get() {
  static TStandIn standIn;
  return standIn;
}

TStandIn::TStandIn() : real_(Os().Deploy()) {
  wchar_t exe[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  ustring dll(reinterpret_cast<const char16_t*>(exe));
  dll = dll.substr(0, dll.find_last_of(u'\\') + 1) + u"deploy_standin.dll";
  // Held for the life of the process: the runtime loads the same library by
  // the same path, so the exports below reach the service it activates.
  module_ = ::LoadLibraryW(W(dll));
  if (module_ == nullptr) {
    ADD_FAILURE() << "deploy_standin.dll not loadable: " << ::GetLastError();
    return;
  }
  // Wine 8 has no Uri class (its factory gives 0x80040154): the stand-in supplies it there.
  for (const ustring& name : {ustring(cPackageManagerClass), ustring(cAddPackageOptionsClass), ustring(cUriClass)}) {
    const ustring path = kClassIds + name;
    if (name == cUriClass && KeyExists(path)) continue;
    HKEY key = nullptr;
    // Volatile: a test run that dies cannot leave the stand-in registered.
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot register the stand-in for " << ToUtf8(name);
      continue;
    }
    const DWORD inProcess = 0;
    ::RegSetValueExW(key, L"DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                     static_cast<DWORD>((dll.size() + 1) * 2));
    ::RegSetValueExW(key, L"ActivationType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&inProcess), 4);
    ::RegCloseKey(key);
    registered_.push_back(path);
  }
}

TStandIn::~TStandIn() {
  for (const ustring& path : registered_) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, W(path));
}

void TStandIn::Load(const std::string& scenario) {
  auto load = Export<int (*)(const char*)>(module_, "StandInLoadScenario");
  ASSERT_NE(load, nullptr);
  ASSERT_EQ(load(scenario.c_str()), 1) << scenario;
}

void TStandIn::WaitIdle() {
  if (auto wait = Export<void (*)()>(module_, "StandInWaitIdle")) wait();
}

std::string TStandIn::Leftovers() {
  auto describe = Export<int (*)(char*, int)>(module_, "StandInDescribe");
  if (describe == nullptr) return "stand-in not loaded";
  char text[2048] = {};
  describe(text, sizeof text);
  return text;
}

std::vector<ustring> TStandIn::Lines(int what) {
  std::vector<ustring> lines;
  auto state = Export<int (*)(int, wchar_t*, int)>(module_, "StandInState");
  if (state == nullptr) return lines;
  std::vector<wchar_t> text(8192);
  const int n = state(what, text.data(), static_cast<int>(text.size()));
  ustring line;
  for (int i = 0; i < n; ++i) {
    if (text[i] == L'\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char16_t>(text[i]);
    }
  }
  return lines;
}
#endif
