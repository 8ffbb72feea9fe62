#include "sample_content.h"

#include <array>
#include <cmath>

std::uint64_t TSampleRng::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint32_t TSampleRng::Below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(Next() % n); }

std::uint32_t TSampleRng::Skewed(std::uint32_t n) {
  // Integer-only so that every compiler gives the same sequence.
  const std::uint64_t a = Next() % 65536, b = Next() % 65536, c = Next() % 65536;
  return static_cast<std::uint32_t>((a * b / 65536) * c / 65536 * n / 65536);
}

namespace {

void Fit(TBytes& out, std::size_t start, std::size_t count) { out.resize(start + count); }

void Put32(TBytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// One instruction pattern: fixed bytes and what follows them.
enum class TTail { None, Disp8, Imm8, Rel32, Imm32Small, Disp32 };
struct TInsn {
  std::array<std::uint8_t, 4> bytes;
  std::uint8_t length;
  TTail tail;
};

// Common x86-64 encodings: moves between registers and the stack frame,
// arithmetic, compares, branches and calls.
constexpr TInsn kInsns[] = {
    {{0x48, 0x8B, 0x45, 0}, 3, TTail::Disp8},   {{0x48, 0x89, 0x45, 0}, 3, TTail::Disp8},
    {{0x48, 0x8B, 0xC8, 0}, 3, TTail::None},    {{0x48, 0x8B, 0xD0, 0}, 3, TTail::None},
    {{0xE8, 0, 0, 0}, 1, TTail::Rel32},         {{0x48, 0x8D, 0x0D, 0}, 3, TTail::Rel32},
    {{0x85, 0xC0, 0, 0}, 2, TTail::None},       {{0x74, 0, 0, 0}, 1, TTail::Imm8},
    {{0x75, 0, 0, 0}, 1, TTail::Imm8},          {{0x33, 0xC0, 0, 0}, 2, TTail::None},
    {{0x48, 0x89, 0x5C, 0x24}, 4, TTail::Disp8}, {{0x48, 0x8B, 0x4C, 0x24}, 4, TTail::Disp8},
    {{0x8B, 0x44, 0x24, 0}, 3, TTail::Disp8},   {{0x89, 0x44, 0x24, 0}, 3, TTail::Disp8},
    {{0xFF, 0x15, 0, 0}, 2, TTail::Rel32},      {{0x0F, 0x84, 0, 0}, 2, TTail::Rel32},
    {{0x0F, 0x85, 0, 0}, 2, TTail::Rel32},      {{0x48, 0x83, 0xC4, 0}, 3, TTail::Imm8},
    {{0x48, 0x83, 0xEC, 0}, 3, TTail::Imm8},    {{0x4C, 0x8B, 0xC3, 0}, 3, TTail::None},
    {{0x49, 0x8B, 0xCE, 0}, 3, TTail::None},    {{0x41, 0xB8, 0, 0}, 2, TTail::Imm32Small},
    {{0xBA, 0, 0, 0}, 1, TTail::Imm32Small},    {{0x48, 0x3B, 0xC3, 0}, 3, TTail::None},
    {{0x83, 0xF8, 0, 0}, 2, TTail::Imm8},       {{0xEB, 0, 0, 0}, 1, TTail::Imm8},
    {{0xE9, 0, 0, 0}, 1, TTail::Rel32},         {{0x48, 0x8B, 0x05, 0}, 3, TTail::Rel32},
    {{0x8B, 0x0D, 0, 0}, 2, TTail::Disp32},     {{0x0F, 0xB6, 0x04, 0x0A}, 4, TTail::None},
    {{0x48, 0xFF, 0xC1, 0}, 3, TTail::None},    {{0xFF, 0xC0, 0, 0}, 2, TTail::None},
    {{0x4D, 0x85, 0xC0, 0}, 3, TTail::None},    {{0x66, 0x89, 0x44, 0x24}, 4, TTail::Disp8},
    {{0xC6, 0x44, 0x24, 0}, 3, TTail::Disp8},   {{0x41, 0x8B, 0xC1, 0}, 3, TTail::None},
    {{0x48, 0x63, 0xD0, 0}, 3, TTail::None},    {{0x0F, 0x10, 0x44, 0x24}, 4, TTail::Disp8},
    {{0xF2, 0x0F, 0x59, 0xC1}, 4, TTail::None}, {{0x48, 0xC1, 0xE8, 0}, 3, TTail::Imm8},
};
constexpr std::uint32_t kInsnCount = sizeof kInsns / sizeof kInsns[0];

void AppendOneFunction(TBytes& out, TSampleRng& rng, std::uint32_t& callTarget) {
  // Prologue: save registers, reserve the frame.
  static constexpr std::uint8_t kPrologue[] = {0x48, 0x89, 0x5C, 0x24, 0x08, 0x57, 0x48, 0x83, 0xEC};
  out.insert(out.end(), kPrologue, kPrologue + sizeof kPrologue);
  out.push_back(static_cast<std::uint8_t>(0x20 + 0x10 * rng.Below(6)));
  const std::uint32_t body = 6 + rng.Skewed(120);
  for (std::uint32_t n = 0; n < body; ++n) {
    const TInsn& insn = kInsns[rng.Skewed(kInsnCount)];
    out.insert(out.end(), insn.bytes.begin(), insn.bytes.begin() + insn.length);
    switch (insn.tail) {
      case TTail::None: break;
      case TTail::Disp8: out.push_back(static_cast<std::uint8_t>(8 * (1 + rng.Skewed(16)))); break;
      case TTail::Imm8: out.push_back(static_cast<std::uint8_t>(rng.Skewed(64))); break;
      case TTail::Imm32Small: Put32(out, rng.Skewed(1024)); break;
      case TTail::Disp32: Put32(out, 0x00010000u + 8 * rng.Below(4096)); break;
      case TTail::Rel32:
        // Calls go to a few hot functions more often than to others.
        if (rng.Below(4) == 0) callTarget = rng.Below(1u << 20);
        Put32(out, static_cast<std::uint32_t>(-static_cast<std::int32_t>(callTarget + rng.Skewed(256))));
        break;
    }
  }
  static constexpr std::uint8_t kEpilogue[] = {0x48, 0x8B, 0x5C, 0x24, 0x30, 0x48, 0x83, 0xC4, 0x20, 0x5F, 0xC3};
  out.insert(out.end(), kEpilogue, kEpilogue + sizeof kEpilogue);
  while (out.size() % 16 != 0) out.push_back(0xCC);
}

const char* const kEnglishWords[] = {
    "the", "file", "hash", "value", "of", "and", "to", "a", "is", "in", "folder", "for", "each", "list",
    "check", "create", "validate", "with", "that", "can", "be", "files", "algorithm", "result", "you",
    "select", "window", "option", "when", "not", "this", "are", "from", "name", "path", "all", "on",
    "program", "menu", "context", "settings", "by", "new", "or", "which", "size", "time", "data",
    "values", "shown", "column", "error", "match", "changed", "original", "copy", "drive", "command",
    "line", "output", "saved", "format", "text", "open", "it", "its", "one", "more", "than", "same",
    "compare", "entry", "entries", "user", "manual", "chapter", "page", "see", "also", "example",
    "default", "button", "dialog", "read", "write", "progress", "speed", "large", "small", "number",
};
const char* const kGermanWords[] = {
    "die", "Datei", "Hashwert", "der", "und", "zu", "ein", "ist", "im", "Ordner", "für", "jede", "Liste",
    "prüfen", "erstellen", "validieren", "mit", "dass", "kann", "werden", "Dateien", "Algorithmus",
    "Ergebnis", "Sie", "wählen", "Fenster", "Option", "wenn", "nicht", "diese", "sind", "aus", "Name",
    "Pfad", "alle", "auf", "Programm", "Menü", "Kontext", "Einstellungen", "durch", "neue", "oder",
    "welche", "Größe", "Zeit", "Daten", "Werte", "angezeigt", "Spalte", "Fehler", "übereinstimmen",
    "geändert", "Kopie", "Laufwerk", "Befehl", "Zeile", "Ausgabe", "gespeichert", "Format", "Text",
    "öffnen", "es", "eine", "mehr", "als", "gleiche", "vergleichen", "Eintrag", "Benutzer", "Handbuch",
    "Kapitel", "Seite", "siehe", "auch", "Beispiel", "Standard", "Schaltfläche", "lesen", "schreiben",
};

std::string Sentence(TLanguage lang, TSampleRng& rng) {
  const char* const* words = lang == TLanguage::English ? kEnglishWords : kGermanWords;
  const std::uint32_t count = lang == TLanguage::English ? sizeof kEnglishWords / sizeof kEnglishWords[0]
                                                         : sizeof kGermanWords / sizeof kGermanWords[0];
  std::string s;
  const std::uint32_t length = 5 + rng.Below(14);
  for (std::uint32_t i = 0; i < length; ++i) {
    std::string w = words[rng.Skewed(count)];
    if (i == 0 && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 'a' + 'A');
    if (i > 0) s += (rng.Below(12) == 0 ? ", " : " ");
    s += w;
  }
  return s + (rng.Below(10) == 0 ? "?" : ".");
}

const char* const kIdentifiers[] = {
    "HashFileReader", "HashFileWriter", "ValidateEntry", "CreateHashList", "OpenStream", "CloseStream",
    "AlgorithmTable", "ProgressCallback", "ResultColumn", "SettingsStore", "CommandLine", "FolderWalker",
};

}  // namespace

void AppendCode(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  std::uint32_t callTarget = 0x1000;
  while (out.size() < start + count) AppendOneFunction(out, rng, callTarget);
  Fit(out, start, count);
}

void AppendStrings(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  std::uint32_t address = 0x40010000u;
  while (out.size() < start + count) {
    switch (rng.Below(4)) {
      case 0: {  // a table of pointers into the image
        const std::uint32_t n = 4 + rng.Below(28);
        for (std::uint32_t i = 0; i < n; ++i) {
          address += 8 * (1 + rng.Skewed(64));
          Put32(out, address);
          Put32(out, 0x00000001u);
        }
        break;
      }
      case 1: {  // an ASCII message or format string
        std::string s = Sentence(TLanguage::English, rng);
        if (rng.Below(3) == 0) s += " (%s: %u)";
        AppendText(out, s);
        out.push_back(0);
        break;
      }
      case 2: {  // a UTF-16 name
        const std::string s = std::string(kIdentifiers[rng.Skewed(12)]) + "::" + kIdentifiers[rng.Below(12)];
        for (char c : s) {
          out.push_back(static_cast<std::uint8_t>(c));
          out.push_back(0);
        }
        out.push_back(0);
        out.push_back(0);
        break;
      }
      default: {  // constants: GUIDs, lookup tables
        for (int i = 0; i < 16; ++i) out.push_back(static_cast<std::uint8_t>(rng.Next()));
        break;
      }
    }
    while (out.size() % 8 != 0) out.push_back(0);
  }
  Fit(out, start, count);
}

void AppendData(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  while (out.size() < start + count) {
    if (rng.Below(5) == 0)
      Put32(out, rng.Skewed(100000));
    else
      AppendZeros(out, 4 * (1 + rng.Skewed(64)));
  }
  Fit(out, start, count);
}

void AppendRelocs(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  std::uint32_t page = 0x1000;
  while (out.size() < start + count) {
    const std::uint32_t entries = 8 + rng.Below(120);
    Put32(out, page);
    Put32(out, 8 + 2 * entries);
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < entries; ++i) {
      offset = (offset + 8 * (1 + rng.Skewed(16))) & 0xFFF;
      out.push_back(static_cast<std::uint8_t>(offset));
      out.push_back(static_cast<std::uint8_t>(0xA0 | (offset >> 8)));
    }
    page += 0x1000;
  }
  Fit(out, start, count);
}

