// The choices the Prepare and Review pages start with on this system, and the
// options of the command line applied to them: one set of rules for the
// wizard's boxes and for the unattended installation.
#pragma once
#include <cstdint>

#include "common/cmdline.h"
#include "common/setup_choices.h"

// The overwrite box starts ticked for an update.
bool DefaultOverwrite(std::uint8_t nsInsTyp);
// The desktop box starts ticked (and locked) for an update whose desktop link exists.
bool DefaultDesktopLink(std::uint8_t nsInsTyp);
// An association box: a new installation takes the free extensions and its
// own; an update keeps its own. owner is the current owner's name, empty when free.
bool DefaultAssociation(std::uint8_t nsInsTyp, bool ours, const ustring& owner);
// Fills nsCanOvr, nsCutDsk and nsAssoci with the defaults above for ns's type.
void DefaultChoices(TNewSetup& ns);

// The folder rule of the Prepare page: below the program-files folder, not
// that folder itself. full receives the absolute folder with a trailing backslash.
bool FolderBelowProgramFiles(const ustring& path, ustring& full);

// The options acting on the choices: /E, /I and /O tick their boxes, an
// explicit /L sets the language (an update otherwise keeps its own), and /P
// gives a new installation its folder. False when /P names a folder the rule
// refuses (nsInsLoc then stays); an update ignores /P.
bool ApplyCmdOptions(const TCmdParams& cp, TNewSetup& ns);
