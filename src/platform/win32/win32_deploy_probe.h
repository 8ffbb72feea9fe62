// Lets tests of the Windows build reach the delegate objects through their
// COM interface, as the platform does. No Windows header needed.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/deploy.h"

// Makes a delegate (completion or progress) and asks it for iid: the HRESULT of
// QueryInterface. refsLeft: the count the last Release reported (0 = freed).
std::int32_t ProbeDelegateInterface(bool completion, const TGuid& iid, std::uint32_t& refsLeft);
// Calls Invoke through the delegates' interfaces; the HRESULT it returns.
std::int32_t InvokeCompletedDelegate(std::shared_ptr<IAsyncCompletedHandler> handler, TDeployObj operation,
                                     std::int32_t status);
std::int32_t InvokeProgressDelegate(std::shared_ptr<IAsyncProgressHandler> handler, TDeployObj operation,
                                    TDeploymentProgress progress);
