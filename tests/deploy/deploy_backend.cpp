#include "deploy_backend.h"

#include <cstdio>

#include "common/utils.h"
#include "platform/deploy.h"
#include "shell/w11_ctx_menu.h"
#ifdef _WIN32
#include "standin_env.h"
#endif

namespace {

const ustring kPackageUrl = u"file:///C:/Program%20Files/Corvalin/Corvalin_w11CtxMn_Pack.msix";

#ifdef _WIN32
// The emulated system with the real deployment service.
class TRealDeploy : public TSimPlatform {
 public:
  explicit TRealDeploy(IDeployment& real) : real_(real) {}
  IDeployment& Deploy() override { return real_; }

 private:
  IDeployment& real_;
};

std::string Hex(std::int32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(code));
  return text;
}

std::string Timing(TDeployTiming timing) {
  switch (timing) {
    case TDeployTiming::AtOnce: return "atonce";
    case TDeployTiming::LateProgress: return "lateprogress";
    case TDeployTiming::Never: return "never";
    default: return "normal";
  }
}

std::string End(const TDeployEnd& end) {
  switch (end.status) {
    case cAsyncCompleted: return "complete";
    case cAsyncCanceled: return "canceled";
    case cAsyncError: return "error:" + Hex(end.extendedCode) + ":" + ToUtf8(end.errorText);
    default: return "status:" + std::to_string(end.status);
  }
}

std::string StandInText(const TDeployScenario& s) {
  std::string text = "packages=";
  for (const ustring& name : s.packages) text += ToUtf8(name) + ",";
  text += ";remove=" + End(s.removal) + ";removetiming=" + Timing(s.removal.timing);
  text += ";add=" + End(s.addition) + ";addtiming=" + Timing(s.addition.timing);
  text += ";fullnamefails=" + std::to_string(s.fullNameFails);
  text += std::string(";errortextfails=") + (s.errorTextFails ? "1" : "0");
  text += ";added=" + ToUtf8(cPkgFullName);
  return text;
}
#else
void Apply(TSimDeployScript& script, const TDeployEnd& end) {
  script.status = end.status;
  script.extendedCode = end.extendedCode;
  script.errorText = end.errorText;
  script.finishedAtOnce = end.timing == TDeployTiming::AtOnce;
  script.progressAfterEnd = end.timing == TDeployTiming::LateProgress;
  script.untilLetGo = end.timing == TDeployTiming::Never;
}
#endif

}  // namespace

bool TDeployBackend::Real() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

TDeployBackend::TDeployBackend(const TDeployScenario& scenario) {
#ifdef _WIN32
  TStandIn& standIn = TStandIn::Get();
  sim_ = std::make_unique<TRealDeploy>(standIn.RealDeploy());
  standIn.Load(StandInText(scenario));
#else
  sim_ = std::make_unique<TSimPlatform>();
  TSimDeploy& deploy = sim_->deploy;
  for (const ustring& name : scenario.packages) deploy.RegisterPackage(name);
  deploy.packageFiles[kPackageUrl] = cPkgFullName;
  Apply(deploy.removal, scenario.removal);
  Apply(deploy.addition, scenario.addition);
  if (scenario.fullNameFails != 0) deploy.FailCall("get_FullName", scenario.fullNameFails, cE_FAIL);
  if (scenario.errorTextFails) deploy.FailFrom("get_ErrorText", 1, cE_OUTOFMEMORY);
#endif
  sim_->osBuild = 22631;
  previous_ = SetOs(sim_.get());
}

TDeployBackend::~TDeployBackend() {
  WaitIdle();
  SetOs(previous_);
}

std::vector<TPostedMessage> TDeployBackend::Posted() { return sim_->PostedMessages(); }

std::vector<ustring> TDeployBackend::Packages() {
#ifdef _WIN32
  return TStandIn::Get().Lines(0);
#else
  return sim_->deploy.Packages();
#endif
}

std::vector<ustring> TDeployBackend::Removals() {
#ifdef _WIN32
  return TStandIn::Get().Lines(1);
#else
  return sim_->deploy.Removals();
#endif
}

void TDeployBackend::WaitIdle() {
#ifdef _WIN32
  TStandIn::Get().WaitIdle();
#else
  sim_->deploy.WaitIdle();
#endif
}

std::string TDeployBackend::Leftovers() {
  WaitIdle();
#ifdef _WIN32
  return TStandIn::Get().Leftovers();
#else
  std::string text;
  for (const std::string& line : sim_->deploy.DescribeOpen()) text += line + "\n";
  return text;
#endif
}
