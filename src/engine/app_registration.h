// The application's registration below HKEY_LOCAL_MACHINE, driven by the
// catalogue's tables (RegBases -> RegSubKeys -> RegValues): file type, COM
// classes, shell handlers, application path, uninstall entry, setup version,
// then the hash-file extensions and the chosen associations. Nothing is ever
// deleted; the first failure stops the step and what was written stays.
#pragma once
#include <cstdint>

#include "catalogue/registry_tables.h"
#include "common/setup_choices.h"
#include "platform/platform.h"

// WriteRegTables and, only if that succeeded, RegisterAssociations.
bool RegisterApplication(const TNewSetup& ns);

// Every base key opened (never created), every subkey created, every wanted
// value written; false at the first failure.
bool WriteRegTables(const TNewSetup& ns);

// Writes one row into the open key by its kind; false for an unknown kind.
bool WriteRegValue(THKey key, const TRegValue& row, const TNewSetup& ns);

// False for a row without data (id -1); in an update (nsInsTyp 2) the row's
// rvOnUpd; otherwise true.
bool ValueWanted(std::uint8_t insTyp, const TRegValue& row);

// True when each of the twelve RegBases keys opens for creating subkeys;
// stops at the first that does not.
bool CheckBaseKeys();
