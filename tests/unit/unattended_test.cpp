// The unattended installation and the exit codes on the emulated system: a
// table of systems and options against exit code, log and what is written;
// the unattended run against the headless wizard on two copies of the same
// system; one setup at a time; the log's form.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "app/setup_exit.h"
#include "app/setup_run.h"
#include "app/unattended.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "catalogue/texts.h"
#include "common/utils.h"
#include "engine/one_setup.h"
#include "support/wizard_env.h"

namespace {

const ustring kExe = u"\"C:\\Setup\\Corvalin-Setup.exe\"";
const ustring kTemp = u"C:\\Users\\Tester\\AppData\\Local\\Temp";
const ustring kDefaultLog = kTemp + u"\\Corvalin-Setup.log";
const ustring kUninstallKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
const ustring kUpdateDir = u"D:\\Tools\\Corvalin\\";

// Splits a log file into its lines; fails the test unless it starts with the
// byte-order mark and every line ends with CR LF.
std::vector<ustring> SplitLog(const std::string& bytes) {
  EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte-order mark";
  std::vector<ustring> lines;
  std::size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "last line without CR LF";
    if (end == std::string::npos) break;
    const std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find('\n'), std::string::npos) << "bare line feed";
    lines.push_back(FromUtf8(line));
    start = end + 2;
  }
  return lines;
}

bool HasLine(const std::vector<ustring>& lines, const ustring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every folder and file of the system's sandbox with a hash of its bytes;
// what the temporary folder holds (the log) is left out.
std::vector<std::string> Tree(TSimPlatform& system) {
  std::vector<std::string> tree;
  const auto root = system.SandboxRoot();
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string rel = entry.path().lexically_relative(root).generic_string();
    if (rel.find("AppData/Local/Temp/") != std::string::npos) continue;
    std::string bytes;
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    tree.push_back(rel + " " + std::to_string(std::hash<std::string>{}(bytes)));
  }
  std::sort(tree.begin(), tree.end());
  return tree;
}

class UnattendedTest : public WizardTest {
 protected:
  UnattendedTest() {
    CmdParams = TCmdParams{};
    sim.MakeDirs(kTemp);
  }
  ~UnattendedTest() override { CmdParams = TCmdParams{}; }

  std::uint32_t Run(const ustring& options) {
    sim.commandLine = kExe + u" " + options;
    return RunSetup(sim.commandLine);
  }
  std::vector<ustring> Log(const ustring& path = kDefaultLog) {
    const auto bytes = sim.FileBytes(path);
    if (!bytes) {
      ADD_FAILURE() << "no log at " << ToUtf8(path);
      return {};
    }
    return SplitLog(*bytes);
  }
  bool Installed(const ustring& folder) {
    return sim.HasFile(folder + cMainProgram) && sim.HasKey(cHkeyLocalMachine, kUninstallKey);
  }
  std::vector<std::string> Files() { return Tree(sim); }
};

struct TSystemCase {
  const char* name;
  std::function<void(UnattendedTest&, TSimInstallOs&)> arrange;
  const char16_t* options;
  std::uint32_t exitCode;
  int statusCode;
  const char16_t* line;   // a line the log must hold (nullptr: none)
  const char16_t* folder; // where the product is then installed (nullptr: nowhere)
};

void PrintTo(const TSystemCase& c, std::ostream* out) { *out << c.name; }

class UnattendedSystems : public UnattendedTest, public testing::WithParamInterface<TSystemCase> {
 public:
  void PutEarlier(bool german) { PutEarlierInstallation(german); }
};

const auto kNothing = [](UnattendedTest&, TSimInstallOs&) {};

