// A fresh emulated system per test, installed as the process's platform.
// When the test ends, every key, handle, shell link and COM apartment it
// opened must have been closed again.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_platform.h"

// Fails the current test for everything the emulated system still has open.
inline void ExpectNothingOpen(TSimPlatform& sim) {
  std::string open;
  for (const std::string& item : sim.DescribeOpen()) open += "\n  " + item;
  EXPECT_TRUE(open.empty()) << "still open:" << open;
}

class SimFixture : public testing::Test {
 protected:
  SimFixture() { previous_ = SetOs(&sim); }
  ~SimFixture() override {
    ExpectNothingOpen(sim);
    SetOs(previous_);
  }

  TSimPlatform sim;

 private:
  IPlatform* previous_ = nullptr;
};
