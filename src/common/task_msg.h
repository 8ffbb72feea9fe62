// WM_SETUP_TASK: the one message by which worker tasks report to the window.
// wparam = task << 16 | phase << 8 | status; lparam depends on the phase.
#pragma once
#include <cstdint>
#include "platform/platform.h"

constexpr std::uint32_t WM_SETUP_TASK = cWmApp + 0x641;  // 0x8641

constexpr std::uint8_t cTaskPrepare = 1;
constexpr std::uint8_t cTaskInstall = 2;

constexpr std::uint8_t cPhaseStart = 48;  // '0'
constexpr std::uint8_t cPhaseEnd = 49;    // '1'
// Task 2, after the file step: lparam is the PayFiles index of a product file
// whose earlier copy was moved aside and is deleted at the next restart.
constexpr std::uint8_t cPhaseAtRestart = 51;  // '3'

// Status codes 28..47 (each also names a SetupMsgs text).
constexpr std::uint8_t cStaMenuPath = 28;
constexpr std::uint8_t cStaDesktopDir = 29;
constexpr std::uint8_t cStaBaseKeys = 30;
constexpr std::uint8_t cStaEulaNotAccepted = 31;
constexpr std::uint8_t cStaPathNotFound = 32;
constexpr std::uint8_t cStaPathNotCreated = 33;
constexpr std::uint8_t cStaFreeSpace = 34;
constexpr std::uint8_t cStaFilesInUse = 35;
constexpr std::uint8_t cStaFilesToReplace = 36;
constexpr std::uint8_t cStaSettingsOk = 37;
constexpr std::uint8_t cStaPreparing = 38;
constexpr std::uint8_t cStaFiles = 39;
constexpr std::uint8_t cStaRegistering = 40;
constexpr std::uint8_t cStaShortcuts = 41;
constexpr std::uint8_t cStaPkgRemove = 42;
constexpr std::uint8_t cStaPkgAdd = 43;
constexpr std::uint8_t cStaPkgResult = 44;
constexpr std::uint8_t cStaInstallOk = 45;
constexpr std::uint8_t cStaInstallFailed = 46;
constexpr std::uint8_t cStaUnexpected = 47;

// Step statuses of phases 38..41.
constexpr std::uint8_t cStepDone = 1;
constexpr std::uint8_t cStepFailed = 2;

constexpr std::uint32_t PackTaskMsg(std::uint8_t task, std::uint8_t phase, std::uint8_t status) {
  return (static_cast<std::uint32_t>(task & 0xFF) << 16) | (static_cast<std::uint32_t>(phase & 0xFF) << 8) |
         static_cast<std::uint32_t>(status & 0xFF);
}

// Posts WM_SETUP_TASK for task 2 with the phase and status; nothing when window is 0.
void PostInstallStep(THwnd window, std::uint8_t phase, std::uint8_t status, std::intptr_t lparam = 0);