// Each system and option set ends with its exit code and status code, logs
// the expected line, and installs exactly where (and only when) it should.
TEST_P(UnattendedSystems, ExitCodeLogAndWrites) {
  const TSystemCase& c = GetParam();
  c.arrange(*this, sim);
  const auto before = Files();
  const auto registryBefore = sim.DumpRegistry(cHkeyLocalMachine);

  EXPECT_EQ(Run(c.options), c.exitCode);
  sim.WaitThreads();

  const std::vector<ustring> log = Log();
  ASSERT_GE(log.size(), 7u);
  EXPECT_EQ(log[log.size() - 3], u"Status code: " + DecOfInt(c.statusCode));
  EXPECT_EQ(log[log.size() - 2], u"Exit code: " + DecOfInt(static_cast<std::int32_t>(c.exitCode)));
  EXPECT_EQ(log.back(), u"");
  if (c.line != nullptr) {
    EXPECT_TRUE(HasLine(log, c.line)) << "log lacks: " << ToUtf8(c.line);
  }
  if (c.folder != nullptr) {
    EXPECT_TRUE(Installed(c.folder));
  } else {
    // Nothing installed, nothing written: files and registry as they were.
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(sim.DumpRegistry(cHkeyLocalMachine), registryBefore);
  }
  // No window, no message box, ever.
  EXPECT_EQ(Ui().Form(), nullptr);
  EXPECT_TRUE(Ui().messageBoxes.empty());
  EXPECT_TRUE(Ui().appliedTheme.empty()) << "no theme, so no theme error dialog either";
  EXPECT_TRUE(sim.Executions().empty()) << "nothing is run after an unattended installation";
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnattendedSystems,
    testing::Values(
        TSystemCase{"NewInstall", kNothing, u"/S:1 /E:1", 0, 45, u"Installation completed successfully.",
                    u"C:\\Program Files\\Corvalin\\"},
        TSystemCase{"Update",
                    [](UnattendedTest& t, TSimInstallOs&) { static_cast<UnattendedSystems&>(t).PutEarlier(true); },
                    u"/S:1 /E:1", 0, 45, u"Installation erfolgreich beendet.", u"D:\\Tools\\Corvalin\\"},
        TSystemCase{"DamagedPayload",
                    [](UnattendedTest&, TSimInstallOs& s) { s.resources.erase({cRtRcData, PayResourceId(0)}); },
                    u"/S:1 /E:1", 1620, 2, u"Start-up code: 2", nullptr},
        TSystemCase{"NotAdministrator", [](UnattendedTest&, TSimInstallOs& s) { s.isAdmin = false; }, u"/S:1 /E:1", 5,
                    3, u"Start-up code: 3", nullptr},
        TSystemCase{"NewerVersionRegistered",
                    [](UnattendedTest& t, TSimInstallOs& s) {
                      static_cast<UnattendedSystems&>(t).PutEarlier(false);
                      s.PutDword(cHkeyLocalMachine, kUninstallKey, u"Version", 10u << 24 | 2u << 16);
                    },
                    u"/S:1 /E:1", 1638, 4, u"Start-up code: 4", nullptr},
        TSystemCase{"NoSystemFolder", [](UnattendedTest&, TSimInstallOs& s) { s.systemDirectory.clear(); },
                    u"/S:1 /E:1", 1603, 5, u"Start-up code: 5", nullptr},
        TSystemCase{"NoProgramsFolder",
                    [](UnattendedTest&, TSimInstallOs& s) { s.specialFolderErrors[cCsidlProgramFiles] = cE_FAIL; },
                    u"/S:1 /E:1", 1603, 6, u"Start-up code: 6", nullptr},
        TSystemCase{"NoLicence", kNothing, u"/S:1", 1639, 0, u"Start-up code: 0", nullptr},
        TSystemCase{"LicenceRefused", kNothing, u"/S:1 /E:0", 1639, 0, nullptr, nullptr},
        TSystemCase{"NoSpace", [](UnattendedTest&, TSimInstallOs& s) { s.freeSpace[u'C'] = 1000; }, u"/S:1 /E:1",
                    112, 34, u"Error: Insufficient free space detected.", nullptr},
        TSystemCase{"FilesPresentWithoutOverwrite",
                    [](UnattendedTest&, TSimInstallOs& s) { s.PutFile(kInstallDir + cMainProgram, "old"); },
                    u"/S:1 /E:1", 1603, 36, u"One or more files need to be replaced.", nullptr},
        TSystemCase{"FilesPresentWithOverwrite",
                    [](UnattendedTest&, TSimInstallOs& s) { s.PutFile(kInstallDir + cMainProgram, "old"); },
                    u"/S:1 /E:1 /O:1", 0, 45, u"Installation completed successfully.",
                    u"C:\\Program Files\\Corvalin\\"},
        TSystemCase{"FolderBelowProgramFiles", kNothing, u"/S:1 /E:1 /P:\"C:\\Program Files\\Hash Tools\"", 0, 45,
                    u"Installation folder: C:\\Program Files\\Hash Tools\\", u"C:\\Program Files\\Hash Tools\\"},
        TSystemCase{"FolderOutsideProgramFiles", kNothing, u"/S:1 /E:1 /P:\"C:\\Hash Tools\"", 1639, 0, nullptr,
                    nullptr},
        TSystemCase{"FolderIsProgramFiles", kNothing, u"/S:1 /E:1 /P:\"C:\\Program Files\"", 1639, 0, nullptr,
                    nullptr},
        TSystemCase{"FolderEmpty", kNothing, u"/S:1 /E:1 /P:\"\"", 1639, 0, nullptr, nullptr},
        TSystemCase{"UpdateIgnoresFolder",
                    [](UnattendedTest& t, TSimInstallOs&) { static_cast<UnattendedSystems&>(t).PutEarlier(false); },
                    u"/S:1 /E:1 /P:\"C:\\Hash Tools\"", 0, 45, u"Installation folder: D:\\Tools\\Corvalin\\",
                    u"D:\\Tools\\Corvalin\\"},
        TSystemCase{"ShortcutStepFails",
                    [](UnattendedTest&, TSimInstallOs& s) {
                      s.FailFrom("ShellLinkSave", 1, static_cast<std::uint32_t>(cE_FAIL));
                    },
                    u"/S:1 /E:1", 1603, 46, u"Installation failed.", u"C:\\Program Files\\Corvalin\\"}),
    [](const testing::TestParamInfo<TSystemCase>& info) { return std::string(info.param.name); });

