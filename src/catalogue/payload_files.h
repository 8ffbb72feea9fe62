// The fifteen product files carried by the setup, and the shortcuts that
// belong to some of them. Index i is the link between PayFiles, CutEntries,
// the payload resource PayResourceId(i) and the temporary names of files in use.
#pragma once
#include <array>
#include <cstdint>
#include "common/types.h"

struct TPayFile {
  bool pfInstal;              // written to the installation folder (and verified at start)
  const char16_t* pfFilNam;   // name inside the installation folder, no directory part
};

inline constexpr std::size_t cPayFileCount = 15;

inline constexpr std::array<TPayFile, cPayFileCount> PayFiles{{
    {true, u"Corvalin.exe"},
    {false, u"ReadMe_en.txt"},   // shown on the Welcome page only
    {false, u"ReadMe_de.txt"},
    {true, u"License_en.txt"},
    {true, u"License_de.txt"},
    {true, u"cvlnhlib.exe"},
    {true, u"cvlnshxt.dll"},
    {true, u"Corvalin_en.chm"},
    {true, u"Corvalin_de.chm"},
    {true, u"cvlncmdc.exe"},
    {true, u"cvlncmdv.exe"},
    {true, u"Corvalin_w11CtxMn_Pack.msix"},
    {true, u"Corvalin_en.pdf"},
    {true, u"Corvalin_de.pdf"},
    {true, u"Uninstall.exe"},
}};

// Entries that other parts of the setup use by index.
inline constexpr int cPayMainProgram = 0;
inline constexpr int cPayReadMeFirst = 1;   // + language
inline constexpr int cPayLicenseFirst = 3;  // + language
inline constexpr int cPayShellExt = 6;
inline constexpr int cPayCtxMenuPackage = 11;
inline constexpr int cPayUninstaller = 14;

// RCDATA resource id of PayFiles entry `index`.
inline constexpr std::uint32_t cPayResourceBase = 128;
constexpr std::uint32_t PayResourceId(int index) { return cPayResourceBase + static_cast<std::uint32_t>(index); }

struct TCutEntry {
  const char16_t* ceLnkNam;  // shortcut name without ".lnk"; empty: the file gets no shortcut
  TLangText ceDescri;        // shortcut description in both languages
};

inline constexpr std::array<TCutEntry, cPayFileCount> CutEntries{{
    {u"Corvalin", {{u"Creates and validates hash values for files", u"Erstellt und validiert Datei-Hashwerte"}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"Help (UK)", {{u"Corvalin: English manual", u"Corvalin: Benutzerhandbuch englisch"}}},
    {u"Help (DE)", {{u"Corvalin: German manual", u"Corvalin: Benutzerhandbuch deutsch"}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"", {{u"", u""}}},
    {u"Manual (UK)", {{u"Corvalin: Manual (english)", u"Corvalin: Handbuch (englisch)"}}},
    {u"Manual (DE)", {{u"Corvalin: Manual (german)", u"Corvalin: Handbuch (deutsch)"}}},
    {u"", {{u"", u""}}},
}};

// Only the main program may also get a desktop shortcut.
inline constexpr int cCutDesktopEntry = cPayMainProgram;
