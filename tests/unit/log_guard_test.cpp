// The setup's log on a machine where another user prepared its place: links
// at the name, a junction on the way, a hard link, someone else's file, a
// device path, a missing folder. The installation runs as before and ends
// with its own code; the prepared target stays byte-identical; the log goes
// to a fresh file of the setup's own making in the temporary folder, whose
// first line names the path it could not use.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/setup_run.h"
#include "catalogue/identity.h"
#include "common/cmdline.h"
#include "common/utils.h"
#include "engine/guarded_log.h"
#include "support/wizard_env.h"

namespace {

const ustring kExe = u"\"C:\\Setup\\Corvalin-Setup.exe\"";
const ustring kTemp = u"C:\\Users\\Tester\\AppData\\Local\\Temp\\";
const ustring kDefaultLog = kTemp + u"Corvalin-Setup.log";
const ustring kSecret = u"C:\\Secrets\\target.txt";
const std::string kSecretBytes = "the other user's chosen file\r\n";

class LogGuardTest : public WizardTest {
 protected:
  LogGuardTest() {
    CmdParams = TCmdParams{};
    sim.MakeDirs(kTemp);
    sim.PutFile(kSecret, kSecretBytes);
  }
  ~LogGuardTest() override { CmdParams = TCmdParams{}; }

