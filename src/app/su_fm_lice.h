// The License page: the licence text of the wizard's language and the box
// that accepts it.
#pragma once
#include <functional>

#include "common/types.h"
#include "platform/ui.h"

class TFramLice {
 public:
  explicit TFramLice(IFormView& form);

  // Clears the licence memo, leaves the accept box unchecked and hooks onAgreeClick to it.
  void Init(std::function<void()> onAgreeClick);
  // Texts in `lang`; reloads the licence of that language.
  void SetLanguage(TSuLang lang);

  IControl& frame;
  IControl& lbLcTitl;
  IControl& lbLcSubj;
  IControl& mmLicens;
  IControl& ckLcAgre;
};
