// Where the emulated backend gets the payload records from: a folder of
// record files written by the build, or the resources of a built
// Corvalin-Setup.exe. Both fill TSimPlatform::resources, so the store reads
// them through FindOwnResource exactly as on Windows.
#pragma once
#include <filesystem>
#include <string>

#include "platform/sim/sim_platform.h"

// Puts every record file of the folder (PayRecordFileName of ids 128 to 142)
// into sim.resources as RCDATA; records without a file stay absent. Returns
// the number loaded, or -1 with a message when a file exists but cannot be
// read.
int LoadRecordFolder(TSimPlatform& sim, const std::filesystem::path& folder, std::string& error);

// Puts the RCDATA resources 128 to 142 of the PE file at exe into
// sim.resources; records the file lacks stay absent. Returns the number
// loaded, or -1 with a message when the file cannot be read or is not a
// well-formed PE file.
int LoadExeRecords(TSimPlatform& sim, const std::filesystem::path& exe, std::string& error);
