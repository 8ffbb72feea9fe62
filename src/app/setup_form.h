// TfmSetup: the one window of the setup — start-up checks, page moves, the
// two worker tasks and the close rules — as portable code over IFormView.
#pragma once
#include "common/setup_choices.h"
#include "platform/ui.h"

class TfmSetup {
 public:
  explicit TfmSetup(IFormView& view);
  // Runs the start-up sequence and fills the window before it is shown.
  void FormCreate();

  IFormView& View() { return view_; }

 private:
  IFormView& view_;
  TNewSetup fmNewSet;
};
