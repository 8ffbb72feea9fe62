// The deployment service on Windows; the bridge fills it in.
#include "platform/deploy.h"
#include "platform/win32/win32_internal.h"

namespace {
class TWin32Deployment : public IDeployment {};
}  // namespace

IDeployment& Win32Deployment() {
  static TWin32Deployment deployment;
  return deployment;
}
