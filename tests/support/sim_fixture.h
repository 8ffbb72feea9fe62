// A fresh emulated system per test, installed as the process's platform.
#pragma once
#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"

class SimFixture : public testing::Test {
 protected:
  SimFixture() { previous_ = SetOs(&sim); }
  ~SimFixture() override { SetOs(previous_); }

  TSimPlatform sim;

 private:
  IPlatform* previous_ = nullptr;
};
