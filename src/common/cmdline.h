// The option parser: «program /X:v /Y:"v" ...» into a TCmdParams record.
// Options are taken from right to left, so the leftmost occurrence wins.
#pragma once
#include <cstdint>
#include "common/types.h"

struct TCmdParams {
  bool cpModSil = false;   // S
  bool cpEulAgr = false;   // E
  bool cpDskIco = false;   // I
  bool cpCanOvr = false;   // O
  TSuLang cpSelLan = 0;    // L: 0 or 1
  ustring cpPa0Exe;        // trimmed text in front of the first "/"
};

// Never fails; text that is not an option is ignored.
TCmdParams ParseCmdLine(const ustring& text);

// The program-wide record, filled once by the entry point. Nothing reads it:
// the wizard behaves the same whatever the options say.
extern TCmdParams CmdParams;
