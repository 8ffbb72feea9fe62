#include "engine/associations.h"

#include "catalogue/hash_exts.h"
#include "catalogue/identity.h"
#include "catalogue/joined_texts.h"
#include "catalogue/registry_tables.h"
#include "shell/com_apartment.h"
#include "shell/reg_tools.h"
#include "shell/win_shl_to.h"

// Keys are closed as soon as they are done with; their owners close them
// again on the way out, which also retries a close the system refused.

namespace {

// Base keys shared with the registration tables.
const ustring& ClassesPath() {
  static const ustring path = RegBases[0].rbKeyPat;  // "SOFTWARE\Classes"
  return path;
}
const ustring& SoftwarePath() {
  static const ustring path = RegBases[11].rbKeyPat;  // "SOFTWARE"
  return path;
}

constexpr char16_t cOpenWithKey[] = u"OpenWithProgIds";

bool WriteCapabilityRow(THKey key, std::size_t row, TSuLang lang) {
  switch (row) {
    case 0:  // the product's key: created, nothing written
      return true;
    case 1:
      return WriteString(key, u"ApplicationDescription", ApplicationDescription(lang)) &&
             WriteString(key, u"ApplicationName", cProductName);
    case 2:
      for (const char16_t* ext : HashExts)
        if (!WriteString(key, ext, cProgId)) return false;
      return true;
    case 3:
      return WriteString(key, cProductName, SoftwarePath() + u"\\" + CapKeys[1]);
    default:
      return false;
  }
}

}  // namespace

bool EnsureExtKeys() {
  TRegKey classes;
  bool ok = OpenKey(cHkeyLocalMachine, ClassesPath(), cKeyCreateSubKey, classes.Out());
  for (std::size_t k = 0; k < HashExts.size() && ok; ++k) {
    TRegKey ext;
    ok = CreateKey(classes.Get(), HashExts[k], ext.Out());
    ext.Close();
  }
  classes.Close();
  return ok;
}

bool RegisterCapabilities(TSuLang lang) {
  TRegKey software;
  bool ok = OpenKey(cHkeyLocalMachine, SoftwarePath(), cKeyCreateSubKey, software.Out());
  for (std::size_t i = 0; i < CapKeys.size() && ok; ++i) {
    TRegKey key;
    ok = CreateKey(software.Get(), CapKeys[i], key.Out());
    if (ok) ok = WriteCapabilityRow(key.Get(), i, lang);
    key.Close();
  }
  software.Close();
  return ok;
}

bool RegisterOpenWith() {
  TRegKey classes;
  bool ok = OpenKey(cHkeyLocalMachine, ClassesPath(), cKeyCreateSubKey, classes.Out());
  for (std::size_t k = 0; k < HashExts.size() && ok; ++k) {
    TRegKey openWith;
    ok = CreateKey(classes.Get(), ustring(HashExts[k]) + u"\\" + cOpenWithKey, openWith.Out());
    if (ok) ok = WriteEmptyNone(openWith.Get(), cProgId);
    openWith.Close();
  }
  classes.Close();
  return ok;
}

bool AssociateExtensions(const TFileAsso& choices) {
  bool ok = true;
  for (std::size_t k = 0; k < HashExts.size() && ok; ++k) {
    if (!choices[k]) continue;
    TRegKey ext;
    ok = OpenKey(cHkeyLocalMachine, ClassesPath() + u"\\" + HashExts[k], cKeySetValue, ext.Out());
    if (ok) ok = WriteString(ext.Get(), u"", cProgId);
    ext.Close();
  }
  return ok;
}

bool RegisterAssociations(const TNewSetup& ns) {
  if (!EnsureExtKeys()) return false;
  bool ok = AssocRegUIAvailable() ? RegisterCapabilities(ns.nsLangua) : RegisterOpenWith();
  if (ok) ok = AssociateExtensions(ns.nsAssoci);
  if (ok) NotifyAssocChanged();
  return ok;
}
