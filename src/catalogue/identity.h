// The product's identity strings. Every layer takes these names from here
// instead of repeating the literals.
#pragma once
#include "catalogue/fixed_text.h"

inline constexpr char16_t cProductName[] = u"Corvalin";          // folders, captions, registry names
inline constexpr char16_t cEditionCode[] = u"KQ";                // last two characters of DisplayVersion
inline constexpr char16_t cMainProgram[] = u"Corvalin.exe";      // equals PayFiles[0].pfFilNam
inline constexpr char16_t cProgId[] = u"Corvalin.HashFileExt";   // file type of the hash extensions
inline constexpr char16_t cFileTypeName[] = u"Corvalin Hash File";
inline constexpr char16_t cHandlerKeyName[] = u"Corvalin";       // shell-extension handler subkeys
inline constexpr char16_t cPropPageKeyName[] = u"CorvalinHashPage";
// The machine-wide mutex that lets one setup (or uninstaller) run at a time;
// "Global\\" reaches every session, the system account's included.
inline constexpr char16_t cSetupMutexName[] = u"Global\\Corvalin-Setup-Running";  // where there are no private namespaces
// The guard's private namespace (its boundary holds the Administrators) and the mutex in it.
inline constexpr char16_t cSetupNamespace[] = u"Corvalin-Setup";
inline constexpr char16_t cSetupGuardName[] = u"Corvalin-Setup\\Corvalin-Setup-Running";
// The log's file name in the temporary folder.
inline constexpr char16_t cSetupLogName[] = u"Corvalin-Setup.log";
inline constexpr char16_t cSetupLogStem[] = u"Corvalin-Setup";  // fresh logs: stem-<16 hex>.log
inline constexpr char16_t cUninstallLogName[] = u"Corvalin-Uninstall.log";
inline constexpr char16_t cUninstallLogStem[] = u"Corvalin-Uninstall";

// Home page; it ends with "/" so that a path segment can follow directly.
inline constexpr char16_t cWebAddress[] = u"https://www.corvalin.example/";
// Maker's name and place, written as the uninstall entry's publisher.
inline constexpr char16_t cPublisher[] = u"Tavo Software, Graz";

static_assert(cWebAddress[TextLength(cWebAddress) - 1] == u'/', "the web address must end with a slash");
static_assert(TextLength(cEditionCode) == 2, "the edition code fills the last two characters of DisplayVersion");
