// The Finish page: the installation's progress lines, the box that starts the
// installed program and the name of the user it would run as.
#pragma once
#include "common/types.h"
#include "platform/ui.h"

class TFramFini {
 public:
  explicit TFramFini(IFormView& form);

  // Clears the progress memo; the run box starts unchecked.
  void Init();
  // Texts in `lang`, the logon user's name; the progress memo is cleared.
  void SetLanguage(TSuLang lang);

  IControl& frame;
  IControl& lbFiTitl;
  IControl& paFinish;
  IControl& mmFiProg;
  IControl& paFiExec;
  IControl& ckFiExec;
  IControl& lbFiUser;
  IControl& lbFiNext;
};
