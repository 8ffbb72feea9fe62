#include "app/setup_form.h"

#include "catalogue/joined_texts.h"
#include "catalogue/vers_info.h"
#include "catalogue/version.h"

TfmSetup::TfmSetup(IFormView& view) : view_(view) {}

void TfmSetup::FormCreate() {
  fmNewSet = TNewSetup{};
  view_.SetCaption(WindowCaption());
  view_.Control(idLbTitle).SetCaption(ComposeTitleLine());
  view_.Control(idLbSuVers).SetCaption(u"Tavo" + SetupVersionText(Os().GetOwnModulePath()));
}
