// Texts that are joined from catalogue pieces, the product name and fixed
// literals. Each function returns the whole text in language `lang`.
#pragma once
#include "common/types.h"

// "Setup - Corvalin": the window caption and the cancel question's caption.
ustring WindowCaption();
// "Welcome to the setup of Corvalin".
ustring WelcomeTitle(TSuLang lang);
// "This wizard will help you to install Corvalin on your computer. ...".
ustring WelcomeSubject(TSuLang lang);
// Notes text when the setup runs on the wrong platform (start-up code 1); it
// ends with the web address followed by "Download".
ustring WrongPlatformNote(TSuLang lang);
// Notes text when an earlier version must be uninstalled (start-up code 4);
// two lines.
ustring UninstallFirstNote(TSuLang lang);
// "Installation type: " followed by the new or the update wording.
ustring InstallTypeLabel(TSuLang lang, bool update);
// "Run Corvalin now as user: "; the caller appends the user name.
ustring RunNowCaption(TSuLang lang);
// The default-programs description: description text + algorithm list.
ustring ApplicationDescription(TSuLang lang);
