// Fault injection and the call log of the emulated system: every operation
// named as faultable really is, and the nth/from/path rules pick the calls a
// fault sweep expects.
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "support/sim_fixture.h"

namespace {

// A failing result of op's own kind: a negative HRESULT for the COM and
// shell-folder calls, a Win32 error (which is also a failing instance value
// for ShellExecuteW) for the others.
std::uint32_t FailureOf(const std::string& op) {
  static const std::set<std::string> hresults{"SHGetFolderPathW", "CoInitialize", "ProbeClassInstance",
                                              "ShellLinkCreate", "ShellLinkSetPath", "ShellLinkSetWorkingDirectory",
                                              "ShellLinkSetDescription", "ShellLinkSave", "ShellLinkLoad",
                                              "ShellLinkGetPath"};
  return hresults.count(op) ? static_cast<std::uint32_t>(cE_FAIL) : cErrAccessDenied;
}

class SimFaultsTest : public SimFixture {
 protected:
  // Calls op once in a way that succeeds on a fresh emulated system; true when it did.
  bool Invoke(const std::string& op) {
    static const std::map<std::string, std::function<bool(TSimPlatform&)>> calls = [] {
      std::map<std::string, std::function<bool(TSimPlatform&)>> m;
      m["PostWindowMessage"] = [](TSimPlatform& s) { return s.PostWindowMessage(1, 2, 3, 4); };
      m["StartThread"] = [](TSimPlatform& s) { return s.StartThread([] {}) == 0; };
      m["FindOwnResource"] = [](TSimPlatform& s) {
        s.resources[{10, 128}] = {1, 2};
        const std::uint8_t* data = nullptr;
        std::uint32_t size = 0;
        return s.FindOwnResource(10, 128, data, size);
      };
      m["GetVersionExW"] = [](TSimPlatform& s) {
        std::uint32_t a, b, c;
        return s.GetVersionExW(a, b, c);
      };
      m["CreateFileW"] = [](TSimPlatform& s) {
        THandle h = 0;
        const bool ok = s.CreateFileW(u"C:\\f.txt", cGenericWrite, 0, cCreateAlways, 0, h) == 0;
        if (ok) s.CloseHandle(h);
        return ok;
      };
      m["WriteFile"] = [](TSimPlatform& s) {
        THandle h = 0;
        s.CreateFileW(u"C:\\w.txt", cGenericWrite, 0, cCreateAlways, 0, h);
        std::uint32_t n = 0;
        const bool ok = s.WriteFile(h, "x", 1, n) == 0;
        s.CloseHandle(h);
        return ok;
      };
      m["CloseHandle"] = [](TSimPlatform& s) {
        THandle h = 0;
        s.CreateFileW(u"C:\\c.txt", cGenericWrite, 0, cCreateAlways, 0, h);
        if (s.CloseHandle(h) == 0) return true;
        s.CloseHandle(h);
        return false;
      };
      // Each call would succeed again when repeated, so that only the fault can fail it.
      m["CreateDirectoryW"] = [](TSimPlatform& s) {
        std::filesystem::remove(s.HostPath(u"C:\\NewDir"));
        return s.CreateDirectoryW(u"C:\\NewDir") == 0;
      };
      m["RemoveDirectoryW"] = [](TSimPlatform& s) {
        s.MakeDirs(u"C:\\OldDir");
        return s.RemoveDirectoryW(u"C:\\OldDir") == 0;
      };
      m["MoveFileExW"] = [](TSimPlatform& s) {
        s.PutFile(u"C:\\m.txt", "m");
        return s.MoveFileExW(u"C:\\m.txt", u"C:\\n.txt", cMoveFileReplaceExisting) == 0;
      };
      m["GetDiskFreeSpaceExW"] = [](TSimPlatform& s) {
        std::uint64_t free = 0;
        return s.GetDiskFreeSpaceExW(u"C:\\", free) == 0;
      };
      m["GetFullPathNameW"] = [](TSimPlatform& s) {
        ustring full;
        return s.GetFullPathNameW(u"x", full) == 0;
      };
      m["GetSystemDirectoryW"] = [](TSimPlatform& s) { return s.GetSystemDirectoryW(nullptr, 0) != 0; };
      m["RegOpenCurrentUser"] = [](TSimPlatform& s) {
        THKey k = 0;
        const bool ok = s.RegOpenCurrentUser(cKeyRead, k) == 0;
        if (ok) s.RegCloseKey(k);
        return ok;
      };
      m["RegOpenKeyExW"] = [](TSimPlatform& s) {
        THKey k = 0;
        const bool ok = s.RegOpenKeyExW(cHkeyLocalMachine, u"SOFTWARE", 0, cKeyRead, k) == 0;
        if (ok) s.RegCloseKey(k);
        return ok;
      };
      m["RegCreateKeyExW"] = [](TSimPlatform& s) {
        THKey k = 0;
        const bool ok = s.RegCreateKeyExW(cHkeyCurrentUser, u"Software\\X", 0, cKeyRead, k, nullptr) == 0;
        if (ok) s.RegCloseKey(k);
        return ok;
      };
      m["RegCloseKey"] = [](TSimPlatform& s) {
        THKey k = 0;
        s.RegOpenKeyExW(cHkeyLocalMachine, u"SOFTWARE", 0, cKeyRead, k);
        if (s.RegCloseKey(k) == 0) return true;
        s.RegCloseKey(k);
        return false;
      };
      m["RegQueryValueExW"] = [](TSimPlatform& s) {
        s.PutDword(cHkeyLocalMachine, u"", u"v", 1);
        std::uint32_t size = 0;
        return s.RegQueryValueExW(cHkeyLocalMachine, u"v", nullptr, nullptr, &size) == 0;
      };
      m["RegSetValueExW"] = [](TSimPlatform& s) {
        return s.RegSetValueExW(cHkeyCurrentUser, u"v", cRegNone, nullptr, 0) == 0;
      };
      m["CheckAdminMembership"] = [](TSimPlatform& s) {
        bool member = false;
        return s.CheckAdminMembership(member);
      };
      m["GetUserNameW"] = [](TSimPlatform& s) {
        char16_t buffer[64];
        std::uint32_t size = 64;
        return s.GetUserNameW(buffer, size);
      };
      m["SHGetFolderPathW"] = [](TSimPlatform& s) {
        char16_t buffer[261] = {};
        return s.SHGetFolderPathW(u"shell32.dll", cCsidlProgramFiles, buffer) >= 0;
      };
      m["ShellExecuteW"] = [](TSimPlatform& s) { return s.ShellExecuteW(u"Open", u"C:\\Windows\\system32\\shell32.dll") > 32; };
      m["CoInitialize"] = [](TSimPlatform& s) {
        const bool ok = s.CoInitialize() >= 0;
        if (ok) s.CoUninitialize();
        return ok;
      };
      m["ProbeClassInstance"] = [](TSimPlatform& s) {
        s.comClasses.push_back(TGuid{1, 2, 3, {4}});
        s.CoInitialize();
        const bool ok = s.ProbeClassInstance(TGuid{1, 2, 3, {4}}) == 0;
        s.CoUninitialize();
        return ok;
      };
      auto withLink = [](std::function<bool(TSimPlatform&, THandle)> use) {
        return [use](TSimPlatform& s) {
          s.CoInitialize();
          THandle link = 0;
          bool ok = s.ShellLinkCreate(link) == 0;
          if (ok) ok = use(s, link);
          s.ShellLinkRelease(link);
          s.CoUninitialize();
          return ok;
        };
      };
      m["ShellLinkCreate"] = withLink([](TSimPlatform&, THandle) { return true; });
      m["ShellLinkSetPath"] = withLink([](TSimPlatform& s, THandle l) { return s.ShellLinkSetPath(l, u"C:\\a.exe") == 0; });
      m["ShellLinkSetWorkingDirectory"] =
          withLink([](TSimPlatform& s, THandle l) { return s.ShellLinkSetWorkingDirectory(l, u"C:\\") == 0; });
      m["ShellLinkSetDescription"] =
          withLink([](TSimPlatform& s, THandle l) { return s.ShellLinkSetDescription(l, u"d") == 0; });
      m["ShellLinkSave"] = withLink([](TSimPlatform& s, THandle l) { return s.ShellLinkSave(l, u"C:\\a.lnk", true) == 0; });
      m["GetFileVersionInfoSizeW"] = [](TSimPlatform& s) {
        s.versionBlocks[u"c:\\v.exe"] = {4, 0, 0, 0};
        return s.GetFileVersionInfoSizeW(u"C:\\v.exe") != 0;
      };
      m["GetFileVersionInfoW"] = [](TSimPlatform& s) {
        s.versionBlocks[u"c:\\v.exe"] = {4, 0, 0, 0};
        std::uint8_t block[4];
        return s.GetFileVersionInfoW(u"C:\\v.exe", 4, block);
      };
      m["DeleteFileW"] = [](TSimPlatform& s) {
        s.PutFile(u"C:\\d.txt", "d");
        return s.DeleteFileW(u"C:\\d.txt") == 0;
      };
      m["SetFileAttributesW"] = [](TSimPlatform& s) {
        s.PutFile(u"C:\\a.txt", "a");
        return s.SetFileAttributesW(u"C:\\a.txt", cFileAttributeNormal) == 0;
      };
      m["CopyFileW"] = [](TSimPlatform& s) {
        s.PutFile(u"C:\\c.txt", "c");
        std::filesystem::remove(s.HostPath(u"C:\\c2.txt"));
        return s.CopyFileW(u"C:\\c.txt", u"C:\\c2.txt") == 0;
      };
      m["GetTempPathW"] = [](TSimPlatform& s) {
        ustring temp;
        return s.GetTempPathW(temp) == 0;
      };
      m["CreatePrivateDirectoryW"] = [](TSimPlatform& s) {
        std::filesystem::remove(s.HostPath(u"C:\\Private"));
        return s.CreatePrivateDirectoryW(u"C:\\Private") == 0;
      };
      m["RegDeleteKeyW"] = [](TSimPlatform& s) {
        s.AddKey(cHkeyCurrentUser, u"Software\\Gone");
        return s.RegDeleteKeyW(cHkeyCurrentUser, u"Software\\Gone") == 0;
      };
      m["RegDeleteValueW"] = [](TSimPlatform& s) {
        s.PutDword(cHkeyCurrentUser, u"", u"gone", 1);
        return s.RegDeleteValueW(cHkeyCurrentUser, u"gone") == 0;
      };
      m["RegQueryInfoKeyW"] = [](TSimPlatform& s) {
        std::uint32_t keys = 0, values = 0;
        return s.RegQueryInfoKeyW(cHkeyCurrentUser, keys, values) == 0;
      };
      m["ShellLinkLoad"] = withLink([](TSimPlatform& s, THandle l) {
        s.PutLink(u"C:\\l.lnk", u"C:\\a.exe");
        return s.ShellLinkLoad(l, u"C:\\l.lnk") == 0;
      });
      m["ShellLinkGetPath"] = withLink([](TSimPlatform& s, THandle l) {
        ustring path;
        return s.ShellLinkSetPath(l, u"C:\\a.exe") == 0 && s.ShellLinkGetPath(l, path) == 0;
      });
      m["DuplicateOwnProcessHandle"] = [](TSimPlatform& s) {
        THandle h = 0;
        const bool ok = s.DuplicateOwnProcessHandle(h) == 0;
        if (ok) s.CloseHandle(h);
        return ok;
      };
      m["CreateProcessW"] = [](TSimPlatform& s) {
        s.PutFile(u"C:\\p.exe", "p");
        THandle h = 0;
        const bool ok = s.CreateProcessW(u"C:\\p.exe", u"\"C:\\p.exe\"", false, h) == 0;
        if (ok) s.CloseHandle(h);
        return ok;
      };
      m["WaitForSingleObject"] = [](TSimPlatform& s) {
        s.PutFile(u"C:\\w.exe", "w");
        THandle h = 0;
        s.CreateProcessW(u"C:\\w.exe", u"w", false, h);
        const bool ok = s.WaitForSingleObject(h, 0) == 0;
        s.CloseHandle(h);
        return ok;
      };
      return m;
    }();
    const auto it = calls.find(op);
    if (it == calls.end()) {
      ADD_FAILURE() << "no call for " << op;
      return false;
    }
    return it->second(sim);
  }
};

// Every faultable operation is logged under its name, succeeds unarmed, and fails when armed.
TEST_F(SimFaultsTest, EveryNamedOperationCanBeMadeToFail) {
  const auto& ops = TSimPlatform::FaultableOperations();
  EXPECT_EQ(std::set<std::string>(ops.begin(), ops.end()).size(), ops.size());  // no name twice
  for (const std::string& op : ops) {
    if (op == "VerQueryValueW") continue;  // checked below: its success depends on the block
    EXPECT_TRUE(Invoke(op)) << op << " fails unarmed";
    EXPECT_GT(sim.CallCounts()[op], 0u) << op << " is not logged";
    sim.FailCall(op, 1, FailureOf(op));
    EXPECT_FALSE(Invoke(op)) << op << " ignores its fault";
    sim.ClearFaults();
  }
  sim.FailFrom("VerQueryValueW", 1, 5);
  const std::uint8_t block[6] = {6, 0, 0, 0, 0, 0};
  const void* data = nullptr;
  std::uint32_t length = 0;
  EXPECT_FALSE(sim.VerQueryValueW(block, u"\\", data, length));
  EXPECT_EQ(sim.CallCounts()["VerQueryValueW"], 1u);
}

// FailCall hits only the nth matching call after arming; FailFrom that one and all later.
TEST_F(SimFaultsTest, NthAndFromCountMatchingCalls) {
  sim.FailCall("CreateDirectoryW", 2, cErrDiskFull);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\A"), 0u);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\B"), cErrDiskFull);
  EXPECT_FALSE(sim.HasDir(u"C:\\B"));  // a failed call changes nothing
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\C"), 0u);
  sim.FailFrom("CreateDirectoryW", 2, cErrAccessDenied);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\D"), 0u);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\E"), cErrAccessDenied);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\F"), cErrAccessDenied);
  sim.ClearFaults();
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\G"), 0u);
}

