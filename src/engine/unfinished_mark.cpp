#include "engine/unfinished_mark.h"

#include "catalogue/registry_tables.h"
#include "common/utils.h"
#include "shell/reg_tools.h"

bool MarkUnfinished(const ustring& folder) {
  TRegKey key;
  if (!CreateKey(cHkeyLocalMachine, ProductKey(), key.Out())) return false;
  const bool written = WriteString(key.Get(), cUnfinishedValue, AddBackslash(folder));
  key.Close();  // a refused close is tried once more when the owner goes
  return written;
}

ustring UnfinishedFolder() {
  ustring folder;
  if (!ReadRootString(cHkeyLocalMachine, ProductKey(), cUnfinishedValue, folder)) return u"";
  return AddBackslash(folder);
}

bool UnfinishedIn(const ustring& folder) {
  const ustring noted = UnfinishedFolder();
  return !noted.empty() && !folder.empty() && LowerAscii(noted) == LowerAscii(AddBackslash(folder));
}

TRemoval ClearUnfinished() { return DeleteRegValue(cHkeyLocalMachine, ProductKey(), cUnfinishedValue); }

TRemoval ClearUnfinishedWithKey() { return DeleteRegKeyWithLast(cHkeyLocalMachine, ProductKey(), cUnfinishedValue); }
