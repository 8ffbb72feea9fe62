#include <stdexcept>
#include "platform/sim/sim_platform.h"
IDeployment& TSimPlatform::Deploy() { return deploy; }
