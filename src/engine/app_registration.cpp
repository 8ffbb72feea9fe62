#include "engine/app_registration.h"

#include "engine/associations.h"
#include "engine/reg_compose.h"
#include "shell/reg_tools.h"

bool ValueWanted(std::uint8_t insTyp, const TRegValue& row) {
  if (row.rvValId == -1) return false;
  if (insTyp == cInsTypUpdate) return row.rvOnUpd;
  return true;
}

bool WriteRegValue(THKey key, const TRegValue& row, const TNewSetup& ns) {
  switch (row.rvKind) {
    case rkNone: return WriteEmptyNone(key, row.rvValNam);
    case rkString: return WriteString(key, row.rvValNam, ComposeRegText(row.rvValId, ns.nsLangua, ns.nsInsLoc));
    case rkBinary: return WriteEmptyBinary(key, row.rvValNam);
    case rkDWord: return WriteDWord(key, row.rvValNam, ComposeRegNumber(row.rvValId, ns.nsTotSiz));
  }
  return false;
}

bool WriteRegTables(const TNewSetup& ns) {
  bool ok = true;
  for (std::size_t i = 0; i < RegBases.size() && ok; ++i) {
    const TRegBase& base = RegBases[i];
    TRegKey baseKey;
    // Base keys belong to the system: they are only opened, never created.
    ok = OpenKey(cHkeyLocalMachine, base.rbKeyPat, cKeyCreateSubKey, baseKey.Out());
    if (!ok) break;
    for (int j = base.rbFirst; j <= base.rbLast && ok; ++j) {
      const TRegSubKey& sub = RegSubKeys[static_cast<std::size_t>(j)];
      TRegKey subKey;
      ok = CreateKey(baseKey.Get(), sub.skSubPat, subKey.Out());
      if (!ok) break;
      for (int k = sub.skFirst; k <= sub.skLast && ok; ++k) {
        const TRegValue& row = RegValues[static_cast<std::size_t>(k)];
        if (ValueWanted(ns.nsInsTyp, row)) ok = WriteRegValue(subKey.Get(), row, ns);
      }
      subKey.Close();
    }
    baseKey.Close();
  }
  return ok;
}

bool RegisterApplication(const TNewSetup& ns) {
  if (!WriteRegTables(ns)) return false;
  return RegisterAssociations(ns);
}

bool CheckBaseKeys() {
  for (const TRegBase& base : RegBases) {
    TRegKey key;
    if (!OpenKey(cHkeyLocalMachine, base.rbKeyPat, cKeyCreateSubKey, key.Out())) return false;
    key.Close();  // a refused close is tried once more when the owner goes
  }
  return true;
}