// The log holds exactly what the wizard shows: the unattended run and the
// headless wizard with the same choices, on two copies of the same system,
// leave the same registry and files, and the log's body equals the wizard's
// Review and Finish lines.
TEST_F(UnattendedTest, SameResultAsTheWizard) {
  // Copy B: the headless wizard, licence accepted, desktop link ticked.
  TSimInstallOs wizardSystem;
  wizardSystem.resources = sim.resources;
  wizardSystem.MakeDirs(kTemp);
  std::vector<ustring> shown;
  IPlatform* mine = SetOs(&wizardSystem);
  {
    auto& ui = static_cast<TSimUi&>(wizardSystem.Ui());
    auto view = ui.CreateSetupForm();
    TfmSetup form(*view);
    form.FormCreate();
    auto& simForm = static_cast<TSimForm&>(*view);
    simForm.Show();
    EXPECT_TRUE(simForm.Click(idBtFrNext));
    EXPECT_TRUE(simForm.Click(idCkLcAgre));
    EXPECT_TRUE(simForm.Click(idBtFrNext));
    EXPECT_TRUE(simForm.Click(idCkPpScDk));
    EXPECT_TRUE(simForm.Click(idBtFrNext));
    EXPECT_TRUE(ui.DeliverUntil([&] { return form.Status().stStaCod == cStaSettingsOk; }));
    EXPECT_TRUE(simForm.Click(idBtFrNext));
    EXPECT_TRUE(ui.DeliverUntil([&] { return form.Status().stStaCod == cStaInstallOk; }));
    wizardSystem.WaitThreads();
    ui.DeliverPostedMessages();
    EXPECT_TRUE(simForm.Click(idBtFrNext));
    EXPECT_TRUE(simForm.IsClosed());
    EXPECT_EQ(form.ExitCode(), 0u);
    shown = simForm.Sim(idMmReview).Lines();
    for (const ustring& line : simForm.Sim(idMmFiProg).Lines()) shown.push_back(line);
    ui.OnException = nullptr;
  }
  SetOs(mine);

  // Copy A: unattended with the same choices.
  EXPECT_EQ(Run(u"/S:1 /E:1 /I:1"), 0u);
  sim.WaitThreads();
  const std::vector<ustring> log = Log();
  ASSERT_GE(log.size(), 7u);
  EXPECT_EQ(std::vector<ustring>(log.begin() + 4, log.end() - 3), shown);
  EXPECT_TRUE(HasLine(shown, u"Installation completed successfully."));

  EXPECT_EQ(sim.DumpRegistry(cHkeyLocalMachine), wizardSystem.DumpRegistry(cHkeyLocalMachine));
  EXPECT_EQ(sim.DumpRegistry(cHkeyCurrentUser), wizardSystem.DumpRegistry(cHkeyCurrentUser));
  EXPECT_EQ(Tree(sim), Tree(wizardSystem));
  EXPECT_TRUE(sim.ReadLink(u"C:\\Users\\Public\\Desktop\\Corvalin.lnk").has_value()) << "desktop link missing";
}

