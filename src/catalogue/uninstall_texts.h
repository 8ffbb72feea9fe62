// The uninstaller's texts, in English and German (pick with text[lang]).
// Pieces keep their spaces and line breaks: callers join them by plain
// concatenation with the product name, paths and the list of what is left.
#pragma once
#include "common/types.h"

inline constexpr TLangText cTxUnCaption{{u"Uninstall ", u"Deinstallation von "}};
inline constexpr TLangText cTxUnConfirm{
    {u"Do you really want to remove Corvalin and all of its components?",
     u"Möchten Sie Corvalin und alle zugehörigen Komponenten wirklich entfernen?"}};
inline constexpr TLangText cTxUnInUse1{{u"The following file is in use:\r\n\r\n",
                                        u"Die folgende Datei wird gerade verwendet:\r\n\r\n"}};
inline constexpr TLangText cTxUnInUse2{
    {u"\r\n\r\nPlease close Corvalin and choose Retry, or choose Cancel to stop the uninstallation.",
     u"\r\n\r\nBitte beenden Sie Corvalin und wählen Sie Wiederholen, oder wählen Sie Abbrechen, um die "
     u"Deinstallation zu beenden."}};
// Still held after Retry: the file, then (where the system can tell) the
// programs holding it, then the choice.
inline constexpr TLangText cTxUnStillInUse{{u"The following file is still in use:\r\n\r\n",
                                            u"Die folgende Datei wird immer noch verwendet:\r\n\r\n"}};
inline constexpr TLangText cTxUnHeldBy{{u"\r\n\r\nIt is held by: ", u"\r\n\r\nSie wird verwendet von: "}};
inline constexpr TLangText cTxUnAtRestartChoice{
    {u"\r\n\r\nChoose Yes to remove it when Windows restarts next, No to try again, or Cancel to stop the "
     u"uninstallation.",
     u"\r\n\r\nWählen Sie Ja, um sie beim nächsten Neustart von Windows zu entfernen, Nein, um es erneut zu "
     u"versuchen, oder Abbrechen, um die Deinstallation zu beenden."}};
inline constexpr TLangText cTxUnDone{{u"Corvalin was removed from your computer.",
                                      u"Corvalin wurde von Ihrem Computer entfernt."}};
inline constexpr TLangText cTxUnReboot{
    {u"Corvalin was removed from your computer. Files that are still in use will be deleted when Windows "
     u"restarts.",
     u"Corvalin wurde von Ihrem Computer entfernt. Dateien, die noch verwendet werden, werden beim Neustart "
     u"von Windows gelöscht."}};
inline constexpr TLangText cTxUnFailed{
    {u"Corvalin could not be removed completely. The following items are left:\r\n",
     u"Corvalin konnte nicht vollständig entfernt werden. Folgende Elemente sind noch vorhanden:\r\n"}};
inline constexpr TLangText cTxUnMore{{u"\r\n... and more", u"\r\n... und weitere"}};
inline constexpr TLangText cTxUnNotHere{{u"Corvalin is not installed in this folder, so nothing was removed.",
                                         u"Corvalin ist in diesem Ordner nicht installiert, daher wurde nichts "
                                         u"entfernt."}};
inline constexpr TLangText cTxUnBusy{
    {u"A setup or uninstallation of Corvalin is already running. Please let it finish first, then start the "
     u"uninstallation again.",
     u"Ein Setup oder eine Deinstallation von Corvalin läuft bereits. Bitte lassen Sie es zuerst zu Ende laufen "
     u"und starten Sie die Deinstallation dann erneut."}};
inline constexpr TLangText cTxUnPackage{{u"Windows 11 context menu entries of the current user",
                                         u"Windows 11 Kontextmenü-Einträge des aktuellen Benutzers"}};
inline constexpr TLangText cTxUnEntry{{u"the uninstall entry (it could not be read)",
                                       u"der Deinstallationseintrag (er konnte nicht gelesen werden)"}};