  std::uint32_t Run(const ustring& options) {
    sim.commandLine = kExe + u" " + options;
    return RunSetup(sim.commandLine);
  }
  // The fresh logs the setup made in folder (Corvalin-Setup-<16 hex>.log).
  std::vector<ustring> FreshLogs(const ustring& folder = kTemp) {
    std::vector<ustring> found;
    for (const auto& entry : std::filesystem::directory_iterator(sim.HostPath(folder))) {
      const ustring name = entry.path().filename().u16string();
      if (name.size() == 35 && name.rfind(u"Corvalin-Setup-", 0) == 0 && name.substr(31) == u".log")
        found.push_back(folder + name);
    }
    return found;
  }
  std::string Text(const ustring& path) { return sim.FileBytes(path).value_or(""); }
};

struct TPlantCase {
  const char* name;
  std::function<void(TSimPlatform&)> plant;
  const char16_t* options;   // besides /S:1 /E:1
  const char16_t* refused;   // the path the log says it could not use
  const char16_t* reason;    // part of the reason it gives
  const char16_t* untouched; // a path that must not come into being (nullptr: none)
};

void PrintTo(const TPlantCase& c, std::ostream* out) { *out << c.name; }

class PlantedLog : public LogGuardTest, public testing::WithParamInterface<TPlantCase> {};

const ustring kRunLog = u"C:\\Deploy Logs\\corvalin run.log";

const TPlantCase kPlants[] = {
    {"SymbolicLinkAtDefault", [](TSimPlatform& s) { s.MakeSymbolicLink(kDefaultLog, kSecret); }, u"",
     u"C:\\Users\\Tester\\AppData\\Local\\Temp\\Corvalin-Setup.log", u"a link is at its name", nullptr},
    {"HardLinkAtDefault", [](TSimPlatform& s) { s.MakeHardLink(kDefaultLog, kSecret); }, u"",
     u"C:\\Users\\Tester\\AppData\\Local\\Temp\\Corvalin-Setup.log", u"hard link", nullptr},
    {"OtherAccountsFileAtDefault",
     [](TSimPlatform& s) {
       s.PutFile(kDefaultLog, kSecretBytes);
       s.SetFileOwner(kDefaultLog, u"Mallory");
     },
     u"", u"C:\\Users\\Tester\\AppData\\Local\\Temp\\Corvalin-Setup.log", u"another account", nullptr},
    {"DanglingLinkAtDefault", [](TSimPlatform& s) { s.MakeSymbolicLink(kDefaultLog, u"C:\\Secrets\\made.txt"); },
     u"", u"C:\\Users\\Tester\\AppData\\Local\\Temp\\Corvalin-Setup.log", u"link", u"C:\\Secrets\\made.txt"},
    {"SymbolicLinkAtR",
     [](TSimPlatform& s) {
       s.MakeDirs(u"C:\\Deploy Logs");
       s.MakeSymbolicLink(kRunLog, kSecret);
     },
     u" /R:\"C:\\Deploy Logs\\corvalin run.log\"", u"C:\\Deploy Logs\\corvalin run.log", u"a link is at its name",
     nullptr},
    {"HardLinkAtR",
     [](TSimPlatform& s) {
       s.MakeDirs(u"C:\\Deploy Logs");
       s.MakeHardLink(kRunLog, kSecret);
     },
     u" /R:\"C:\\Deploy Logs\\corvalin run.log\"", u"C:\\Deploy Logs\\corvalin run.log", u"hard link", nullptr},
    {"JunctionInTheFolderPath", [](TSimPlatform& s) { s.MakeJunction(u"C:\\Deploy Logs", u"C:\\Secrets"); },
     u" /R:\"C:\\Deploy Logs\\corvalin run.log\"", u"C:\\Deploy Logs\\corvalin run.log", u"junction",
     u"C:\\Secrets\\corvalin run.log"},
    {"JunctionAboveTheDefault",
     [](TSimPlatform& s) {
       // The user's own temporary folder turned into a junction: no safe place at all.
       std::filesystem::remove_all(s.HostPath(u"C:\\Users\\Tester\\AppData\\Local\\Temp"));
       s.MakeJunction(u"C:\\Users\\Tester\\AppData\\Local\\Temp", u"C:\\Secrets");
     },
     u"", nullptr, nullptr, u"C:\\Secrets\\Corvalin-Setup.log"},
    {"MissingFolder", [](TSimPlatform&) {}, u" /R:\"C:\\Deploy Logs\\corvalin run.log\"",
     u"C:\\Deploy Logs\\corvalin run.log", u"folder does not exist", nullptr},
    {"DevicePath", [](TSimPlatform&) {}, u" /R:\\\\.\\C:\\Secrets\\target.txt", u"\\\\.\\C:\\Secrets\\target.txt",
     u"device path", nullptr},
    {"LiteralDevicePrefix", [](TSimPlatform&) {}, u" /R:\\\\?\\C:\\Secrets\\target.txt",
     u"\\\\?\\C:\\Secrets\\target.txt", u"device path", nullptr},
};

// Whatever was planted: exit 0, the product installed, the target as it was,
// nothing made through a link, and the log in a fresh file that says why.
TEST_P(PlantedLog, InstallsAndWritesNothingThroughIt) {
#ifdef _WIN32
  // The emulation makes its links as links of the host's file system, which
  // the Windows build's host (Wine) shows as plain files; these rules are
  // proved by the native builds.
  GTEST_SKIP() << "the emulation's links need a POSIX host";
#endif
  const TPlantCase& c = GetParam();
  c.plant(sim);
  EXPECT_EQ(Run(ustring(u"/S:1 /E:1") + c.options), 0u);
  sim.WaitThreads();
  EXPECT_TRUE(sim.HasFile(kInstallDir + cMainProgram));
  EXPECT_EQ(Text(kSecret), kSecretBytes);
  if (c.untouched != nullptr) {
    EXPECT_FALSE(sim.HasFile(c.untouched)) << ToUtf8(c.untouched);
  }
  if (c.refused == nullptr) {
    EXPECT_TRUE(sim.HasDir(u"C:\\Secrets"));
    EXPECT_EQ(std::filesystem::hard_link_count(sim.HostPath(kSecret)), 1u);
    return;
  }
  const std::vector<ustring> fresh = FreshLogs();
  ASSERT_EQ(fresh.size(), 1u) << "one fresh log in the temporary folder";
  const std::string text = Text(fresh[0]);
  const std::string first = "\xEF\xBB\xBF" "Log: " + ToUtf8(c.refused) + " was not used (";
  EXPECT_EQ(text.rfind(first, 0), 0u) << text.substr(0, 200);
  EXPECT_NE(text.find(ToUtf8(c.reason)), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find("Exit code: 0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("\xEF\xBB\xBF", 3), std::string::npos) << "one byte-order mark";
}

INSTANTIATE_TEST_SUITE_P(Plants, PlantedLog, testing::ValuesIn(kPlants),
                         [](const testing::TestParamInfo<TPlantCase>& info) { return info.param.name; });

// The README's own example: /R into a folder that exists gets the log there,
// and a second run appends to it (the file is ours now).
TEST_F(LogGuardTest, OwnLogIsAppendedWithOneMark) {
  sim.MakeDirs(u"C:\\Deploy Logs");
  EXPECT_EQ(Run(u"/S:1 /R:\"C:\\Deploy Logs\\corvalin run.log\""), 1639u);
  EXPECT_EQ(Run(u"/S:1 /R:\"C:\\Deploy Logs\\corvalin run.log\""), 1639u);
  const std::string text = Text(kRunLog);
  EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_EQ(text.find("\xEF\xBB\xBF", 3), std::string::npos);
  EXPECT_TRUE(FreshLogs().empty());
}

// As the system account the default log goes to GetTempPath2W's folder
// (only the system and the administrators may write there); where the
// system lacks the call, to GetTempPathW's.
TEST_F(LogGuardTest, SystemAccountLogsWhereOnlyItCanWrite) {
  sim.tempPath = u"C:\\Windows\\Temp\\";
  sim.tempPath2 = u"C:\\Windows\\SystemTemp\\";
  sim.MakeDirs(u"C:\\Windows\\SystemTemp");
  EXPECT_EQ(Run(u"/S:1"), 1639u);
  EXPECT_TRUE(sim.HasFile(u"C:\\Windows\\SystemTemp\\Corvalin-Setup.log"));
  EXPECT_FALSE(sim.HasFile(u"C:\\Windows\\Temp\\Corvalin-Setup.log"));
  sim.tempPath2.reset();
  EXPECT_EQ(Run(u"/S:1"), 1639u);
  EXPECT_TRUE(sim.HasFile(u"C:\\Windows\\Temp\\Corvalin-Setup.log"));
}

// A line break inside the command line can't forge a line of the log.
TEST_F(LogGuardTest, LineBreaksInTheCommandLineStayInItsLine) {
  EXPECT_EQ(Run(u"/S:1 /X:\"a\r\nExit code: 0\rStatus code: 99\n\x2028Start-up code: 0\""), 1639u);
  const std::string text = Text(kDefaultLog);
  EXPECT_NE(text.find("Command line: " + ToUtf8(kExe) + " /S:1 /X:\"a<CR><LF>Exit code: 0<CR>Status code: 99<LF><2028>"
                      "Start-up code: 0\"\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("\r\nExit code: 0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("\r\nStatus code: 99\r\n"), std::string::npos);
}

// Two setups that log at once take turns: an append under way in another
// process (an opening that may append) turns this one away until it is done,
// so only one of them can find the file empty and write the mark.
TEST_F(LogGuardTest, AppendsTakeTurns) {
  sim.PutFile(kDefaultLog, "");
  sim.HoldBriefly(kDefaultLog, cFileAppendData, cFileShareRead | cFileShareWrite, 3);
  EXPECT_EQ(AppendGuarded(kDefaultLog, "one\r\n"), TGuardVerdict::Ok);
  EXPECT_GT(sim.SleptMilliseconds(), 0u) << "it waited for the other append";
  EXPECT_EQ(Text(kDefaultLog), "\xEF\xBB\xBF" "one\r\n");
}

// The rules one by one, on the guarded append itself.
TEST_F(LogGuardTest, VerdictsOfTheRules) {
#ifdef _WIN32
  // The emulation makes its links as links of the host's file system, which
  // the Windows build's host (Wine) shows as plain files; these rules are
  // proved by the native builds.
  GTEST_SKIP() << "the emulation's links need a POSIX host";
#endif
  sim.MakeDirs(u"C:\\Logs");
  sim.MakeSymbolicLink(u"C:\\Logs\\sym.log", kSecret);
  sim.MakeHardLink(u"C:\\Logs\\hard.log", kSecret);
  sim.PutFile(u"C:\\Logs\\theirs.log", "x");
  sim.SetFileOwner(u"C:\\Logs\\theirs.log", u"Mallory");
  sim.MakeJunction(u"C:\\Logs\\Via", u"C:\\Secrets");
  const struct {
    const char16_t* path;
    TGuardVerdict verdict;
  } cases[] = {
      {u"C:\\Logs\\new.log", TGuardVerdict::Ok},
      {u"C:\\Logs\\sym.log", TGuardVerdict::LinkAtPath},
      {u"C:\\Logs\\hard.log", TGuardVerdict::HardLink},
      {u"C:\\Logs\\theirs.log", TGuardVerdict::NotOurs},
      {u"C:\\Logs\\Via\\x.log", TGuardVerdict::LinkInPath},
      {u"C:\\Logs\\Via", TGuardVerdict::CannotOpen},  // a folder, as on Windows
      {u"C:\\Nowhere\\x.log", TGuardVerdict::NoFolder},
      {u"\\\\.\\PhysicalDrive0", TGuardVerdict::DevicePath},
      {u"//?/C:/Logs/x.log", TGuardVerdict::DevicePath},
      {u"\\??\\C:\\Logs\\x.log", TGuardVerdict::DevicePath},
  };
  for (const auto& c : cases) EXPECT_EQ(AppendGuarded(c.path, "line\r\n"), c.verdict) << ToUtf8(c.path);
  EXPECT_EQ(Text(kSecret), kSecretBytes);
  EXPECT_EQ(Text(u"C:\\Logs\\theirs.log"), "x");
  EXPECT_EQ(Text(u"C:\\Logs\\new.log"), "\xEF\xBB\xBF" "line\r\n");
}

}  // namespace
