// End-to-end scenarios: the real Corvalin-Setup.exe driven through its wizard
// under Wine, each in a fresh prefix (scripts/e2e-scenario.sh), checking the
// texts the user sees and what ends up on the system.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "catalogue/payload_files.h"
#include "e2e/expected_registry.h"
#include "e2e/system_probe.h"
#include "e2e/wizard_session.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

std::wstring W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

class Scenario : public testing::Test {
 protected:
  void SetUp() override { ::CoInitialize(nullptr); }
  void TearDown() override {
    // User files in the installation folder are never touched.
    if (!userFile_.empty()) {
      const auto now = ReadFileBytes(userFile_);
      ASSERT_TRUE(now.has_value()) << "the user's file is gone";
      EXPECT_EQ(*now, userBytes_) << "the user's file changed";
    }
    ::CoUninitialize();
  }

  // Puts a file of the user's into the installation folder (created if needed).
  void PlaceUserFile() {
    ::CreateDirectoryW(InstallFolder().c_str(), nullptr);
    userFile_ = InstallFolder() + L"\\my notes.txt";
    userBytes_.assign({'m', 'i', 'n', 'e', '\r', '\n', '\0', '\x7f'});
    ASSERT_TRUE(WriteFileBytes(userFile_, userBytes_));
  }

  // A product file put in place before the setup runs.
  void PlaceProductFile(const wchar_t* name, bool readOnly) {
    ::CreateDirectoryW(InstallFolder().c_str(), nullptr);
    const std::wstring path = InstallFolder() + L"\\" + name;
    ASSERT_TRUE(WriteFileBytes(path, {'o', 'l', 'd'}));
    if (readOnly) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }

  void ExpectFilesInstalled() {
    const std::wstring folder = InstallFolder() + L"\\";
    for (const TPayFile& f : PayFiles) {
      const std::wstring name = W(f.pfFilNam);
      if (!f.pfInstal) {
        EXPECT_FALSE(FileExists(folder + name)) << Narrow(name) << " must not be installed";
        continue;
      }
      const auto installed = ReadFileBytes(folder + name);
      const auto sample = ReadFileBytes(SampleDir() + L"\\" + name);
      ASSERT_TRUE(installed.has_value()) << Narrow(name) << " missing";
      ASSERT_TRUE(sample.has_value()) << "sample " << Narrow(name) << " missing";
      EXPECT_TRUE(*installed == *sample) << Narrow(name) << " differs from the sample payload";
    }
  }

  void ExpectRegistry(bool german) {
    const std::wstring f = InstallFolder() + L"\\";
    for (const std::wstring& key : ExpectedBareKeys()) EXPECT_TRUE(MachineKeyExists(key)) << Narrow(key);
    for (const TExpectedValue& e : ExpectedValues(f, german, UtcToday())) {
      const auto v = ReadMachineValue(e.key, e.name);
      ASSERT_TRUE(v.has_value()) << Narrow(e.key) << " : " << Narrow(e.name) << " missing";
      EXPECT_EQ(v->type, e.type) << Narrow(e.key) << " : " << Narrow(e.name);
      if (e.type == REG_SZ) {
        EXPECT_EQ(Narrow(v->Text()), Narrow(e.text)) << Narrow(e.key) << " : " << Narrow(e.name);
      } else {
        EXPECT_EQ(v->Dword(), e.number) << Narrow(e.key) << " : " << Narrow(e.name);
      }
    }
    // EstimatedSize: the thirteen installed files' bytes in KiB.
    std::uint64_t total = 0;
    for (const TPayFile& f : PayFiles)
      if (f.pfInstal) total += ReadFileBytes(SampleDir() + L"\\" + W(f.pfFilNam)).value_or(std::vector<char>{}).size();
    const auto size = ReadMachineValue(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin", L"EstimatedSize");
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->Dword(), static_cast<DWORD>(total >> 10));
    // Hash extensions: associated with the product's file type.
    for (const wchar_t* ext : {L".sfv", L".md5", L".sh1", L".sh2", L".sh3", L".blk", L".bk3", L".xxh"}) {
      const auto v = ReadMachineValue(std::wstring(L"SOFTWARE\\Classes\\") + ext, L"");
      ASSERT_TRUE(v.has_value()) << Narrow(ext);
      EXPECT_EQ(v->Text(), L"Corvalin.HashFileExt") << Narrow(ext);
    }
  }

