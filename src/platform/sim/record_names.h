// File names of payload records kept outside an executable: the build's
// packing tool writes them, the emulated backend's loader reads them.
#pragma once
#include <cstdint>
#include <string>

// "payload_<id>.rec" for the record with resource id `id`.
inline std::string PayRecordFileName(std::uint32_t id) { return "payload_" + std::to_string(id) + ".rec"; }
