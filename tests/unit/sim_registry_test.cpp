// The emulated registry beyond what the contract suite states: keys that
// refuse rights, the machine root, the keys a Windows system has, and use
// from several threads at once.
#include <thread>
#include <vector>

#include "common/utils.h"
#include "support/sim_fixture.h"

namespace {

using SimRegistryTest = SimFixture;

std::uint32_t Open(TSimPlatform& sim, const ustring& path, std::uint32_t access) {
  THKey key = 0;
  const std::uint32_t err = sim.RegOpenKeyExW(cHkeyLocalMachine, path, 0, access, key);
  if (key != 0) sim.RegCloseKey(key);
  return err;
}

std::uint32_t Create(TSimPlatform& sim, THKey parent, const ustring& path, std::uint32_t* disposition = nullptr) {
  THKey key = 0;
  const std::uint32_t err = sim.RegCreateKeyExW(parent, path, 0, cKeyQueryValue, key, disposition);
  if (key != 0) sim.RegCloseKey(key);
  return err;
}

// A denied right refuses opens that ask for it (and only those) and the creation of sub-keys.
TEST_F(SimRegistryTest, DeniedRightsRefuseOpensAndCreation) {
  sim.AddKey(cHkeyLocalMachine, u"SOFTWARE\\Locked\\Existing");
  sim.DenyKeyAccess(cHkeyLocalMachine, u"SOFTWARE\\Locked", cKeyCreateSubKey);
  EXPECT_EQ(Open(sim, u"SOFTWARE\\Locked", cKeyCreateSubKey), cErrAccessDenied);
  EXPECT_EQ(Open(sim, u"SOFTWARE\\Locked", cKeyQueryValue | cKeyCreateSubKey), cErrAccessDenied);
  EXPECT_EQ(Open(sim, u"SOFTWARE\\Locked", cKeyRead), 0u);
  EXPECT_EQ(Create(sim, cHkeyLocalMachine, u"SOFTWARE\\Locked\\New"), cErrAccessDenied);
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Locked\\New"));
  std::uint32_t disposition = 0;
  EXPECT_EQ(Create(sim, cHkeyLocalMachine, u"SOFTWARE\\Locked\\Existing", &disposition), 0u);
  EXPECT_EQ(disposition, cRegOpenedExistingKey);
  // Generic rights count as the key rights they stand for.
  sim.DenyKeyAccess(cHkeyLocalMachine, u"SOFTWARE\\ReadLocked", cKeyQueryValue);
  EXPECT_EQ(Open(sim, u"SOFTWARE\\ReadLocked", cGenericRead), cErrAccessDenied);
}

// A key that refuses everything can't even be opened without rights.
TEST_F(SimRegistryTest, DenyAllRefusesEveryOpen) {
  sim.DenyKeyAccess(cHkeyLocalMachine, u"SOFTWARE\\Closed", cSimDenyAll);
  EXPECT_EQ(Open(sim, u"SOFTWARE\\Closed", 0), cErrAccessDenied);
  EXPECT_EQ(Create(sim, cHkeyLocalMachine, u"SOFTWARE\\Closed"), cErrAccessDenied);
  EXPECT_EQ(Open(sim, u"SOFTWARE", cKeyRead), 0u);
}

// Like Windows, no key can be created directly below the machine root, while the user root allows it.
TEST_F(SimRegistryTest, MachineRootHoldsOnlyHives) {
  EXPECT_EQ(Create(sim, cHkeyLocalMachine, u"NewHive"), cErrAccessDenied);
  EXPECT_EQ(Create(sim, cHkeyLocalMachine, u"SOFTWARE"), 0u);
  EXPECT_EQ(Create(sim, cHkeyCurrentUser, u"NewBranch"), 0u);
}

// The keys a Windows system has below which the setup registers itself are there.
TEST_F(SimRegistryTest, SystemKeysExist) {
  for (const char16_t* path :
       {u"SOFTWARE\\Classes\\CLSID", u"SOFTWARE\\Classes\\*\\shellex\\ContextMenuHandlers",
        u"SOFTWARE\\Classes\\Directory\\shellex\\ContextMenuHandlers", u"SOFTWARE\\Classes\\Drive\\shellex\\ContextMenuHandlers",
        u"SOFTWARE\\Classes\\*\\shellex\\PropertySheetHandlers", u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
        u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", u"SOFTWARE\\RegisteredApplications"})
    EXPECT_TRUE(sim.HasKey(cHkeyLocalMachine, path)) << ToUtf8(path);
  EXPECT_FALSE(sim.HasKey(cHkeyLocalMachine, u"SOFTWARE\\Corvalin"));
}

// A predefined root closes without effect and stays usable; unknown handles are invalid.
TEST_F(SimRegistryTest, PredefinedAndUnknownHandles) {
  EXPECT_EQ(sim.RegCloseKey(cHkeyLocalMachine), 0u);
  EXPECT_EQ(Open(sim, u"SOFTWARE", cKeyRead), 0u);
  EXPECT_EQ(sim.RegCloseKey(0x5000), cErrInvalidHandle);
  std::uint32_t size = 0;
  EXPECT_EQ(sim.RegQueryValueExW(0x5000, u"x", nullptr, nullptr, &size), cErrInvalidHandle);
  THKey key = 0;
  EXPECT_EQ(sim.RegOpenKeyExW(0x5000, u"x", 0, cKeyRead, key), cErrInvalidHandle);
}

// Many threads creating keys and writing values at once lose nothing and leave nothing open.
TEST_F(SimRegistryTest, ThreadsShareTheRegistry) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 50; ++i) {
        THKey key = 0;
        const ustring path = u"Software\\Threads\\T" + DecOfInt(t);
        if (sim.RegCreateKeyExW(cHkeyCurrentUser, path, 0, cKeySetValue, key, nullptr) != 0) continue;
        const std::uint8_t data[4] = {static_cast<std::uint8_t>(i), 0, 0, 0};
        sim.RegSetValueExW(key, u"V" + DecOfInt(i), cRegDword, data, 4);
        sim.RegCloseKey(key);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) {
    for (int i = 0; i < 50; ++i) {
      const auto value = sim.GetValue(cHkeyCurrentUser, u"Software\\Threads\\T" + DecOfInt(t), u"V" + DecOfInt(i));
      ASSERT_TRUE(value.has_value());
      EXPECT_EQ(value->data[0], i);
    }
  }
}

}  // namespace