  void ExpectLinks(bool german, bool desktop) {
    const std::wstring folder = InstallFolder() + L"\\";
    const std::wstring menu = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Corvalin\\";
    struct TLink {
      const wchar_t* name;
      const wchar_t* target;
      const wchar_t* en;
      const wchar_t* de;
    };
    const TLink links[] = {
        {L"Corvalin", L"Corvalin.exe", L"Creates and validates hash values for files", L"Erstellt und validiert Datei-Hashwerte"},
        {L"Help (UK)", L"Corvalin_en.chm", L"Corvalin: English manual", L"Corvalin: Benutzerhandbuch englisch"},
        {L"Help (DE)", L"Corvalin_de.chm", L"Corvalin: German manual", L"Corvalin: Benutzerhandbuch deutsch"},
        {L"Manual (UK)", L"Corvalin_en.pdf", L"Corvalin: Manual (english)", L"Corvalin: Handbuch (englisch)"},
        {L"Manual (DE)", L"Corvalin_de.pdf", L"Corvalin: Manual (german)", L"Corvalin: Handbuch (deutsch)"},
    };
    for (const TLink& l : links) {
      const auto info = ReadLink(menu + l.name + L".lnk");
      ASSERT_TRUE(info.has_value()) << "Start-menu link " << Narrow(l.name) << " missing";
      EXPECT_EQ(Narrow(info->target), Narrow(folder + l.target));
      EXPECT_EQ(Narrow(info->workingDir), Narrow(folder));
      EXPECT_EQ(Narrow(info->description), Narrow(german ? l.de : l.en));
    }
    const std::wstring desk = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Corvalin.lnk";
    EXPECT_EQ(FileExists(desk), desktop);
    if (desktop) {
      const auto info = ReadLink(desk);
      ASSERT_TRUE(info.has_value());
      EXPECT_EQ(Narrow(info->target), Narrow(folder + L"Corvalin.exe"));
    }
  }

  // A complete new installation in the given language, ending on Finish.
  void InstallNew(TWizardSession& s, bool german) {
    s.GoToReview(true, german ? 1 : 0);
    s.WaitLastLine(idMmReview, german ? L"Alle Einstellungen in Ordnung." : L"All settings OK.");
    EXPECT_EQ(s.Text(idBtFrNext), german ? L"Installieren" : L"Install");
    s.InstallAndWaitForFinish();
  }

  std::wstring userFile_;
  std::vector<char> userBytes_;
};

// A new installation in English with the desktop box and all associations.
TEST_F(Scenario, NewInstallEnglish) {
  PlaceUserFile();
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s.Lines(idMmWcNote), std::vector<std::wstring>{L"No special hints at the moment."});
  for (TCtlId box : {idCkPpAsc0, idCkPpAsc1, idCkPpAsc2, idCkPpAsc3, idCkPpAsc4, idCkPpAsc5, idCkPpAsc6, idCkPpAsc7})
    EXPECT_TRUE(s.Checked(box)) << "association " << box << " should be offered checked";
  InstallNew(s, false);
  EXPECT_EQ(s.Lines(idMmFiProg), (std::vector<std::wstring>{L"Installing files ... OK", L"Registering application ... OK",
                                                           L"Creating shortcuts ... OK", L"",
                                                           L"Installation completed successfully."}))
      << s.Describe();
  EXPECT_EQ(s.Text(idBtFrNext), L"Finish");
  EXPECT_TRUE(s.Enabled(idCkFiExec));
  ExpectFilesInstalled();
  ExpectRegistry(false);
  ExpectLinks(false, true);
  s.FinishAndExit(true);
  // "Run Corvalin now" started the placeholder program, which records its start.
  std::string seen;
  EXPECT_TRUE(WaitUntil([] { return FileExists(InstallFolder() + L"\\Corvalin.started"); }, 30s, nullptr, seen))
      << "the installed program was not started";
}

