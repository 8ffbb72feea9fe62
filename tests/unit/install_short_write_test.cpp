// A write that the system reports as done but that stored fewer bytes than
// asked: the file step fails (39; unattended, exit code 1603) at that file,
// writes nothing after it, and the product is never registered as installed
// with the cut-short file in it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/setup_run.h"
#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "common/cmdline.h"
#include "common/utils.h"
#include "engine/install_task.h"
#include "support/wizard_env.h"

namespace {

const ustring kUninstallKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";

struct TShortCase {
  const char* name;
  int index;             // PayFiles entry written short
  std::uint64_t nth;     // which of its writes
  std::uint32_t missing; // bytes fewer than asked
};

void PrintTo(const TShortCase& c, std::ostream* out) { *out << c.name; }

class ShortWrite : public InstallFixture, public testing::WithParamInterface<TShortCase> {};

// The emulation keeps what was stored, so a cut-short file stays cut short
// on disk; what matters is that the installation does not call it done.
TEST_P(ShortWrite, FailsTheFileStepAtThatFile) {
  const TShortCase& c = GetParam();
  const ustring path = kInstallDir + PayFiles[c.index].pfFilNam;
  sim.ShortenWrite(c.nth, c.missing, PayFiles[c.index].pfFilNam);

  EXPECT_EQ(InstallTask(kWindow, NewInstallChoices()), cStaFiles);
  const std::string expected = PayloadBytes(c.index);
  EXPECT_LT(sim.FileBytes(path).value_or("").size(), expected.size()) << "the short write was not armed";
  // Nothing after it: the file's own later chunks and the later files are not written.
  std::size_t writesAfter = 0;
  bool seenShort = false;
  std::uint64_t writesOfFile = 0;
  for (const TSimCall& call : sim.CallLog()) {
    if (call.op != "WriteFile") continue;
    if (seenShort) ++writesAfter;
    if (call.subject == path && ++writesOfFile == c.nth) seenShort = true;
  }
  EXPECT_TRUE(seenShort);
  EXPECT_EQ(writesAfter, 0u);
  for (std::size_t i = static_cast<std::size_t>(c.index) + 1; i < cPayFileCount; ++i)
    EXPECT_FALSE(sim.HasFile(kInstallDir + PayFiles[i].pfFilNam)) << ToUtf8(PayFiles[i].pfFilNam);
  // Not registered: no uninstall entry, no association, no shortcut.
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, kUninstallKey));
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Classes\\Corvalin.HashFileExt"));
  // The last word is the file step's failure (phase 39, status 2).
  const std::vector<TStep> steps = PostedSteps(sim);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back(), (TStep{2, cStaFiles, 2, 0}));
  EXPECT_EQ(sim.OpenCount(), 0u) << testing::PrintToString(sim.DescribeOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShortWrite,
    testing::Values(
        // The main program goes out in 1 MiB chunks: its second one comes back a byte short.
        TShortCase{"MiddleChunkOneByteShort", cPayMainProgram, 2, 1},
        // A write that stored nothing at all and still said yes.
        TShortCase{"NothingStored", cPayShellExt, 1, 0xFFFFFFFFu},
        // The last product file, the last byte missing.
        TShortCase{"LastFileLastByte", cPayUninstaller, 1, 1}),
    [](const testing::TestParamInfo<TShortCase>& info) { return std::string(info.param.name); });

class ShortWriteUnattended : public WizardTest {
 protected:
  ShortWriteUnattended() { CmdParams = TCmdParams{}; }
  ~ShortWriteUnattended() override { CmdParams = TCmdParams{}; }
};

// Unattended, the same failure shows as the file step's failure and ends
// with 1603, and the product is not installed.
TEST_F(ShortWriteUnattended, EndsWith1603) {
  const ustring temp = u"C:\\Users\\Tester\\AppData\\Local\\Temp";
  sim.MakeDirs(temp);
  sim.ShortenWrite(1, 1, PayFiles[cPayShellExt].pfFilNam);
  sim.commandLine = u"\"C:\\Setup\\Corvalin-Setup.exe\" /S:1 /E:1";
  EXPECT_EQ(RunSetup(sim.commandLine), 1603u);
  sim.WaitThreads();
  const std::string log = sim.FileBytes(temp + u"\\Corvalin-Setup.log").value_or("");
  EXPECT_NE(log.find("Installing files ... Failed\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Installation completed successfully."), std::string::npos) << log;
  EXPECT_NE(log.find("Exit code: 1603\r\n"), std::string::npos) << log;
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, kUninstallKey));
}

}  // namespace
