// Every fixed text the wizard shows, in English and German (pick with
// text[lang]). Pieces keep their leading and trailing spaces: callers join
// them by plain concatenation. Joined texts are in joined_texts.h, the
// status-code messages in setup_msgs.h, shortcut descriptions in CutEntries.
#pragma once
#include <array>
#include "common/types.h"

// --- window and buttons ---
inline constexpr TLangText cTxCaptionPrefix{{u"Setup - ", u"Setup - "}};
inline constexpr TLangText cTxCancelAsk{{u"Do you really want to cancel the installation?",
                                         u"Möchten Sie wirklich die Installation beenden?"}};
inline constexpr TLangText cTxCancel{{u"Cancel", u"Abbruch"}};
inline constexpr TLangText cTxBack{{u"Back", u"Zurück"}};
inline constexpr TLangText cTxNext{{u"Next", u"Weiter"}};
inline constexpr TLangText cTxInstall{{u"Install", u"Installieren"}};
inline constexpr TLangText cTxFinish{{u"Finish", u"Beenden"}};
inline constexpr TLangText cTxWaitMore{{u"Please wait a bit more for a proper installation!",
                                        u"Bitte warten Sie noch ein wenig für eine saubere Installation!"}};
// A second setup started while one runs, when the running one's window can't be brought forward.
inline constexpr TLangText cTxAlreadyRunning{
    {u"Another setup of Corvalin is already running. Please let it finish first.",
     u"Ein anderes Setup von Corvalin läuft bereits. Bitte lassen Sie es zuerst zu Ende laufen."}};
inline constexpr TLangText cTxTakesMinutes{{u"can take 1-2 minutes!", u"kann 1-2 Minuten dauern!"}};

// --- Welcome page ---
inline constexpr TLangText cTxWcTitle{{u"Welcome to the setup of ", u"Willkommen beim Setup für "}};
inline constexpr TLangText cTxWcSubject1{{u"This wizard will help you to install ",
                                          u"Dieser Wizard wird Ihnen dabei helfen, "}};
inline constexpr TLangText cTxWcSubject2{
    {u" on your computer. Please close all programs before you continue.",
     u" auf Ihrem Computer zu installieren. Bitte beenden Sie alle Programme, bevor Sie fortfahren."}};
inline constexpr TLangText cTxWcLangBox{{u"Installation language:", u"Installationssprache:"}};
inline constexpr TLangText cTxWcNotesBox{{u"Installation notes", u"Installationshinweise"}};
inline constexpr TLangText cTxWcNoHints{{u"No special hints at the moment.", u"Zur Zeit keine speziellen Hinweise."}};
inline constexpr TLangText cTxWcPlatform1{{u"Error: This version of ", u"Fehler: Diese Version von "}};
inline constexpr TLangText cTxWcPlatform2{{u" is designed for Windows ", u" wurde für Windows "}};
inline constexpr TLangText cTxWcPlatform3{{u" bit. The correct version for your operating system (",
                                           u" bit erstellt. Die richtige Version für Ihr Betriebssystem ("}};
inline constexpr TLangText cTxWcPlatform4{{u") is available at ", u") ist verfügbar unter "}};
inline constexpr TLangText cTxWcNoPrivileges{{u"Error: Insufficient privileges for running setup.",
                                              u"Fehler: Unzureichende Berechtigungen um Setup zu starten."}};
inline constexpr TLangText cTxWcDamaged{{u"Error: The setup file is damaged.", u"Fehler: Die Setup-Datei ist beschädigt."}};
inline constexpr TLangText cTxWcUninstall1{{u"Please uninstall the existing version and restart setup.",
                                            u"Bitte deinstallieren Sie die existierende Version und starten Setup erneut."}};
inline constexpr TLangText cTxWcUninstall2{{u"\r\n - User specific settings will be taken over, if exist.",
                                            u"\r\n - Benutzerdefinierte Einstellungen werden übernommen, falls vorhanden."}};
inline constexpr TLangText cTxWcNoSysPath{{u"Error while determining the system path.",
                                           u"Fehler bei der Ermittlung des Systempfades."}};
inline constexpr TLangText cTxWcNoProgFolder{{u"Error while determining the programs folder.",
                                              u"Fehler bei der Ermittlung des Ordners für Programme."}};
inline constexpr TLangText cTxWcHint{{u"Click on next to continue.", u"Klicken Sie auf Weiter um fortzufahren."}};

// Items of the language box, in TSuLang order; the same in both languages.
inline constexpr std::array<const char16_t*, 2> LangNames{u"English", u"German"};