// The same in German: German texts and the uninstall command with " /l:1".
TEST_F(Scenario, NewInstallGerman) {
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.ChooseLanguage(1);
  EXPECT_EQ(s.Text(idLbWcTitl), L"Willkommen beim Setup für Corvalin");
  EXPECT_EQ(s.Text(idBtFrNext), L"Weiter");
  EXPECT_EQ(s.Text(idBtFrCanc), L"Abbruch");
  InstallNew(s, true);
  EXPECT_EQ(s.Lines(idMmFiProg), (std::vector<std::wstring>{L"Installiere Dateien ... OK", L"Registriere Anwendung ... OK",
                                                           L"Erstelle Verknüpfungen ... OK", L"",
                                                           L"Installation erfolgreich beendet."}))
      << s.Describe();
  EXPECT_EQ(s.Text(idBtFrNext), L"Beenden");
  ExpectFilesInstalled();
  ExpectRegistry(true);
  ExpectLinks(true, true);
  s.FinishAndExit(false);
}

// An update over a German installation: language taken over, folder fixed,
// boxes of existing choices checked and disabled; only update rows rewritten.
TEST_F(Scenario, UpdateOverGermanInstallation) {
  {
    TWizardSession first;
    ASSERT_TRUE(first.ok());
    InstallNew(first, true);
    first.FinishAndExit(false);
  }
  PlaceUserFile();
  const std::wstring uninst = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
  const std::wstring handler = L"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers\\Corvalin";
  ASSERT_TRUE(WriteMachineString(uninst, L"DisplayName", L"changed by the test"));
  ASSERT_TRUE(WriteMachineString(handler, L"", L"kept by an update"));

  TWizardSession s;
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s.Text(idBtFrNext), L"Weiter") << "the earlier installation's language is taken over";
  EXPECT_EQ(s.Text(idLbPpType),
            L"Installationstyp: Update Installation - ersetzt Dateien, keine Veränderung bei den Einstellungen.");
  EXPECT_EQ(s.Text(idLbPpFold), InstallFolder() + L"\\");
  EXPECT_FALSE(s.Enabled(idBtPpFold));
  EXPECT_TRUE(s.Checked(idCkPpScDk));
  EXPECT_FALSE(s.Enabled(idCkPpScDk));
  for (TCtlId box : {idCkPpAsc0, idCkPpAsc7}) {
    EXPECT_TRUE(s.Checked(box));
    EXPECT_FALSE(s.Enabled(box));
  }
  EXPECT_TRUE(s.Checked(idCkRvOvwt));
  s.GoToReview(true);
  s.WaitLastLine(idMmReview, L"Alle Einstellungen in Ordnung.");
  s.InstallAndWaitForFinish();
  EXPECT_EQ(s.Lines(idMmFiProg).back(), L"Installation erfolgreich beendet.") << s.Describe();
  s.FinishAndExit(false);
  EXPECT_EQ(ReadMachineValue(uninst, L"DisplayName")->Text(), L"Corvalin v10.01 KQ x64") << "update rows are rewritten";
  EXPECT_EQ(ReadMachineValue(handler, L"")->Text(), L"kept by an update") << "new-only rows stay as they were";
  ExpectFilesInstalled();
}

