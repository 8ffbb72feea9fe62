// The Windows Runtime package deployment service as the context-menu package
// step sees it. Filled in with the deployment bridge.
#pragma once

class IDeployment {
 public:
  virtual ~IDeployment() = default;
};
