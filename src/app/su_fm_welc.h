// The Welcome page: title, subject, the language box and the installation
// notes, which explain a start-up failure.
#pragma once
#include <cstdint>
#include <functional>

#include "common/types.h"
#include "platform/ui.h"

class TFramWelc {
 public:
  explicit TFramWelc(IFormView& form);

  // Hooks onLangSelect to the language box, fills the box with LangNames and
  // selects entry `lang`; clears the notes.
  void Init(TSuLang lang, std::function<void()> onLangSelect);
  // Puts the page's texts in `lang`. While no task has run (stStaCod <= 6) the
  // notes are reloaded: the read-me after a clean start, else the failure's note.
  void SetLanguage(TSuLang lang, std::uint8_t stStaCod);

  IControl& frame;
  IControl& lbWcTitl;
  IControl& lbWcSubj;
  IControl& cbWcLang;
  IControl& gbWcLang;
  IControl& gbWcNote;
  IControl& mmWcNote;
  IControl& lbWcNext;
};

// The note of start-up code `code` (0 to 6) in `lang`; lines are separated by CR LF.
ustring StartupNote(std::uint8_t code, TSuLang lang);
