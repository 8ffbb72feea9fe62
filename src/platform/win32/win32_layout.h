// Geometry of the wizard window in 96-DPI units: the scroll box with header,
// page area and button bar, the five page frames and their controls. Each
// rectangle is relative to its parent; anchors say how it follows its parent
// when the window is larger or smaller than the design size (down to the
// smallest content, below which the scroll box scrolls). Scaled by the
// window's DPI.
#pragma once
#include "platform/control_ids.h"

enum TCtlStyle : unsigned {
  csNone = 0,
  csTitle = 1,          // 12 pt page title in the accent colour
  csBigTitle = 2,       // header title line, vertically centred
  csSmallItalic = 4,    // version label
  csWrap = 8,           // text wrapped over several lines
  csRight = 16,         // right-aligned hint
  csBoldUnderline = 32, // the user name on the Finish page
  csCenter = 64,        // centred text
  csMemoSmall = 128,    // 9 pt memo text
  csPathEllipsis = 256, // a path shortened in its middle when too long
  csBand = 512,         // drawn on the band colour (header and button bar)
  csAutoWidth = 1024,   // as wide as its caption needs (the run box)
  csFollows = 2048,     // placed right after the control before it (the user name)
  csMiddle = 4096,      // one line, vertically centred like a check box's caption
};

enum TAnchor : unsigned {
  anNone = 0,
  anGrowW = 1,  // widens with its parent
  anGrowH = 2,  // grows taller with its parent
  anMoveX = 4,  // keeps its distance to the parent's right edge
  anMoveY = 8,  // keeps its distance to the parent's bottom edge
  anShareW = 16,  // one of a row of columns: position and width take their share of the parent's change
};

struct TLayoutEntry {
  TCtlId id;
  TCtlId parent;  // 0 = the form's client area
  int x, y, w, h;
  unsigned anchors;
  unsigned style;
};

extern const TLayoutEntry cLayout[];
extern const int cLayoutCount;

// The layout entry of a control; nullptr for an id without one.
const TLayoutEntry* LayoutOf(TCtlId id);

// Client area of a new window, and the smallest content the scroll box shows
// without scrolling: every page is laid out to fit it, so a smaller window
// scrolls instead of squeezing the pages further.
constexpr int cClientWidth = 624;
constexpr int cClientHeight = 400;
constexpr int cContentMinWidth = 560;
constexpr int cContentMinHeight = 360;
// Width of the scroll bars the window draws itself (memos and scroll box).
constexpr int cScrollBarWidth = 12;
// The box and the gap in front of a check box's caption.
constexpr int cCheckGlyph = 16;
constexpr int cCheckGap = 6;
