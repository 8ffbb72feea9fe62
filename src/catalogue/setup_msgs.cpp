#include "catalogue/setup_msgs.h"

ustring SetupMsgText(int code, TSuLang lang) {
  // Codes outside the table (start-up codes, task states) have no message of
  // their own; the caller shows nothing rather than a neighbour's text.
  if (code < cFirstMsgCode || code > cLastMsgCode) return ustring();
  return SetupMsgs[static_cast<std::size_t>(code - cFirstMsgCode)][lang];
}