// --- License page ---
inline constexpr TLangText cTxLcTitle{{u"License Agreement", u"Lizenzvertrag"}};
inline constexpr TLangText cTxLcSubject{
    {u"Please read the following license agreement before you continue. This document will also be available "
     u"as a text file in the installation folder.",
     u"Bitte lesen Sie den folgenden Lizenzvertrag, bevor Sie fortfahren. Dieses Dokument wird auch als "
     u"Text-Datei im Installationsverzeichnis zur Verfügung stehen."}};
// The German wording has no final full stop.
inline constexpr TLangText cTxLcAccept{{u"I accept the license agreement.", u"Ich akzeptiere den Lizenzvertrag"}};

// --- Prepare page and folder dialog ---
inline constexpr TLangText cTxPpTitle{{u"Prepare Installation", u"Installation vorbereiten"}};
inline constexpr TLangText cTxPpTypeLabel{{u"Installation type: ", u"Installationstyp: "}};
inline constexpr TLangText cTxPpTypeNew{{u"New installation", u"Neue Installation"}};
inline constexpr TLangText cTxPpTypeUpdate{
    {u"Update installation - replaces files, no change of settings.",
     u"Update Installation - ersetzt Dateien, keine Veränderung bei den Einstellungen."}};
inline constexpr TLangText cTxPpFolder{{u"Installation folder", u"Installationsverzeichnis"}};
inline constexpr TLangText cTxPpChange{{u"Change ...", u"Ändern ..."}};
inline constexpr TLangText cTxPpDlgSubject{{u"Please select a subfolder as the installation folder.",
                                            u"Bitte wählen Sie ein Unterverzeichnis als Installationsordner aus."}};
inline constexpr TLangText cTxPpDlgSelect{{u"Select", u"Auswählen"}};
inline constexpr TLangText cTxPpShortcuts{{u"Shortcuts", u"Verknüpfungen"}};
inline constexpr TLangText cTxPpStartMenu{{u"Start menu", u"Startmenü"}};
inline constexpr TLangText cTxPpDesktop{{u"Desktop", u"Desktop"}};
inline constexpr TLangText cTxPpHint{{u"Click on next to review your settings.",
                                      u"Klicken Sie auf Weiter, um Ihre Einstellungen zu überprüfen."}};
inline constexpr TLangText cTxPpAssocs{{u"File associations", u"Datei-Assoziationen"}};

// --- Review page ---
inline constexpr TLangText cTxRvTitle{{u"Review settings", u"Einstellungen überprüfen"}};
inline constexpr TLangText cTxRvSettings{{u"Settings", u"Einstellungen"}};
inline constexpr TLangText cTxRvReplace{{u"Replace existing files", u"Existierende Dateien ersetzen"}};
inline constexpr TLangText cTxRvHint{{u"Click on install to start the installation now.",
                                      u"Klicken Sie auf Installieren um die Installation zu starten."}};
inline constexpr TLangText cTxRvDiskSpace{{u"Required disk space", u"Erforderlicher Plattenplatz"}};

// --- Finish page ---
inline constexpr TLangText cTxFiTitle{{u"Completing Installation", u"Beende Installation"}};
inline constexpr TLangText cTxFiRunNow1{{u"Run ", u"Jetzt "}};
inline constexpr TLangText cTxFiRunNow2{{u" now as user: ", u" ausführen als: "}};
inline constexpr TLangText cTxFiHint{{u"Click on finish to close the wizard.",
                                      u"Klicken Sie auf Beenden um den Wizard zu schließen."}};
// A progress line per product file whose earlier copy was in use; the file's path follows.
inline constexpr TLangText cTxFiAtRestart{
    {u"In use, the earlier file is deleted at the next restart: ",
     u"In Verwendung, die frühere Datei wird beim nächsten Neustart gelöscht: "}};
inline constexpr TLangText cTxFiW11Heading{{u"Hints regarding Windows 11 context menu:",
                                            u"Hinweise zum Windows 11 Kontextmenü:"}};
inline constexpr TLangText cTxFiW11Hint{
    {u"The menu entry for Corvalin must be registered on user level. This is already done for the user, who is "
     u"running the setup. Other users simply start once the main program Corvalin.exe and then restart the "
     u"Windows Explorer.",
     u"Der Menüeintrag für Corvalin muss auf Benutzerebene registriert werden. Dies ist bereits für den Anwender "
     u"erledigt, der das Setup aufruft. Andere Anwender rufen einfach einmal das Hauptprogramm Corvalin.exe auf "
     u"und starten dann den Windows Explorer neu."}};

// --- registry ---
// Start of the default-programs description; the algorithm list follows it.
inline constexpr TLangText cTxAppDescription{
    {u"Corvalin is a tool for creating and validating file hash values. The following file extensions are used "
     u"for hash files:",
     u"Corvalin ist ein Werkzeug zur Erstellung und Validierung von Datei-Hashwerten. Die folgenden "
     u"Datei-Erweiterungen werden für Hashdateien verwendet:"}};
