#include "standin_service.h"

#include <winstring.h>

namespace standin {
namespace {

std::string ScenarioFromEnvironment() {
  char buffer[4096];
  const DWORD length = ::GetEnvironmentVariableA("CORVALIN_DEPLOY_STANDIN", buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

void Reset(TService& service, TScenario scenario) {
  service.packages = scenario.packages;
  service.scenario = std::move(scenario);
  service.removals.clear();
  service.additions.clear();
  service.fullNameReads = 0;
}

}  // namespace

TService& Service() {
  // Never destroyed: operation threads may still use it while the library unloads.
  static TService* service = [] {
    auto* made = new TService;
    TScenario scenario;
    ParseScenario(ScenarioFromEnvironment(), scenario);
    Reset(*made, std::move(scenario));
    return made;
  }();
  return *service;
}

bool LoadScenario(const std::string& text) {
  TScenario scenario;
  const bool ok = ParseScenario(text, scenario);
  TService& service = Service();
  std::lock_guard<std::mutex> guard(service.lock);
  Reset(service, std::move(scenario));
  return ok;
}

void WaitIdle() {
  for (;;) {
    std::vector<std::thread> running;
    {
      std::lock_guard<std::mutex> guard(Service().lock);
      running.swap(Service().threads);
    }
    if (running.empty()) return;
    for (std::thread& thread : running) thread.join();
  }
}

ustring FromHString(HSTRING string) {
  UINT32 length = 0;
  const wchar_t* raw = ::WindowsGetStringRawBuffer(string, &length);
  if (raw == nullptr) return {};
  return ustring(reinterpret_cast<const char16_t*>(raw), length);
}

HRESULT ToHString(const ustring& text, HSTRING* string) {
  if (string == nullptr) return E_POINTER;
  return ::WindowsCreateString(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT32>(text.size()),
                               string);
}

bool SameText(const ustring& a, const ustring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

ustring FamilyOf(const ustring& fullName) {
  // Name_Version_Architecture_ResourceId_PublisherId
  std::vector<ustring> parts(1);
  for (char16_t c : fullName) {
    if (c == u'_') parts.emplace_back();
    else parts.back() += c;
  }
  if (parts.size() != 5) return {};
  return parts[0] + u"_" + parts[4];
}

}  // namespace standin
