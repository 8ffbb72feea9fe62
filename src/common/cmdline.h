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
  // Whether an option was given at all, and the two texts. A value cannot
  // hold a "/": the text is cut at every one.
  bool cpLanGiv = false;   // an L option with 0 or 1 set cpSelLan
  bool cpDirGiv = false;   // P given
  ustring cpInsDir;        // P: the folder of a new installation
  bool cpLogGiv = false;   // R given
  ustring cpLogFil;        // R: the log file
};

// Never fails; text that is not an option is ignored.
TCmdParams ParseCmdLine(const ustring& text);

// The program-wide record, filled once by the entry point.
extern TCmdParams CmdParams;