// The main program running during an update: its file is moved to a
// temporary name, registered for deletion at restart, and the new file takes
// its name. Wine may not hold a running image the way Windows does; then a
// handle of this process (write denied, rename allowed) holds it instead.
TEST_F(Scenario, MainProgramRunningDuringUpdate) {
  {
    TWizardSession first;
    ASSERT_TRUE(first.ok());
    InstallNew(first, false);
    first.FinishAndExit(false);
  }
  const std::wstring exe = InstallFolder() + L"\\Corvalin.exe";
  TSetupProcess running;
  ASSERT_TRUE(running.Start(exe));
  ::Sleep(2000);
  HANDLE holder = INVALID_HANDLE_VALUE;
  HANDLE probe = ::CreateFileW(exe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    ::CloseHandle(probe);
    holder = ::CreateFileW(exe.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::printf("note: Wine let the running image be opened for writing; a handle of the driver holds it instead\n");
  }
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false);
  s.WaitLastLine(idMmReview, L"All settings OK.");
  s.InstallAndWaitForFinish();
  EXPECT_EQ(s.Lines(idMmFiProg).back(), L"Installation completed successfully.") << s.Describe();
  s.FinishAndExit(false);
  if (holder != INVALID_HANDLE_VALUE) ::CloseHandle(holder);

  std::vector<std::wstring> moved;
  for (const std::wstring& name : ListFolder(InstallFolder()))
    if (name.size() == 12 && name.substr(8) == L".tmp") moved.push_back(name);
  ASSERT_EQ(moved.size(), 1u) << "the old main program was not moved to a temporary name";
  const auto pending = PendingRenames();
  const bool registered = std::any_of(pending.begin(), pending.end(), [&](const std::wstring& e) {
    return e.size() >= moved[0].size() && e.compare(e.size() - moved[0].size(), moved[0].size(), moved[0]) == 0;
  });
  EXPECT_TRUE(registered) << "the moved file is not registered for deletion at restart";
  ExpectFilesInstalled();
}

// Without the shell-extension base keys the review refuses to install.
TEST_F(Scenario, BarePrefixMissesBaseKeys) {
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false);
  s.WaitLastLine(idMmReview, L"Error: One or more base keys in the registry not found or insufficient permissions.");
  EXPECT_FALSE(s.Enabled(idBtFrNext));
  EXPECT_EQ(s.Text(idBtFrNext), L"Install");
}

// A newer minor version registered: the uninstall note, nothing else possible.
TEST_F(Scenario, NewerMinorVersionRegistered) {
  const std::wstring uninst = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
  ::CreateDirectoryW(InstallFolder().c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(InstallFolder() + L"\\Uninstall.exe", {'M', 'Z'}));
  ASSERT_TRUE(WriteMachineString(uninst, L"InstallLocation", InstallFolder() + L"\\"));
  ASSERT_TRUE(WriteMachineString(uninst, L"UninstallString", InstallFolder() + L"\\Uninstall.exe"));
  ASSERT_TRUE(WriteMachineDword(uninst, L"Version", 0x0A022711));
  ASSERT_TRUE(WriteMachineString(uninst, L"DisplayVersion", L"10.02 KQ"));
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s.Lines(idMmWcNote), (std::vector<std::wstring>{L"Please uninstall the existing version and restart setup.",
                                                           L" - User specific settings will be taken over, if exist."}));
  EXPECT_FALSE(s.Enabled(idBtFrNext));
  EXPECT_FALSE(s.Enabled(idBtFrBack));
  EXPECT_TRUE(s.Enabled(idBtFrCanc));
}

// A copy of the exe with one byte of a flagged record changed is refused.
TEST_F(Scenario, DamagedSetupFile) {
  const std::wstring original = SetupExePath();
  auto bytes = ReadFileBytes(original);
  ASSERT_TRUE(bytes.has_value());
  // Find record 140 (a manual, flagged for installation) in the file through the resource API.
  HMODULE module = ::LoadLibraryExW(original.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC res = ::FindResourceW(module, MAKEINTRESOURCEW(140), MAKEINTRESOURCEW(10));
  ASSERT_NE(res, nullptr);
  const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, res)));
  const DWORD size = ::SizeofResource(module, res);
  ASSERT_GT(size, 64u);
  const std::vector<char> record(data, data + size);
  ::FreeLibrary(module);
  auto at = std::search(bytes->begin(), bytes->end(), record.begin(), record.end());
  ASSERT_NE(at, bytes->end());
  at[size / 2] = static_cast<char>(at[size / 2] ^ 0x20);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring copy = std::wstring(temp) + L"Corvalin-Setup-damaged.exe";
  ASSERT_TRUE(WriteFileBytes(copy, *bytes));
  TWizardSession s(copy);
  ASSERT_TRUE(s.ok());
  EXPECT_EQ(s.Lines(idMmWcNote), std::vector<std::wstring>{L"Error: The setup file is damaged."});
  EXPECT_FALSE(s.Enabled(idBtFrNext));
}

