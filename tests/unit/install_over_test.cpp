// The file step over what a folder already holds and after a partial failure:
// an update or a reinstall over longer product files, and the shell's view of
// the folder once some files were written.
#include <gtest/gtest.h>

#include "catalogue/payload_files.h"
#include "common/utils.h"
#include "engine/install_task.h"
#include "support/install_env.h"

namespace {

class InstallOverTest : public InstallFixture {
 protected:
  bool FolderRefreshed() {
    for (const TSimNotification& n : sim.Notifications())
      if (n.event == cShcneUpdateDir && n.path == kInstallDir) return true;
    return false;
  }
};

// Product files that exist and are longer than the new ones end up holding
// exactly the new bytes: nothing of the old tail survives.
TEST_F(InstallOverTest, LongerOldFilesHoldExactlyTheNewBytes) {
  for (std::size_t i = 0; i < cPayFileCount; ++i)
    if (PayFiles[i].pfInstal)
      sim.PutFile(kInstallDir + PayFiles[i].pfFilNam, PayloadBytes(static_cast<int>(i)) + std::string(70000, 'X'));
  TNewSetup ns = NewInstallChoices();
  ns.nsCanOvr = true;
  ASSERT_EQ(InstallTask(kWindow, ns), cStaInstallOk);
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    if (!PayFiles[i].pfInstal) continue;
    const ustring path = kInstallDir + PayFiles[i].pfFilNam;
    const std::string bytes = sim.FileBytes(path).value_or("(missing)");
    const std::string expected = PayloadBytes(static_cast<int>(i));
    EXPECT_EQ(bytes.size(), expected.size()) << ToUtf8(path);
    // Compared as one flag: a textual diff of megabytes would swamp the report.
    EXPECT_TRUE(bytes == expected) << ToUtf8(path);
  }
}

// A file step that fails after writing some files still tells the shell that
// the folder's contents changed; one that wrote nothing does not.
TEST_F(InstallOverTest, FolderRefreshAfterPartialFailure) {
  auto& record = sim.resources[{cRtRcData, PayResourceId(7)}];
  record[record.size() / 2] ^= 0x5A;
  ASSERT_EQ(InstallTask(kWindow, NewInstallChoices()), cStaFiles);
  ASSERT_TRUE(sim.HasFile(kInstallDir + PayFiles[0].pfFilNam));
  EXPECT_TRUE(FolderRefreshed());
}

TEST_F(InstallOverTest, NoRefreshWhenNothingWasWritten) {
  sim.FailCall("WriteFile", 1, cErrAccessDenied);
  ASSERT_EQ(InstallTask(kWindow, NewInstallChoices()), cStaFiles);
  EXPECT_FALSE(FolderRefreshed());
}

}  // namespace
