// What both programs switch on before they touch a file: the redirection
// trust mitigation, so that a junction a non-administrator made is not
// followed at all by this elevated process. Where the system lacks it
// (before Windows 11, Wine) that is no failure: the checks of
// engine/guarded_file.h hold on their own.
#pragma once

void HardenProcess();
