#include "platform/deploy.h"

TDeployRef& TDeployRef::operator=(TDeployRef&& other) noexcept {
  if (this != &other) {
    Reset();
    obj_ = other.obj_;
    other.obj_ = 0;
  }
  return *this;
}

TDeployObj& TDeployRef::Put() {
  Reset();
  return obj_;
}

void TDeployRef::Reset() {
  if (obj_ == 0) return;
  const TDeployObj object = obj_;
  obj_ = 0;
  Os().Deploy().Release(object);
}
