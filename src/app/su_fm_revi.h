// The Review page: the summary of the choices, the preparation's result and
// the box that allows replacing existing files.
#pragma once
#include <cstdint>
#include <functional>

#include "common/setup_choices.h"
#include "common/types.h"
#include "platform/ui.h"

class TFramRevi {
 public:
  explicit TFramRevi(IFormView& form);

  // Clears the summary, hooks onOverwriteClick to the overwrite box and checks
  // the box for an update (without running the handler).
  void Init(std::uint8_t nsInsTyp, std::function<void()> onOverwriteClick);
  // Texts in `lang`; the summary memo is cleared.
  void SetLanguage(TSuLang lang);
  // Adds the summary of `ns` to the memo: type, folder, disk space, shortcuts,
  // associations and an empty line.

  IControl& frame;
  IControl& lbRvTitl;
  IControl& gbReview;
  IControl& mmReview;
  IControl& ckRvOvwt;
  IControl& lbRvNext;
};

// The summary lines of the Review page, added to memo: the one composition
// for the wizard and the unattended log.
void WriteReviewSummary(IControl& memo, const TNewSetup& ns, TSuLang lang);

// A byte count without decimals, grouped with the thousands separator of the
// user's regional settings (not of the wizard's language).
ustring FormatByteCount(std::int64_t value);
