// Texts selected by number: the message of each task status code and the
// words that follow a step label on the Finish page. Index 0 of StepResults
// and PkgStates is deliberately empty.
#pragma once
#include <array>
#include "common/types.h"

inline constexpr int cFirstMsgCode = 28;
inline constexpr int cLastMsgCode = 47;

// SetupMsgs[code - cFirstMsgCode] for status codes 28..47.
inline constexpr std::array<TLangText, cLastMsgCode - cFirstMsgCode + 1> SetupMsgs{{
    {{u"Error while determining the menu path.", u"Fehler bei der Ermittlung des Menüpfades."}},
    {{u"Error while determining the desktop folder.", u"Fehler bei der Ermittlung des Arbeitsplatzordners."}},
    {{u"Error: One or more base keys in the registry not found or insufficient permissions.",
      u"Fehler: Ein oder mehrere Basisschlüssel in der Registrierung nicht gefunden oder unzureichende Berechtigung."}},
    {{u"You must agree to the Eula before you start the installation.",
      u"Sie müssen die Eula akzeptieren, bevor Sie die Installation starten."}},
    {{u"Error: The installation path could not be found.", u"Fehler: Der Installationspfad konnte nicht gefunden werden."}},
    {{u"Error: The installation path could not be created.",
      u"Fehler: Der Installationspfad konnte nicht erstellt werden."}},
    {{u"Error: Insufficient free space detected.", u"Fehler: Unzureichender Speicherplatz festgestellt."}},
    {{u"Error: One or more files are in use. Please close all programs or logoff from your system.",
      u"Fehler: Eine oder mehrere Dateien sind in Benutzung. Bitte beenden Sie alle Programme oder melden sich vom "
      u"System ab."}},
    {{u"One or more files need to be replaced.", u"Eine oder mehrere Dateien müssen ersetzt werden."}},
    {{u"All settings OK.", u"Alle Einstellungen in Ordnung."}},
    {{u"Preparing installation ... ", u"Bereite Installation vor ... "}},
    {{u"Installing files ... ", u"Installiere Dateien ... "}},
    {{u"Registering application ... ", u"Registriere Anwendung ... "}},
    {{u"Creating shortcuts ... ", u"Erstelle Verknüpfungen ... "}},
    {{u"Uninstalling old version of context menu entries - ", u"Deinstalliere alte Version von Kontextmenüeinträgen - "}},
    {{u"Installing context menu entries - ", u"Installiere Kontextmenüeinträge - "}},
    {{u"Installation of context menu entries: ", u"Installation von Kontextmenüeinträgen: "}},
    {{u"Installation completed successfully.", u"Installation erfolgreich beendet."}},
    {{u"Installation failed.", u"Installation fehlgeschlagen."}},
    {{u"Unexpected error occured", u"Ein unerwarteter Fehler trat auf."}},
}};

// Result word after a step label (codes 38..41); 3 also stands for a failed
// package operation that reported no state.
inline constexpr std::array<TLangText, 4> StepResults{{
    {{u"", u""}},
    {{u"OK", u"OK"}},
    {{u"Failed", u"Fehlerhaft"}},
    {{u"General error", u"Allgemeiner Fehler"}},
}};

// Progress word of the context-menu package steps (codes 42 and 43).
inline constexpr std::array<TLangText, 3> PkgProgress{{
    {{u" ... ", u" ... "}},
    {{u"queued ... ", u"eingereiht ... "}},
    {{u"processing ... ", u"wird ausgeführt ... "}},
}};

// End state of the context-menu package registration (code 44).
inline constexpr std::array<TLangText, 5> PkgStates{{
    {{u"", u""}},
    {{u"Started", u"Gestartet"}},
    {{u"Completed", u"Durchgeführt"}},
    {{u"Canceled", u"Abgebrochen"}},
    {{u"Error", u"Fehler"}},
}};

// The message of status code `code` in language `lang`; empty outside 28..47.
ustring SetupMsgText(int code, TSuLang lang);