// An update while Explorer has the shell extension loaded (read, sharing read
// and delete, as a loaded image is opened): the old file is moved aside and
// waits for the restart under its temporary name, the new one is in place,
// the log names the file, and the run ends 3010.
TEST_F(UnattendedTest, HeldShellExtensionEndsWith3010) {
  PutEarlierInstallation(false);
  const ustring dll = kUpdateDir + PayFiles[cPayShellExt].pfFilNam;
  sim.PutFile(dll, "old shell extension");
  sim.HoldFile(dll, cGenericRead, cFileShareRead | cFileShareDelete);

  EXPECT_EQ(Run(u"/S:1 /E:1"), 3010u);
  sim.WaitThreads();
  EXPECT_EQ(sim.FileBytes(dll), PayloadBytes(cPayShellExt, true));
  const std::vector<TSimRestartEntry> restart = sim.RestartList();
  ASSERT_EQ(restart.size(), 1u);
  EXPECT_EQ(PathOfFile(restart[0].from), kUpdateDir);
  EXPECT_NE(LowerAscii(restart[0].from), LowerAscii(dll)) << "a restart would delete the new file";
  EXPECT_TRUE(restart[0].to.empty());
  EXPECT_EQ(sim.FileBytes(restart[0].from), std::optional<std::string>("old shell extension"));
  const std::vector<ustring> log = Log();
  EXPECT_TRUE(HasLine(log, cTxFiAtRestart[0] + dll)) << "the log does not name the file";
  EXPECT_TRUE(HasLine(log, u"Exit code: 3010"));
  sim.ReleaseHolds(restart[0].from);
}

// Every start-up code and task result maps onto the table's exit code;
// start-up code 1 cannot be made on the emulated system (the word size is
// fixed when the setup is built), so its mapping is checked here.
TEST(ExitCodeMapping, StartupCodesAndTaskResults) {
  const std::pair<std::uint8_t, std::uint32_t> startup[] = {{0, 0},    {1, 1633}, {2, 1620}, {3, 5},
                                                           {4, 1638}, {5, 1603}, {6, 1603}};
  for (const auto& [code, exit] : startup) EXPECT_EQ(ExitCodeOfStartup(code), exit) << int{code};
  for (int code = 28; code <= 47; ++code) {
    const std::uint32_t expected = code == 37 || code == 45 ? 0u : code == 34 ? 112u : 1603u;
    EXPECT_EQ(ExitCodeOfTaskResult(static_cast<std::uint8_t>(code)), expected) << code;
    EXPECT_EQ(ExitCodeOfInstallation(static_cast<std::uint8_t>(code), false), expected) << code;
    // Only a success turns into "restart needed"; a failure keeps its code.
    EXPECT_EQ(ExitCodeOfInstallation(static_cast<std::uint8_t>(code), true), expected == 0u ? 3010u : expected)
        << code;
  }
}

// A second setup, while one holds the mutex, ends at once with 1618 and
// leaves the system alone: unattended silently; the wizard brings the
// running window forward, or says why when there is none to be found.
TEST_F(UnattendedTest, SecondSetupEndsWith1618) {
  auto running = std::make_unique<TOneSetup>();
  ASSERT_TRUE(running->Acquired());
  const auto before = Files();

  EXPECT_EQ(Run(u"/S:1 /E:1"), 1618u);
  EXPECT_EQ(Ui().activations, 0);
  Ui().otherSetupWindow = true;
  EXPECT_EQ(Run(u"/L:1"), 1618u);
  EXPECT_EQ(Ui().activations, 1);
  EXPECT_TRUE(Ui().messageBoxes.empty());
  Ui().otherSetupWindow = false;
  EXPECT_EQ(Run(u"/L:1"), 1618u);
  ASSERT_EQ(Ui().messageBoxes.size(), 1u);
  EXPECT_EQ(Ui().messageBoxes[0].text, cTxAlreadyRunning[cLangGerman]);

  EXPECT_EQ(Ui().Form(), nullptr);
  EXPECT_EQ(Ui().taskReceivers, 0);
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(sim.CallCounts().count("CheckAdminMembership"), 0u) << "the start-up checks ran";
  const std::vector<ustring> log = Log();
  EXPECT_TRUE(HasLine(log, u"Start-up code: not run"));
  EXPECT_TRUE(HasLine(log, u"Exit code: 1618"));
  running.reset();

  // Once the first has ended, the next one runs.
  EXPECT_EQ(Run(u"/S:1 /E:1"), 0u);
  sim.WaitThreads();
  EXPECT_TRUE(sim.LiveMutexes().empty()) << "the mutex outlives the setup";
}

