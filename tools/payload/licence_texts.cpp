#include "licence_texts.h"

#include <vector>

namespace {

// "{P}" stands for the product's name and "{M}" for its maker.
const std::vector<std::string> kEnglish = {
    "{P} - End-user licence agreement",
    "",
    "Please read this agreement carefully before you install {P}. By installing, copying or",
    "otherwise using the software you agree to be bound by its terms. If you do not agree,",
    "do not install the software.",
    "",
    "1. Definitions",
    "\"Software\" means the program {P}, its libraries, its command-line tools, its context-menu",
    "package, its documentation and every update that {M} provides for it. \"You\" means the",
    "person or the organisation that installs or uses the Software.",
    "",
    "2. Grant of licence",
    "{M} grants you a non-exclusive, non-transferable right to install the Software on the",
    "computers that you own or control and to use it for creating and validating hash values",
    "of files, for private and for commercial purposes. You may make copies of the Software",
    "for backup purposes, provided that every copy keeps all notices of ownership.",
    "",
    "3. Restrictions",
    "You may not rent, lease or sell the Software, publish it as your own, or distribute",
    "modified copies of it. You may not remove or change any notice of ownership. You may not",
    "reverse engineer, decompile or disassemble the Software, except where and only as far as",
    "the law that applies to you expressly allows it despite this restriction.",
    "",
    "4. Ownership",
    "The Software is licensed, not sold. {M} keeps all rights, title and interest in the",
    "Software, including all copyrights and other intellectual property rights. Any right not",
    "expressly granted in this agreement is reserved.",
    "",
    "5. Hash values and your data",
    "The Software reads the files that you select and writes the hash files that you ask for.",
    "It does not send any of your data anywhere. A hash value shows whether a file has",
    "changed; it does not repair a file and it does not replace a backup.",
    "",
    "6. No warranty",
    "The Software is provided \"as is\", without warranty of any kind, express or implied,",
    "including but not limited to the warranties of merchantability, fitness for a particular",
    "purpose and non-infringement. You bear the whole risk as to the quality and the",
    "performance of the Software.",
    "",
    "7. Limitation of liability",
    "To the extent permitted by the law that applies, {M} shall not be liable for any",
    "damages whatsoever, including lost profits, lost data or business interruption, arising",
    "out of the use of or the inability to use the Software, even if {M} has been advised",
    "of the possibility of such damages. This does not limit liability for intent or gross",
    "negligence, or for injury to life, body or health.",
    "",
    "8. Termination",
    "This licence ends automatically if you fail to comply with any of its terms. When it",
    "ends you must uninstall the Software and destroy all copies of it.",
    "",
    "9. Applicable law",
    "This agreement is governed by the law of the country in which {M} has its seat,",
    "without regard to its conflict-of-laws rules. If any provision of this agreement is held",
    "invalid, the remaining provisions stay in force.",
    "",
    "Copyright (C) {M}. All rights reserved.",
};

const std::vector<std::string> kGerman = {
    "{P} - Lizenzvertrag für Endbenutzer",
    "",
    "Bitte lesen Sie diesen Vertrag sorgfältig, bevor Sie {P} installieren. Indem Sie die",
    "Software installieren, kopieren oder auf andere Weise verwenden, erklären Sie sich mit",
    "seinen Bedingungen einverstanden. Wenn Sie nicht einverstanden sind, installieren Sie die",
    "Software bitte nicht.",
    "",
    "1. Begriffe",
    "\"Software\" bezeichnet das Programm {P}, seine Bibliotheken, seine Kommandozeilenprogramme,",
    "sein Kontextmenü-Paket, seine Dokumentation und jede Aktualisierung, die {M} dafür",
    "bereitstellt. \"Sie\" bezeichnet die Person oder Organisation, welche die Software",
    "installiert oder verwendet.",
    "",
    "2. Einräumung der Lizenz",
    "{M} räumt Ihnen das nicht ausschließliche und nicht übertragbare Recht ein, die",
    "Software auf den Computern zu installieren, die Ihnen gehören oder die Sie verwalten, und",
    "sie zum Erstellen und Validieren von Datei-Hashwerten zu verwenden, privat wie gewerblich.",
    "Sie dürfen Sicherungskopien der Software anfertigen, sofern jede Kopie alle",
    "Eigentumsvermerke behält.",
    "",
    "3. Einschränkungen",
    "Sie dürfen die Software weder vermieten, verleasen oder verkaufen noch als eigene",
    "veröffentlichen oder veränderte Kopien verbreiten. Eigentumsvermerke dürfen Sie weder",
    "entfernen noch ändern. Sie dürfen die Software nicht zurückentwickeln, dekompilieren oder",
    "disassemblieren, es sei denn, das für Sie geltende Recht erlaubt dies ausdrücklich und",
    "trotz dieser Einschränkung, und nur in diesem Umfang.",
    "",
    "4. Eigentum",
    "Die Software wird lizenziert, nicht verkauft. Alle Rechte an der Software, einschließlich",
    "der Urheberrechte und aller anderen Schutzrechte, verbleiben bei {M}. Rechte, die",
    "dieser Vertrag nicht ausdrücklich einräumt, bleiben vorbehalten.",
    "",
    "5. Hashwerte und Ihre Daten",
    "Die Software liest die Dateien, die Sie auswählen, und schreibt die Hash-Dateien, die Sie",
    "anfordern. Sie sendet keine Ihrer Daten an Dritte. Ein Hashwert zeigt, ob sich eine Datei",
    "verändert hat; er repariert keine Datei und ersetzt keine Datensicherung.",
    "",
    "6. Keine Gewährleistung",
    "Die Software wird \"wie besehen\" bereitgestellt, ohne ausdrückliche oder stillschweigende",
    "Gewährleistung jeder Art, insbesondere ohne Gewähr für die Marktgängigkeit, die Eignung",
    "für einen bestimmten Zweck und die Freiheit von Rechten Dritter. Das gesamte Risiko für",
    "die Qualität und die Leistung der Software tragen Sie.",
    "",
    "7. Haftungsbeschränkung",
    "Soweit das anwendbare Recht es zulässt, haftet {M} nicht für Schäden jeder Art,",
    "einschließlich entgangenen Gewinns, verlorener Daten oder Betriebsunterbrechungen, die aus",
    "der Verwendung oder der Unmöglichkeit der Verwendung der Software entstehen, auch wenn",
    "{M} auf die Möglichkeit solcher Schäden hingewiesen wurde. Die Haftung für Vorsatz",
    "und grobe Fahrlässigkeit sowie für Schäden an Leben, Körper oder Gesundheit bleibt",
    "unberührt.",
    "",
    "8. Beendigung",
    "Diese Lizenz endet von selbst, wenn Sie gegen eine ihrer Bedingungen verstoßen. Danach",
    "müssen Sie die Software deinstallieren und alle Kopien vernichten.",
    "",
    "9. Anwendbares Recht",
    "Dieser Vertrag unterliegt dem Recht des Landes, in dem {M} seinen Sitz hat, unter",
    "Ausschluss seiner Kollisionsnormen. Sollte eine Bestimmung dieses Vertrags unwirksam",
    "sein, bleiben die übrigen Bestimmungen in Kraft.",
    "",
    "Copyright (C) {M}. Alle Rechte vorbehalten.",
};

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

}  // namespace

std::string LicenceText(TLanguage lang, const std::string& product, const std::string& maker) {
  std::string text;
  for (const std::string& line : lang == TLanguage::English ? kEnglish : kGerman) {
    std::string l = line;
    ReplaceAll(l, "{P}", product);
    ReplaceAll(l, "{M}", maker);
    text += l + "\r\n";
  }
  return text;
}
