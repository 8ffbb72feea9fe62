// The registration's writes below HKEY_LOCAL_MACHINE as data, shared by the
// native test against the emulated registry and the Windows test against the
// real one: one row per key or value, with its type and data.
#pragma once
#include <cstdint>
#include <vector>

#include "common/types.h"

enum TRowKind { kKeyOnly, kSz, kDword };

struct TRegRow {
  ustring key;           // path below HKEY_LOCAL_MACHINE
  ustring name;          // "" = default value
  TRowKind kind;
  ustring text;          // kSz
  std::uint32_t number;  // kDword
  bool newOnly;          // left alone by an update
};

// The rows of a new installation into folder (with its trailing backslash)
// of `total` bytes, made on `date` ("YYYY-MM-DD"), with the given uninstall
// command (the quiet command follows from it: quoted, " /S:1", the same
// language option).
std::vector<TRegRow> RegistrationRows(const ustring& folder, std::int64_t total, const ustring& date,
                                      const ustring& uninstallString);
