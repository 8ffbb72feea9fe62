// Start-up checks and the defaults of the new installation.
#include "engine/startup.h"

#include <vector>

#include "catalogue/identity.h"
#include "catalogue/registry_tables.h"
#include "catalogue/version.h"
#include "common/cmdline.h"
#include "common/utils.h"
#include "engine/payload_store.h"
#include "engine/unfinished_mark.h"
#include "platform/platform.h"
#include "shell/reg_tools.h"
#include "shell/win_shl_to.h"

namespace {

constexpr std::size_t cUserNameUnits = 261;

const char16_t* ValueName(int row) { return RegValues[static_cast<std::size_t>(row)].rvValNam; }

bool EndsWithEdition(const ustring& displayVersion) {
  const ustring edition = cEditionCode;
  return displayVersion.size() >= edition.size() &&
         displayVersion.compare(displayVersion.size() - edition.size(), edition.size(), edition) == 0;
}

}  // namespace

std::uint8_t CheckStartup(std::int64_t& nsTotSiz) {
  if (!IsWin64Build()) return cStartWrongBitness;
  ustring system;
  GetSystemDir(system);
  if (system.empty()) return cStartNoSystemDir;
  // The scan comes before the group test: a damaged setup says so to anyone.
  nsTotSiz = CheckPayload();
  if (nsTotSiz == -1) return cStartDamaged;
  if (!IsAdminMember()) return cStartNoAdmin;
  return cStartOk;
}

std::uint8_t InitNewSetup(TNewSetup& ns) {
  ns.nsInsTyp = cInsTypNew;
  ustring programs;
  // A folder the shell "resolves" to nothing would make the default folder a
  // relative path; it counts as not determined.
  if (!GetSpecialFolder(cCsidlProgramFiles, programs) || programs.empty()) return cStartNoProgramsDir;
  ns.nsInsLoc = AddBackslash(programs) + AddBackslash(cProductName);
  // A new installation that did not complete is offered again, into the
  // same folder, whatever entry it has written so far.
  const ustring unfinished = UnfinishedFolder();
  if (!unfinished.empty()) {
    ns.nsInsLoc = unfinished;
    return cStartOk;
  }
  TUInstInfo info;
  if (!GetUInstInfo(info)) return cStartOk;
  if (info.uiVerMaj != static_cast<std::uint32_t>(cVerMajor)) return cStartUninstallFirst;
  if (info.uiVerMin > static_cast<std::uint32_t>(cVerMinor)) return cStartUninstallFirst;
  if (!EndsWithEdition(info.uiDspVer)) return cStartUninstallFirst;
  if (DirPresent(info.uiInsLoc) && FilePresent(info.uiUnInst)) {
    ns.nsInsTyp = cInsTypUpdate;
    ns.nsLangua = info.uiSelLan;
    ns.nsInsLoc = AddBackslash(info.uiInsLoc);
  }
  return cStartOk;
}

bool GetUInstInfo(TUInstInfo& info) {
  info = TUInstInfo{};
  TRegKey key;
  if (!OpenKey(cHkeyLocalMachine, UninstallEntryKey(), cKeyQueryValue, key.Out())) return false;
  std::uint32_t version = 0;
  const bool read = ReadString(key.Get(), ValueName(cRegValInstallLocation), info.uiInsLoc) &&
                    ReadString(key.Get(), ValueName(cRegValUninstallString), info.uiUnInst) &&
                    ReadDWord(key.Get(), ValueName(cRegValVersion), version) &&
                    ReadString(key.Get(), ValueName(cRegValDisplayVersion), info.uiDspVer);
  key.Close();
  if (!read) return false;
  const TCmdParams params = ParseCmdLine(info.uiUnInst);
  info.uiSelLan = params.cpSelLan;
  info.uiUnInst = params.cpPa0Exe;
  info.uiVerMaj = version >> 24;
  info.uiVerMin = (version >> 16) & 0xFF;
  info.uiVerBui = version & 0xFFFF;
  return true;
}

bool IsAdminMember() {
  bool member = false;
  return Os().CheckAdminMembership(member) && member;
}

bool IsWin64Build() { return sizeof(void*) == 8; }

ustring GetLogonUserName() {
  std::vector<char16_t> buffer(cUserNameUnits, u'\0');
  auto size = static_cast<std::uint32_t>(buffer.size());
  if (!Os().GetUserNameW(buffer.data(), size)) return u"";
  std::size_t length = 0;
  while (length < buffer.size() && buffer[length] != u'\0') ++length;
  return ustring(buffer.data(), length);
}
