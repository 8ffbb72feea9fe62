// A handle of the platform (a file's, a process's) that is closed on every
// path out of its scope.
#pragma once
#include "platform/platform.h"

class TScopedHandle {
 public:
  explicit TScopedHandle(THandle handle) : handle_(handle) {}
  ~TScopedHandle() {
    if (handle_ != 0) Os().CloseHandle(handle_);
  }
  TScopedHandle(const TScopedHandle&) = delete;
  TScopedHandle& operator=(const TScopedHandle&) = delete;
  THandle get() const { return handle_; }

 private:
  THandle handle_;
};
