// The fixture of the end-to-end scenarios: the checks of what a complete
// installation leaves on the system (files, registry, links) and the user's
// own file in the installation folder, which no scenario may touch.
#pragma once
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "catalogue/payload_files.h"
#include "e2e/expected_registry.h"
#include "e2e/system_probe.h"
#include "e2e/wizard_session.h"

namespace e2e {

inline std::wstring W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

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

// A copy of the setup with one payload record damaged (in the temp folder).
std::wstring MakeDamagedSetupCopy();

}  // namespace e2e