// A mutex this account may not open is another account's setup (one run as
// the system account answers access denied); any other failure to make the
// mutex must not stop the installation.
TEST_F(UnattendedTest, MutexThatCannotBeMade) {
  sim.FailCall("CreateMutexW", 1, cErrAccessDenied);
  EXPECT_EQ(Run(u"/S:1 /E:1"), 1618u);
  EXPECT_EQ(sim.CallCounts().count("CheckAdminMembership"), 0u) << "the start-up checks ran";
  sim.FailCall("CreateMutexW", 1, cErrNotEnoughMemory);
  EXPECT_EQ(Run(u"/S:1 /E:1"), 0u);
  sim.WaitThreads();
}

// Without a window to receive the worker's messages no task starts: the run
// ends with 1603 instead of waiting for messages that cannot come.
TEST_F(UnattendedTest, NoReceiverWindowStartsNoTask) {
  Ui().receiverWindowFails = true;
  const auto before = Files();
  EXPECT_EQ(Run(u"/S:1 /E:1"), 1603u);
  EXPECT_EQ(sim.CallCounts().count("StartThread"), 0u) << "a worker started";
  EXPECT_EQ(Files(), before);
  EXPECT_TRUE(HasLine(Log(), u"Exit code: 1603"));
}

// While a setup runs it holds the machine-wide mutex.
TEST_F(UnattendedTest, HoldsTheMutexWhileRunning) {
  sim.HoldThreads();
  std::thread setup([&] { EXPECT_EQ(Run(u"/S:1 /E:1"), 0u); });
  while (sim.LiveMutexes().empty()) std::this_thread::yield();
  EXPECT_EQ(sim.LiveMutexes(), std::vector<ustring>{cSetupGuardName});
  sim.ReleaseThreads();
  setup.join();
  sim.WaitThreads();
  EXPECT_TRUE(sim.LiveMutexes().empty());
}

// The log is appended: an earlier file (someone else's text) stays whole,
// no second byte-order mark is written, each run adds its header.
TEST_F(UnattendedTest, LogIsAppended) {
  sim.PutFile(kDefaultLog, "\xEF\xBB\xBF" "earlier\r\n");
  EXPECT_EQ(Run(u"/S:1"), 1639u);
  EXPECT_EQ(Run(u"/S:1"), 1639u);
  const std::vector<ustring> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], u"earlier");
  EXPECT_EQ(std::count(log.begin(), log.end(), u"Exit code: 1639"), 2);
  EXPECT_EQ(sim.FileBytes(kDefaultLog)->find("\xEF\xBB\xBF", 3), std::string::npos);
  // Header: time, version, command line, start-up code.
  EXPECT_EQ(log[1], u"==== Corvalin setup, 2026-12-10 12:00:12 UTC ====");
  EXPECT_EQ(log[2], u"Setup version: Corvalin 10.01.10001 x64 KQ");
  EXPECT_EQ(log[3], u"Command line: " + kExe + u" /S:1");
  EXPECT_EQ(log[4], u"Start-up code: 0");
}

// /R puts the log where it says (a path with a space); in wizard mode the
// log is written only with /R.
TEST_F(UnattendedTest, LogWhereRSays) {
  const ustring path = u"C:\\Setup Logs\\run one.log";
  sim.MakeDirs(u"C:\\Setup Logs");
  EXPECT_EQ(Run(u"/S:1 /E:1 /R:\"" + path + u"\""), 0u);
  sim.WaitThreads();
  EXPECT_FALSE(sim.HasFile(kDefaultLog));
  EXPECT_TRUE(HasLine(Log(path), u"Exit code: 0"));
}

// A log that cannot be written stops nothing: the installation runs and the
// exit code stays true.
TEST_F(UnattendedTest, UnwritableLogStopsNothing) {
  sim.FailFrom("CreateFileW", 1, cErrAccessDenied, u"Corvalin-Setup.log");
  EXPECT_EQ(Run(u"/S:1 /E:1"), 0u);
  sim.WaitThreads();
  EXPECT_TRUE(Installed(kInstallDir));
  EXPECT_FALSE(sim.HasFile(kDefaultLog));
  sim.ClearFaults();
  sim.tempPath.clear();  // no temporary folder at all
  EXPECT_EQ(Run(u"/S:1 /E:1"), 0u);
  sim.WaitThreads();
}

}  // namespace
