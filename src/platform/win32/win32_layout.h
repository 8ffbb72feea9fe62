// Geometry of the wizard window in 96-DPI units: the header, the button bar
// and the five page frames with their controls. Scaled by the window's DPI.
#pragma once
#include "platform/control_ids.h"

enum class TCtlKind { Panel, Frame, Label, Button, CheckBox, ComboBox, Memo, Group, Image };

enum TCtlStyle : unsigned {
  csNone = 0,
  csTitle = 1,       // 12 pt page title
  csBigTitle = 2,    // header title line
  csSmallItalic = 4, // version label
  csWrap = 8,        // wrapped text
  csRight = 16,      // right-aligned hint
  csBoldUnderline = 32,
  csCenter = 64,
  csMemoSmall = 128, // 9 pt memo text
  csPathEllipsis = 256,
  csHeaderBand = 512, // header/button bar background
};

struct TCtlSpec {
  TCtlId id;
  TCtlKind kind;
  TCtlId parent;  // 0 = the form itself
  int x, y, w, h;
  unsigned style;
};

extern const TCtlSpec cLayout[];
extern const int cLayoutCount;

constexpr int cClientWidth = 624;
constexpr int cClientHeight = 400;
