#include "catalogue/version.h"

#include "catalogue/identity.h"
#include "common/utils.h"

ustring ComposeDisplayVersion(std::int32_t major, std::int32_t minor) {
  // An earlier installation is recognised by the last two characters of this
  // text, so the edition code must stay at its very end.
  return DecOfInt(major) + u"." + DecOfIntPadded(minor, 2) + u" " + cEditionCode;
}

ustring ComposeTitleLine() {
  return ustring(cProductName) + u" " + DecOfInt(cVerMajor) + u"." + DecOfIntPadded(cVerMinor, 2) + u"." +
         DecOfInt(cVerBuild) + u" x" + DecOfInt(cBitness) + u" " + cEditionCode;
}

ustring ComposeDisplayName() {
  return ustring(cProductName) + u" v" + ComposeDisplayVersion(cVerMajor, cVerMinor) + u" x" + DecOfInt(cBitness);
}
