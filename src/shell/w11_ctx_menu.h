// The Windows 11 context-menu package step: registers the product's sparse
// package for the user who runs the setup, after removing an older
// registration of the same family, and reports progress to the form.
#pragma once
#include <cstdint>

#include "common/setup_choices.h"
#include "platform/platform.h"
#include "shell/w11_async.h"

inline constexpr char16_t cPkgFamily[] = u"Corvalin.w11ContextMenu_k3v9qd2mzt8wa";
inline constexpr char16_t cPkgFullName[] = u"Corvalin.w11ContextMenu_1.0.0.0_x64__k3v9qd2mzt8wa";
// Reported when cPkgFullName is already registered; positive, not an error.
inline constexpr std::int32_t cPkgPresent = 0x22048001;

// Result byte: 0 nothing registered, 2 registered (or already present),
// 3 canceled, 4 failed. code: 0, cPkgPresent, the failing step's HRESULT,
// E_UNEXPECTED, or the deployment's extended error code. Reads only nsInsLoc;
// window 0 posts nothing. Progress goes to window as WM_SETUP_TASK, phases 42
// (removal) and 43 (addition).
std::uint8_t InstallW11ContextMenu(THwnd window, const TNewSetup& ns, std::int32_t& code);

// 0 with code unchanged when code is negative; otherwise, under the record's
// lock, code := apErrCod and the result is apFinSta.
std::uint8_t ReadAsyncOutcome(TAsyncParams& ap, std::int32_t& code);