void AppendBitmap(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  while (out.size() < start + count) {
    // One 48x48 icon image: smooth colour ramps with a little noise and an
    // alpha mask, as drawn icons are.
    const int base = static_cast<int>(rng.Below(200));
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) {
        const int dx = x - 24, dy = y - 24;
        const bool inside = dx * dx + dy * dy < 22 * 22;
        const int noise = static_cast<int>(rng.Below(4));
        out.push_back(static_cast<std::uint8_t>(inside ? base + x + noise : 0));
        out.push_back(static_cast<std::uint8_t>(inside ? base / 2 + y + noise : 0));
        out.push_back(static_cast<std::uint8_t>(inside ? 255 - base / 3 - (x + y) / 2 : 0));
        out.push_back(static_cast<std::uint8_t>(inside ? 255 : 0));
      }
  }
  Fit(out, start, count);
}

void AppendRandom(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  out.reserve(start + count + 8);
  while (out.size() < start + count) {
    const std::uint64_t v = rng.Next();
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  Fit(out, start, count);
}

void AppendZeros(TBytes& out, std::size_t count) { out.insert(out.end(), count, 0); }

void AppendText(TBytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

void AppendProse(TBytes& out, std::size_t count, TLanguage lang, TSampleRng& rng) {
  const std::size_t start = out.size();
  while (out.size() < start + count) {
    std::string paragraph;
    const std::uint32_t n = 2 + rng.Below(6);
    for (std::uint32_t i = 0; i < n; ++i) paragraph += Sentence(lang, rng) + " ";
    paragraph.back() = '\r';
    AppendText(out, paragraph + "\n\r\n");
  }
  Fit(out, start, count);
}

void AppendHtml(TBytes& out, std::size_t count, TLanguage lang, TSampleRng& rng) {
  const std::size_t start = out.size();
  std::uint32_t topic = 1;
  while (out.size() < start + count) {
    std::string html = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                       "<link rel=\"stylesheet\" href=\"help.css\"><title>" +
                       Sentence(lang, rng) + "</title></head>\r\n<body>\r\n<h1>" + Sentence(lang, rng) + "</h1>\r\n";
    const std::uint32_t paragraphs = 3 + rng.Below(8);
    for (std::uint32_t p = 0; p < paragraphs; ++p) {
      html += "<p>";
      const std::uint32_t n = 2 + rng.Below(5);
      for (std::uint32_t i = 0; i < n; ++i) html += Sentence(lang, rng) + " ";
      html += "</p>\r\n";
      if (rng.Below(4) == 0)
        html += "<p class=\"see\"><a href=\"topic" + std::to_string(rng.Below(topic + 1)) + ".htm\">" +
                Sentence(lang, rng) + "</a></p>\r\n";
    }
    html += "</body></html>\r\n";
    AppendText(out, html);
    ++topic;
  }
  Fit(out, start, count);
}

void AppendPdfObjects(TBytes& out, std::size_t count, TLanguage lang, TSampleRng& rng) {
  const std::size_t start = out.size();
  std::uint32_t object = 1;
  while (out.size() < start + count) {
    std::string s = std::to_string(object) + " 0 obj\r\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
                    "/Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> /Contents " +
                    std::to_string(object + 1) + " 0 R >>\r\nendobj\r\n";
    s += std::to_string(object + 1) + " 0 obj\r\n<< >>\r\nstream\r\nBT /F1 11 Tf 72 770 Td 14 TL\r\n";
    const std::uint32_t lines = 4 + rng.Below(12);
    for (std::uint32_t i = 0; i < lines; ++i) {
      s += '(';
      s += Sentence(lang, rng);
      s += ") '\r\n";
    }
    s += "ET\r\nendstream\r\nendobj\r\n";
    AppendText(out, s);
    object += 2;
  }
  Fit(out, start, count);
}

void AppendXrefTable(TBytes& out, std::size_t count, TSampleRng& rng) {
  const std::size_t start = out.size();
  AppendText(out, "xref\r\n0 1\r\n0000000000 65535 f\r\n");
  std::uint64_t offset = 15;
  while (out.size() < start + count) {
    offset += 200 + rng.Skewed(40000);
    std::string line = std::to_string(offset);
    line = std::string(line.size() < 10 ? 10 - line.size() : 0, '0') + line + " 00000 n\r\n";
    AppendText(out, line);
  }
  Fit(out, start, count);
}
