// Removal of registry entries. A missing key or value counts as removed
// already: a second uninstallation, or a user who cleaned up by hand, must
// not make the removal fail.
#include "shell/reg_remove.h"

#include "common/utils.h"
#include "shell/reg_tools.h"

namespace {


// Opens parent\subKey with rights; Absent, Removed (= opened) or Failed.
TRemoval Open(THKey parent, const ustring& subKey, std::uint32_t rights, TRegKey& key) {
  const std::uint32_t err = Os().RegOpenKeyExW(parent, AddBackslash(subKey), 0, rights, key.Out());
  if (err == cErrSuccess) return TRemoval::Removed;
  return IsNotFound(err) ? TRemoval::Absent : TRemoval::Failed;
}

// The removal's result stands whether or not the key closes: what was
// deleted is gone. A key that refused to close is tried again when the owner
// goes.
TRemoval Closed(TRegKey& key, TRemoval result) {
  key.Close();
  return result;
}

}  // namespace

TRemoval DeleteRegValue(THKey parent, const ustring& subKey, const ustring& name) {
  TRegKey key;
  const TRemoval opened = Open(parent, subKey, cKeySetValue, key);
  if (opened != TRemoval::Removed) return opened;
  const std::uint32_t err = Os().RegDeleteValueW(key.Get(), name);
  return Closed(key, err == cErrSuccess ? TRemoval::Removed : IsNotFound(err) ? TRemoval::Absent : TRemoval::Failed);
}

TRemoval DeleteRegTextIf(THKey parent, const ustring& subKey, const ustring& name, const ustring& expected) {
  TRegKey key;
  const TRemoval opened = Open(parent, subKey, cKeyQueryValue | cKeySetValue, key);
  if (opened != TRemoval::Removed) return opened;
  std::uint32_t type = 0, size = 0;
  const std::uint32_t asked = Os().RegQueryValueExW(key.Get(), name, &type, nullptr, &size);
  if (IsNotFound(asked)) return Closed(key, TRemoval::Absent);
  if (asked != cErrSuccess) return Closed(key, TRemoval::Failed);
  ustring text;
  if (type != cRegSz) return Closed(key, TRemoval::Kept);
  if (!ReadString(key.Get(), name, text)) return Closed(key, TRemoval::Failed);
  if (text != expected) return Closed(key, TRemoval::Kept);
  const std::uint32_t err = Os().RegDeleteValueW(key.Get(), name);
  return Closed(key, err == cErrSuccess ? TRemoval::Removed : IsNotFound(err) ? TRemoval::Absent : TRemoval::Failed);
}

TRemoval DeleteRegKeyIfEmpty(THKey parent, const ustring& subKey) {
  {
    TRegKey key;
    const TRemoval opened = Open(parent, subKey, cKeyQueryValue, key);
    if (opened != TRemoval::Removed) return opened;
    std::uint32_t subKeys = 0, values = 0;
    const std::uint32_t err = Os().RegQueryInfoKeyW(key.Get(), subKeys, values);
    if (err != cErrSuccess) return Closed(key, TRemoval::Failed);
    if (subKeys != 0 || values != 0) return Closed(key, TRemoval::Kept);
  }
  // Without a trailing backslash: the key is named, not a path below it.
  ustring name = subKey;
  while (!name.empty() && name.back() == u'\\') name.pop_back();
  const std::uint32_t err = Os().RegDeleteKeyW(parent, name);
  if (err == cErrSuccess) return TRemoval::Removed;
  return IsNotFound(err) ? TRemoval::Absent : TRemoval::Failed;
}

TRemoval DeleteRegKeyWithLast(THKey parent, const ustring& subKey, const ustring& name) {
  {
    TRegKey key;
    const TRemoval opened = Open(parent, subKey, cKeyQueryValue, key);
    if (opened != TRemoval::Removed) return opened;
    std::uint32_t subKeys = 0, values = 0, type = 0, size = 0;
    if (Os().RegQueryInfoKeyW(key.Get(), subKeys, values) != cErrSuccess) return Closed(key, TRemoval::Failed);
    const std::uint32_t asked = Os().RegQueryValueExW(key.Get(), name, &type, nullptr, &size);
    if (asked != cErrSuccess && !IsNotFound(asked)) return Closed(key, TRemoval::Failed);
    const bool has = asked == cErrSuccess;
    if (subKeys != 0 || values > (has ? 1u : 0u)) {
      Closed(key, TRemoval::Kept);
      const TRemoval value = DeleteRegValue(parent, subKey, name);
      return value == TRemoval::Failed ? value : TRemoval::Kept;
    }
  }
  ustring keyName = subKey;
  while (!keyName.empty() && keyName.back() == u'\\') keyName.pop_back();
  const std::uint32_t err = Os().RegDeleteKeyW(parent, keyName);
  if (err == cErrSuccess) return TRemoval::Removed;
  return IsNotFound(err) ? TRemoval::Absent : TRemoval::Failed;
}
