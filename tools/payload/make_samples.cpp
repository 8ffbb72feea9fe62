// Writes the sample product files from which the default build packs its
// payload: the fifteen names of PayFiles, about 33 MiB in all, the largest
// about 7.5 MiB. The contents are generated (the same bytes on every run)
// and compress like the real kinds of file: executables, compiled help,
// manuals, an MSIX archive; the licences are real texts, the read-mes hold
// only a byte-order mark, the main program is the placeholder program
// built for Windows and the uninstaller is this tree's Uninstall.exe, both
// copied in.
//
//   make_samples <output folder> <placeholder Corvalin.exe> <Uninstall.exe>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>

#include "catalogue/identity.h"
#include "catalogue/payload_files.h"
#include "licence_texts.h"
#include "sample_content.h"

namespace fs = std::filesystem;

namespace {

std::string Narrow(const char16_t* text) {
  std::string out;
  for (; *text != 0; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

const std::string kBom = "\xEF\xBB\xBF";

// A first line that says what the file is, so that nobody mistakes a
// stand-in for the real thing.
void AppendMarker(TBytes& out, const std::string& name) {
  AppendText(out, Narrow(cProductName) + " sample payload file " + name +
                      ": generated stand-in data, not a working file.\r\n");
}

void PadTo(TBytes& out, std::size_t alignment) {
  while (out.size() % alignment != 0) out.push_back(0);
}

// An executable's sections: code, read-only data, data, resources (icons,
// embedded compressed images, a manifest) and relocations.
TBytes Executable(const std::string& name, std::size_t size, std::uint64_t seed) {
  TSampleRng rng(seed);
  TBytes out;
  AppendMarker(out, name);
  PadTo(out, 1024);
  const auto part = [size](int percent) { return size / 100 * static_cast<std::size_t>(percent); };
  AppendCode(out, part(56), rng);
  PadTo(out, 512);
  AppendStrings(out, part(17), rng);
  PadTo(out, 512);
  AppendData(out, part(4), rng);
  PadTo(out, 512);
  AppendBitmap(out, part(8), rng);
  AppendRandom(out, part(7), rng);
  AppendText(out, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<assembly "
                  "xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n");
  PadTo(out, 512);
  if (out.size() < size) AppendRelocs(out, size - out.size(), rng);
  out.resize(size);
  return out;
}

// Alternating pieces of two kinds, as in container files whose entries are
// compressed while their directories and markup are not.
TBytes Container(const std::string& name, const std::string& head, std::size_t size, std::uint64_t seed,
                 int packedPercent, const std::function<void(TBytes&, std::size_t, TSampleRng&)>& plain,
                 const std::function<void(TBytes&, std::size_t, TSampleRng&)>& tail) {
  TSampleRng rng(seed);
  TBytes out;
  AppendText(out, head);
  AppendMarker(out, name);
  const std::size_t tailSize = tail ? size / 40 : 0;
  while (out.size() + tailSize < size) {
    const std::size_t packed = 16384 + rng.Below(131072);
    AppendRandom(out, packed, rng);
    const std::size_t plainSize = packed * static_cast<std::size_t>(100 - packedPercent) / packedPercent;
    plain(out, plainSize, rng);
  }
  out.resize(size - tailSize);
  if (tail) tail(out, tailSize, rng);
  return out;
}

TBytes Help(const std::string& name, TLanguage lang, std::size_t size, std::uint64_t seed) {
  return Container(name, "ITSF", size, seed, 86,
                   [lang](TBytes& out, std::size_t n, TSampleRng& rng) { AppendHtml(out, n, lang, rng); },
                   [](TBytes& out, std::size_t n, TSampleRng& rng) { AppendStrings(out, n, rng); });
}

TBytes Manual(const std::string& name, TLanguage lang, std::size_t size, std::uint64_t seed) {
  return Container(name, "%PDF-1.7\r\n%\xE2\xE3\xCF\xD3\r\n", size, seed, 88,
                   [lang](TBytes& out, std::size_t n, TSampleRng& rng) { AppendPdfObjects(out, n, lang, rng); },
                   [](TBytes& out, std::size_t n, TSampleRng& rng) { AppendXrefTable(out, n, rng); });
}

TBytes Package(const std::string& name, std::size_t size, std::uint64_t seed) {
  return Container(name, "PK\x03\x04", size, seed, 95,
                   [](TBytes& out, std::size_t n, TSampleRng& rng) { AppendStrings(out, n, rng); }, nullptr);
}

TBytes TextFile(const std::string& text) {
  TBytes out;
  AppendText(out, kBom + text);
  return out;
}

void Write(const fs::path& file, const TBytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error(file.string() + ": cannot write");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: make_samples <output folder> <placeholder Corvalin.exe> <Uninstall.exe>\n";
    return 2;
  }
  try {
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    const std::string product = Narrow(cProductName);
    const std::string maker = Narrow(cPublisher);
    auto name = [](int index) { return Narrow(PayFiles[static_cast<std::size_t>(index)].pfFilNam); };
    constexpr std::size_t KiB = 1024;
    const TBytes files[cPayFileCount] = {
        TBytes{},  // the placeholder program, copied below
        TextFile(""),
        TextFile(""),
        TextFile(LicenceText(TLanguage::English, product, maker)),
        TextFile(LicenceText(TLanguage::German, product, maker)),
        Executable(name(5), 7680 * KiB + 311, 5),  // the largest file
        Executable(name(6), 4701 * KiB + 77, 6),
        Help(name(7), TLanguage::English, 2417 * KiB + 5, 7),
        Help(name(8), TLanguage::German, 2563 * KiB + 901, 8),
        Executable(name(9), 3150 * KiB + 264, 9),
        Executable(name(10), 3095 * KiB + 80, 10),
        Package(name(11), 61 * KiB + 117, 11),
        Manual(name(12), TLanguage::English, 3963 * KiB + 440, 12),
        Manual(name(13), TLanguage::German, 4187 * KiB + 29, 13),
        TBytes{},  // the uninstaller, copied below
    };
    for (std::size_t i = 1; i < cPayUninstaller; ++i) Write(folder / name(static_cast<int>(i)), files[i]);
    fs::copy_file(argv[2], folder / name(cPayMainProgram), fs::copy_options::overwrite_existing);
    fs::copy_file(argv[3], folder / name(cPayUninstaller), fs::copy_options::overwrite_existing);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "make_samples: error: " << e.what() << "\n";
    return 1;
  }
}
