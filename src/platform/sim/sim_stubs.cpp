#include <stdexcept>
#include "platform/sim/sim_platform.h"
IDeployment& TSimPlatform::Deploy() { throw std::runtime_error("no deployment service emulated"); }
IUi& TSimPlatform::Ui() { throw std::runtime_error("no user interface emulated"); }
