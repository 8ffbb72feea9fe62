// The wizard's status record, shared by the form and the progress display
// (which the unattended front end uses too).
#pragma once
#include <cstdint>

struct TSuStatus {
  bool stWasNex = false;      // the last move was Next (steers the focus only)
  bool stW11Nfo = false;      // the Windows 11 context-menu step completed
  bool stRestart = false;     // an earlier product file waits for the next restart to be deleted
  std::uint8_t stStaCod = 0;  // status code: 0 ok, 1..6 start-up failure, 16/17 task runs, 28..47 results
  std::int32_t stActPag = 0;  // page shown: 0, 1, 2, 4, 5 (6 only while Next on Finish closes)
};

constexpr std::uint8_t cStaPrepRuns = 16;  // the preparation task runs
constexpr std::uint8_t cStaInstRuns = 17;  // the installation task runs
