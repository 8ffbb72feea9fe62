// What a removal run could not remove, and what it left to the next restart.
#pragma once
#include <vector>

#include "common/types.h"
#include "shell/reg_remove.h"

struct TUnReport {
  std::vector<ustring> urLeft;       // should have gone and is still there
  std::vector<ustring> urAtRestart;  // the system deletes these at the next restart
  // Records what as left when the removal failed.
  void Note(TRemoval result, const ustring& what) {
    if (result == TRemoval::Failed) urLeft.push_back(what);
  }
  bool Clean() const { return urLeft.empty(); }
};