// Product files already present: replacing them must be allowed first.
TEST_F(Scenario, ProductFilesPresent) {
  PlaceUserFile();
  PlaceProductFile(L"Corvalin_en.pdf", false);
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false);
  s.WaitLastLine(idMmReview, L"One or more files need to be replaced.");
  EXPECT_FALSE(s.Enabled(idBtFrNext));
  EXPECT_TRUE(s.Enabled(idCkRvOvwt));
  s.Click(idCkRvOvwt);
  s.WaitLastLine(idMmReview, L"All settings OK.");
  s.WaitEnabled(idBtFrNext);
}

// A read-only product file cannot be replaced.
TEST_F(Scenario, ReadOnlyProductFile) {
  PlaceUserFile();
  PlaceProductFile(L"cvlncmdc.exe", true);
  // Windows refuses write access to a read-only file with error 5. Wine keeps
  // the attribute as missing Unix write permission, which a root user passes:
  // there the open succeeds and the setup cannot see the file as unwritable.
  // The emulated backend covers that path (the preparation's read-only test).
  const std::wstring path = InstallFolder() + L"\\cvlncmdc.exe";
  HANDLE probe = ::CreateFileW(path.c_str(), FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    ::CloseHandle(probe);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this Wine opened a read-only file for writing (running as root); see the emulated test";
  }
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.GoToReview(false);
  s.WaitLastLine(idMmReview, L"Error: One or more files are in use. Please close all programs or logoff from your system.");
  EXPECT_FALSE(s.Enabled(idBtFrNext));
  ::SetFileAttributesW((InstallFolder() + L"\\cvlncmdc.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Cancel on Welcome closes at once, without a question.
TEST_F(Scenario, CancelOnWelcomeClosesAtOnce) {
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.Click(idBtFrCanc);
  DWORD code = 1234;
  EXPECT_TRUE(s.process().WaitForExit(30s, code));
  EXPECT_EQ(code, 0u);
}

// Cancel while the preparation runs asks the question; No keeps the wizard.
TEST_F(Scenario, CancelDuringPreparationAsks) {
  TWizardSession s;
  ASSERT_TRUE(s.ok());
  s.Click(idBtFrNext);
  s.SetChecked(idCkLcAgre, true);
  s.Click(idBtFrNext);
  s.WaitPage(idFramPrep);
  // Both clicks are queued together, so Cancel arrives while the preparation
  // task started by Next is still running.
  ::PostMessageW(FindControl(s.window(), idBtFrNext), BM_CLICK, 0, 0);
  ::PostMessageW(FindControl(s.window(), idBtFrCanc), BM_CLICK, 0, 0);
  HWND box = WaitForMessageBox(s.process().pid(), 30s);
  ASSERT_NE(box, nullptr) << "no question was asked; the window showed: " << s.Describe();
  EXPECT_EQ(e2e::WindowText(box), L"Setup - Corvalin");
  EXPECT_EQ(MessageBoxText(box), L"Do you really want to cancel the installation?");
  ::PostMessageW(box, WM_COMMAND, IDNO, 0);
  s.WaitLastLine(idMmReview, L"All settings OK.");
  EXPECT_TRUE(s.window() != nullptr && ::IsWindow(s.window()));
}

}  // namespace