// A path filter counts only the calls about that path (case-insensitive), by full path or argument.
TEST_F(SimFaultsTest, PathFilterSelectsCalls) {
  sim.FailCall("CreateDirectoryW", 1, cErrAccessDenied, u"corvalin");
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\Other"), 0u);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\Program Files\\Corvalin"), cErrAccessDenied);
  EXPECT_EQ(sim.CreateDirectoryW(u"C:\\Program Files\\Corvalin"), 0u);
  sim.FailFrom("RegSetValueExW", 1, cErrAccessDenied, u"DisplayName");
  EXPECT_EQ(sim.RegSetValueExW(cHkeyCurrentUser, u"Other", cRegNone, nullptr, 0), 0u);
  EXPECT_EQ(sim.RegSetValueExW(cHkeyCurrentUser, u"displayname", cRegNone, nullptr, 0), cErrAccessDenied);
}

// The log keeps each call's operation, resolved subject, text argument and number in order.
TEST_F(SimFaultsTest, CallLogRecordsArguments) {
  THKey key = 0;
  ASSERT_EQ(sim.RegOpenKeyExW(cHkeyLocalMachine, u"software\\Classes\\", 0, cKeyQueryValue, key), 0u);
  ASSERT_EQ(sim.RegCloseKey(key), 0u);
  EXPECT_EQ(sim.CreateDirectoryW(u"c:\\x\\..\\Dir"), 0u);
  const auto log = sim.CallLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].op, "RegOpenKeyExW");
  EXPECT_EQ(log[0].subject, u"HKLM\\software\\Classes\\");
  EXPECT_EQ(log[0].arg, u"software\\Classes\\");
  EXPECT_EQ(log[0].number, cKeyQueryValue);
  EXPECT_EQ(log[1].op, "RegCloseKey");
  EXPECT_EQ(log[1].subject, u"HKLM\\SOFTWARE\\Classes");
  EXPECT_EQ(log[2].subject, u"c:\\Dir");
}

// What is still open is counted and named, and closing brings the count back to zero.
TEST_F(SimFaultsTest, OpenThingsAreCountedAndNamed) {
  THKey key = 0;
  THandle file = 0;
  ASSERT_EQ(sim.RegOpenCurrentUser(cKeyRead, key), 0u);
  ASSERT_EQ(sim.CreateFileW(u"C:\\open.txt", cGenericWrite, 0, cCreateAlways, 0, file), 0u);
  ASSERT_EQ(sim.CoInitialize(), cS_OK);
  EXPECT_EQ(sim.OpenCount(), 3u);
  const auto open = sim.DescribeOpen();
  ASSERT_EQ(open.size(), 3u);
  EXPECT_EQ(open[0], "key HKCU");
  EXPECT_EQ(open[1], "file C:\\open.txt");
  sim.CoUninitialize();
  EXPECT_EQ(sim.CloseHandle(file), 0u);
  EXPECT_EQ(sim.RegCloseKey(key), 0u);
  EXPECT_EQ(sim.OpenCount(), 0u);
}

}  // namespace
