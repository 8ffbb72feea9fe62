#include <stdexcept>
#include "platform/sim/sim_platform.h"
IDeployment& TSimPlatform::Deploy() { throw std::runtime_error("no deployment service emulated"); }
