// The Prepare page: installation type, folder with its Change button,
// shortcut boxes and the hash-file association boxes.
#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "catalogue/hash_exts.h"
#include "common/setup_choices.h"
#include "common/types.h"
#include "platform/ui.h"

class TFramPrep {
 public:
  explicit TFramPrep(IFormView& form);

  // Hooks onFolderClick to the Change button, shows ns.nsInsLoc, sets the
  // shortcut boxes (an update keeps an existing desktop shortcut) and the
  // association boxes' captions and defaults.
  void Init(const TNewSetup& ns, std::function<void()> onFolderClick);
  // Texts in `lang`; the type label names an update when nsInsTyp is 2.
  void SetLanguage(TSuLang lang, std::uint8_t nsInsTyp);

  IControl& frame;
  IControl& lbPpTitl;
  IControl& btPpFold;
  IControl& ckPpScDk;
  IControl& ckPpScSm;
  IControl& lbPpNext;
  IControl& gbPpFold;
  IControl& lbPpFold;
  IControl& gbPpSCut;
  IControl& lbPpType;
  IControl& gbPpAsso;
  std::array<IControl*, cHashExtCount> ckPpAsc;  // ckPpAsc0 .. ckPpAsc7
};

// Who owns each hash-file extension now: ours[i] when HKLM\SOFTWARE\Classes\<ext>
// names the product's file type, owner[i] the product name or the other
// program's type name; both unset when the key or value cannot be read.
void GetAssocOwners(std::array<bool, cHashExtCount>& ours, std::array<ustring, cHashExtCount>& owner);
