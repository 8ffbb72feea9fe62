// Windows shows a junction or symbolic link as a reparse point when it is
// opened as itself; Wine 8 shows a Unix link as a plain file or folder but
// reports where it leads through the handle's final path, and a Unix hard
// link as a file with two names. The checks use all three, so that each
// system's way of showing a link is caught.
#include "engine/guarded_file.h"

#include "common/utils.h"

namespace {

constexpr std::uint32_t cShareAll = cFileShareRead | cFileShareWrite | cFileShareDelete;

ustring Slashed(const ustring& path) {
  ustring out = path;
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

ustring Bare(const ustring& path) {
  ustring out = path;
  while (out.size() > 3 && out.back() == u'\\') out.pop_back();
  return out;
}

// One folder on the way, opened as itself.
TGuardVerdict FolderVerdict(THandle handle, const ustring& part, ustring& finalPath) {
  TFileFacts facts;
  if (Os().GetFileFacts(handle, facts) != cErrSuccess) return TGuardVerdict::CannotOpen;
  if ((facts.attributes & cFileAttributeDirectory) == 0) return TGuardVerdict::NoFolder;
  if ((facts.attributes & cFileAttributeReparsePoint) != 0) return TGuardVerdict::LinkInPath;
  if (!SamePathText(facts.finalPath, part)) return TGuardVerdict::LinkInPath;
  finalPath = Bare(facts.finalPath);
  return TGuardVerdict::Ok;
}

}  // namespace

ustring VerdictText(TGuardVerdict verdict) {
  switch (verdict) {
    case TGuardVerdict::Ok: return u"usable";
    case TGuardVerdict::DevicePath: return u"a device path, not a file";
    case TGuardVerdict::NoFolder: return u"its folder does not exist";
    case TGuardVerdict::LinkInPath: return u"a junction, mount point or link lies in its folder's path";
    case TGuardVerdict::LinkAtPath: return u"a link is at its name";
    case TGuardVerdict::HardLink: return u"the file there has more than one name (a hard link)";
    case TGuardVerdict::NotOurs: return u"the file there belongs to another account";
    case TGuardVerdict::Busy: return u"another process held it";
    case TGuardVerdict::CannotOpen: return u"it could not be opened";
  }
  return u"";
}

bool IsDevicePath(const ustring& path) {
  const ustring p = Slashed(path);
  return p.rfind(u"\\\\.\\", 0) == 0 || p.rfind(u"\\\\?\\", 0) == 0 || p.rfind(u"\\??\\", 0) == 0;
}

bool SamePathText(const ustring& a, const ustring& b) { return LowerAscii(Bare(a)) == LowerAscii(Bare(b)); }

TGuardVerdict OpenFolderGuarded(const ustring& folder, THandle& held, ustring& finalFolder) {
  held = 0;
  finalFolder.clear();
  const ustring full = AddBackslash(folder);
  // The root first ("C:\", "\\server\share\"), then each folder below it.
  std::size_t at = full.find(u'\\');
  if (full.rfind(u"\\\\", 0) == 0) {
    const std::size_t server = full.find(u'\\', 2);
    at = server == ustring::npos ? ustring::npos : full.find(u'\\', server + 1);
  }
  if (at == ustring::npos) return TGuardVerdict::CannotOpen;
  for (; at != ustring::npos; at = full.find(u'\\', at + 1)) {
    const ustring part = full.substr(0, at + 1);
    const bool last = at + 1 == full.size();
    // The folder itself is held without delete sharing: nobody renames it,
    // or one of the folders above, while the file in it is written.
    THandle handle = 0;
    std::uint32_t err = Os().CreateFileW(part, cFileReadAttributes, last ? cFileShareRead | cFileShareWrite : cShareAll,
                                         cOpenExisting, cFileFlagBackupSemantics | cFileFlagOpenReparsePoint, handle);
    // Someone else may hold the folder with the right to delete it (rare):
    // then the folder's own rights must do.
    if (err == cErrSharingViolation && last)
      err = Os().CreateFileW(part, cFileReadAttributes, cShareAll, cOpenExisting,
                             cFileFlagBackupSemantics | cFileFlagOpenReparsePoint, handle);
    if (IsNotFound(err)) return TGuardVerdict::NoFolder;
    if (err != cErrSuccess) return TGuardVerdict::CannotOpen;
    ustring finalPath;
    const TGuardVerdict verdict = FolderVerdict(handle, part, finalPath);
    if (verdict != TGuardVerdict::Ok || !last) {
      Os().CloseHandle(handle);
      if (verdict != TGuardVerdict::Ok) return verdict;
      continue;
    }
    held = handle;
    finalFolder = finalPath;
  }
  return held != 0 ? TGuardVerdict::Ok : TGuardVerdict::CannotOpen;
}

TGuardVerdict CheckOpenFile(THandle file, const ustring& expected) {
  TFileFacts facts;
  if (Os().GetFileFacts(file, facts) != cErrSuccess) return TGuardVerdict::CannotOpen;
  if ((facts.attributes & cFileAttributeReparsePoint) != 0) return TGuardVerdict::LinkAtPath;
  if ((facts.attributes & cFileAttributeDirectory) != 0) return TGuardVerdict::CannotOpen;
  if (!SamePathText(facts.finalPath, expected)) return TGuardVerdict::LinkAtPath;
  if (facts.links > 1) return TGuardVerdict::HardLink;
  if (!facts.ownedByCaller) return TGuardVerdict::NotOurs;
  return TGuardVerdict::Ok;
}
