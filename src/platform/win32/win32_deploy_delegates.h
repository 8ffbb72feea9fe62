// The delegate objects handed to a deployment operation: reference-counted
// COM objects that forward Invoke to the bridge's handlers.
#pragma once
#include <memory>

#include "platform/deploy.h"
#include "platform/win32/win32_winrt_abi.h"

// A completion delegate with one reference (the caller's).
winrt_abi::ICompletedDelegate* NewCompletedDelegate(std::shared_ptr<IAsyncCompletedHandler> handler);
// A progress delegate with one reference (the caller's).
winrt_abi::IProgressDelegate* NewProgressDelegate(std::shared_ptr<IAsyncProgressHandler> handler);
