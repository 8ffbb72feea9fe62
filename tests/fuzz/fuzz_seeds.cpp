// Writes the seed inputs of the fuzz targets from real inputs: the records
// the build packed, the version block and manifest of a built
// Corvalin-Setup.exe, the registry values the registration writes, the
// messages the worker tasks post and command lines as Windows hands them
// over. Run by hand when an input format or the product changes:
//   fuzz_seeds <corpus folder> <records folder> <Corvalin-Setup.exe>
// Existing files of the same names are replaced; other corpus files (inputs
// that once failed) are left alone.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/payload_files.h"
#include "common/setup_choices.h"
#include "common/task_msg.h"
#include "common/utils.h"
#include "engine/app_registration.h"
#include "engine/mem_stream.h"
#include "engine/payload_unpack.h"
#include "engine/thr_inst.h"
#include "fuzz_input.h"
#include "platform/sim/file_bytes.h"
#include "platform/sim/pe_resources.h"
#include "platform/wincodes.h"
#include "support/payload_records.h"

namespace fs = std::filesystem;

namespace {

fs::path gCorpus;

void Write(const std::string& target, const std::string& name, const TByteVec& bytes) {
  const fs::path folder = gCorpus / target;
  fs::create_directories(folder);
  std::ofstream out(folder / ("seed-" + name), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + (folder / name).string());
}

TByteVec Utf16Bytes(const ustring& text) {
  TByteVec bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

TByteVec ReadAll(const fs::path& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(path, bytes, error)) throw std::runtime_error(error);
  return bytes;
}

TByteVec Resource(const fs::path& exe, std::uint32_t type, std::uint32_t id) {
  std::vector<std::uint8_t> data;
  std::string error;
  if (ReadPeResourceFile(exe, type, id, data, error) != TPeStatus::Found)
    throw std::runtime_error("resource " + std::to_string(type) + "/" + std::to_string(id) + " of " + exe.string() +
                             ": " + error);
  return data;
}

// --- command lines ---

void CommandLines() {
  const std::vector<std::pair<std::string, ustring>> lines{
      {"explorer", u"\"C:\\Users\\Tester\\Downloads\\Corvalin-Setup.exe\" "},
      {"quoted-options", u"\"C:\\Setup Files\\setup.exe\" /L:1 /S:1"},
      {"uninstall-german", u"C:\\Program Files\\Corvalin\\Uninstall.exe /l:1"},
      {"uninstall-english", u"C:\\Program Files\\Corvalin\\Uninstall.exe"},
      {"all-options", u"\"D:\\Corvalin-Setup.exe\" /S:1 /E:1 /I:0 /O:1 /L:0 /P:\"D:\\Tools\\Corvalin\" /U:5"},
      {"no-blanks", u"setup.exe /L:1/S:1/E:x"},
      {"slash-in-path", u"C:/tools/setup.exe /L:\"1\""},
  };
  for (const auto& [name, text] : lines) Write("cmdline", name, Utf16Bytes(text));
}

// --- registry values as the registration writes them ---

// The values of one key of a machine the registration ran on.
std::vector<std::pair<ustring, TSimRegValue>> RegisteredValues(bool german, const ustring& key,
                                                              const std::vector<ustring>& names) {
  TSimPlatform sim;
  IPlatform* previous = SetOs(&sim);
  TNewSetup ns;
  ns.nsEulAgr = true;
  ns.nsInsTyp = cInsTypNew;
  ns.nsLangua = german ? 1 : 0;
  ns.nsInsLoc = u"C:\\Program Files\\Corvalin\\";
  ns.nsAssoci.fill(true);
  const bool ok = RegisterApplication(ns);
  SetOs(previous);
  if (!ok) throw std::runtime_error("the registration failed on the emulated system");
  std::vector<std::pair<ustring, TSimRegValue>> values;
  for (const ustring& name : names) {
    auto value = sim.GetValue(cHkeyLocalMachine, key, name);
    if (!value) throw std::runtime_error("the registration wrote no value " + ToUtf8(name));
    values.emplace_back(name, *value);
  }
  return values;
}

void UninstallEntries() {
  const ustring entry = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin";
  // The selectors of uinst_info_fuzz: the four values it reads, in its order.
  const std::vector<ustring> names{u"InstallLocation", u"UninstallString", u"Version", u"DisplayVersion"};
  for (bool german : {false, true}) {
    TByteVec input{0};  // flags: the entry exists and can be queried
    std::uint8_t selector = 0;
    for (const auto& [name, value] : RegisteredValues(german, entry, names))
      AppendRegValue(input, {selector++, value.type, value.data});
    Write("uinst_info", german ? "registered-german" : "registered-english", input);
  }
}

void RegistryValues() {
  // Values of every type the registration writes, under the four names of
  // reg_read_fuzz (0 default, 1 and 2 "Value", 3 "Other"), in both roots.
  const auto uninstall = RegisteredValues(false, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalin",
                                          {u"DisplayName", u"Version", u"NoModify"});
  TByteVec input;
  std::uint8_t selector = 0;
  for (const auto& [name, value] : uninstall) AppendRegValue(input, {selector++, value.type, value.data});
  AppendRegValue(input, {0x80, cRegSz, RegSzBytes(u"Corvalin.HashFile")});
  AppendRegValue(input, {0x83, cRegBinary, {}});
  AppendRegValue(input, {0x81, cRegNone, {}});
  Write("reg_read", "registered-values", input);
}

// --- payload records and texts ---

void Records(const fs::path& records) {
  auto record = [&](std::uint32_t id) { return ReadAll(records / ("payload_" + std::to_string(id) + ".rec")); };
  auto join = [&](std::initializer_list<std::uint32_t> ids) {
    TByteVec all;
    for (std::uint32_t id : ids) {
      const TByteVec r = record(id);
      all.insert(all.end(), r.begin(), r.end());
    }
    return all;
  };
  Write("payload", "licence-en", record(131));
  Write("payload", "first-five", join({128, 129, 130, 131, 132}));
  Write("payload", "texts", join({129, 130, 131, 132}));
  for (std::uint32_t id : {129u, 131u, 132u}) {
    const TByteVec r = record(id);
    const TPayHead head = DecodePayHead(r.data());
    // The inflated text files, as the read-me and licence decoder sees them.
    TMemStream buffer;
    buffer.Write(r.data() + cPayHeadSize, r.size() - cPayHeadSize);
    if (!UnpackPayload(buffer, head)) throw std::runtime_error("record " + std::to_string(id) + " does not unpack");
    Write("pay_text", "record-" + std::to_string(id), TByteVec(buffer.Data(), buffer.Data() + buffer.Size()));
  }
}

// --- the setup's version block and a PE file of its real resources ---

void Put16(TByteVec& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(TByteVec& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

struct TRes {
  std::uint32_t type, id;
  TByteVec data;
};

// A PE32+ image with one section, .rsrc, holding the resources (sorted by
// type, then id) in the three-level tree the resource compiler writes.
TByteVec PeImage(const std::vector<TRes>& res) {
  constexpr std::uint32_t kSectionRva = 0x1000, kSectionFile = 0x200;
  std::vector<std::uint32_t> types;
  for (const TRes& r : res)
    if (types.empty() || types.back() != r.type) types.push_back(r.type);
  // Layout: root, type directories, name directories, data entries, data.
  const std::size_t typeDirs = 16 + 8 * types.size();
  std::size_t nameDirs = typeDirs;
  for (std::uint32_t t : types) {
    std::size_t n = 0;
    for (const TRes& r : res) n += r.type == t;
    nameDirs += 16 + 8 * n;
  }
  const std::size_t langDirs = nameDirs;
  const std::size_t dataEntries = langDirs + res.size() * (16 + 8);
  std::size_t dataStart = dataEntries + 16 * res.size();
  TByteVec tree(dataStart);
  std::size_t cursor = dataStart;
  std::vector<std::size_t> dataAt;
  for (const TRes& r : res) {
    cursor = (cursor + 7) & ~std::size_t{7};
    dataAt.push_back(cursor);
    cursor += r.data.size();
  }
  tree.resize(cursor);
  Put16(tree, 14, static_cast<std::uint32_t>(types.size()));
  std::size_t nameDir = typeDirs, langDir = langDirs, index = 0;
  for (std::size_t t = 0; t < types.size(); ++t) {
    Put32(tree, 16 + 8 * t, types[t]);
    Put32(tree, 16 + 8 * t + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir));
    std::size_t n = 0;
    for (const TRes& r : res) n += r.type == types[t];
    Put16(tree, nameDir + 14, static_cast<std::uint32_t>(n));
    for (std::size_t k = 0; k < n; ++k, ++index) {
      const TRes& r = res[index];
      Put32(tree, nameDir + 16 + 8 * k, r.id);
      Put32(tree, nameDir + 16 + 8 * k + 4, 0x80000000u | static_cast<std::uint32_t>(langDir));
      Put16(tree, langDir + 14, 1);
      Put32(tree, langDir + 16, 0x0409);
      const std::size_t entry = dataEntries + 16 * index;
      Put32(tree, langDir + 20, static_cast<std::uint32_t>(entry));
      Put32(tree, entry, kSectionRva + static_cast<std::uint32_t>(dataAt[index]));
      Put32(tree, entry + 4, static_cast<std::uint32_t>(r.data.size()));
      std::copy(r.data.begin(), r.data.end(), tree.begin() + static_cast<std::ptrdiff_t>(dataAt[index]));
      langDir += 24;
    }
    nameDir += 16 + 8 * n;
  }
  const std::size_t rawSize = (tree.size() + 0x1FF) & ~std::size_t{0x1FF};
  TByteVec image(kSectionFile + rawSize);
  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, 0x40);
  Put32(image, 0x40, 0x00004550);      // "PE\0\0"
  Put16(image, 0x44, 0x8664);          // machine
  Put16(image, 0x46, 1);               // one section
  Put16(image, 0x54, 240);             // optional header size
  Put16(image, 0x56, 0x22);            // executable, large addresses
  const std::size_t opt = 0x58;
  Put16(image, opt, 0x20B);            // PE32+
  Put32(image, opt + 32, 0x1000);      // section alignment
  Put32(image, opt + 36, 0x200);       // file alignment
  Put32(image, opt + 56, kSectionRva + static_cast<std::uint32_t>((tree.size() + 0xFFF) & ~std::size_t{0xFFF}));
  Put32(image, opt + 60, kSectionFile);  // size of headers
  Put16(image, opt + 68, 2);           // GUI subsystem
  Put32(image, opt + 108, 16);         // data directories
  Put32(image, opt + 112 + 2 * 8, kSectionRva);
  Put32(image, opt + 112 + 2 * 8 + 4, static_cast<std::uint32_t>(tree.size()));
  const std::size_t section = opt + 240;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  std::copy(name, name + 8, image.begin() + static_cast<std::ptrdiff_t>(section));
  Put32(image, section + 8, static_cast<std::uint32_t>(tree.size()));
  Put32(image, section + 12, kSectionRva);
  Put32(image, section + 16, static_cast<std::uint32_t>(rawSize));
  Put32(image, section + 20, kSectionFile);
  Put32(image, section + 36, 0x40000040);  // initialised data, readable
  std::copy(tree.begin(), tree.end(), image.begin() + kSectionFile);
  return image;
}

void SetupFile(const fs::path& exe, const fs::path& records) {
  const TByteVec version = Resource(exe, cRtVersion, 1);
  Write("vers_info", "setup-exe", version);
  std::vector<TRes> res;
  for (std::uint32_t id : {129u, 130u, 131u, 132u}) res.push_back({cRtRcData, id, Resource(exe, cRtRcData, id)});
  res.push_back({cRtVersion, 1, version});
  res.push_back({24, 1, Resource(exe, 24, 1)});
  Write("pe_resources", "setup-resources", PeImage(res));
  (void)records;
}

// --- the messages the worker tasks post ---

// Runs the worker on the calling thread, so that its messages are in order.
class TInlineOs : public TSimPlatform {
 public:
  std::uint32_t StartThread(std::function<void()> fn) override {
    fn();
    return cErrSuccess;
  }
};

// The messages of both tasks of a new installation, as wizard actions: the
// start byte, Next, the licence box, Next, Next (Review: the preparation
// starts), its messages, Next (Finish: the installation starts), its
// messages.
void TaskMessages() {
  std::vector<TPostedMessage> posted;
  {
    TInlineOs sim;
    IPlatform* previous = SetOs(&sim);
    for (std::size_t i = 0; i < cPayFileCount; ++i)
      sim.resources[{cRtRcData, PayResourceId(static_cast<int>(i))}] =
          MakeRecord(SampleBytes(200 + 13 * i, static_cast<std::uint32_t>(i + 1)), 1);
    TNewSetup ns;
    ns.nsEulAgr = true;
    ns.nsInsTyp = cInsTypNew;
    ns.nsInsLoc = u"C:\\Program Files\\Corvalin\\";
    ns.nsTotSiz = 1 << 20;
    TThrInst::Create(0x4711, ns, cTaskPrepare);
    TThrInst::Create(0x4711, ns, cTaskInstall);
    posted = sim.PostedMessages();
    SetOs(previous);
  }
  auto encode = [](TByteVec& out, const TPostedMessage& m) {
    out.push_back(static_cast<std::uint8_t>(4 | ((m.wparam >> 16) & 3)));  // any phase, 64-bit parameter
    out.push_back(static_cast<std::uint8_t>(m.wparam >> 8));
    out.push_back(static_cast<std::uint8_t>(m.wparam));
    for (int b = 0; b < 8; ++b) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(m.lparam) >> (8 * b)));
  };
  TByteVec input{0, 0xA0, 0xB8, 0xA0, 0xA0};
  bool installing = false;
  for (const TPostedMessage& m : posted) {
    if (m.msg != WM_SETUP_TASK) continue;
    if (!installing && ((m.wparam >> 16) & 0xFF) == cTaskInstall) {
      input.push_back(0xA0);
      installing = true;
    }
    encode(input, m);
  }
  Write("task_msg", "new-installation", input);
  // The Windows 11 step's progress and outcome, as the deployment bridge posts them.
  TByteVec w11{0, 0xA0, 0xB8, 0xA0, 0xA0, 0xE0, 0xA0};
  for (const auto& [phase, status, lparam] : std::vector<std::tuple<int, int, std::int64_t>>{
           {48, 1, 0}, {39, 1, 0}, {40, 1, 0}, {41, 1, 0}, {42, 0, 256}, {42, 0, 0x232}, {43, 0, 0x100},
           {43, 0, 0x250}, {43, 0, 0x264}, {44, 4, static_cast<std::int32_t>(0x80073CF3)}, {49, 1, 45}})
    encode(w11, {0, WM_SETUP_TASK, PackTaskMsg(2, static_cast<std::uint8_t>(phase), static_cast<std::uint8_t>(status)),
                 static_cast<std::intptr_t>(lparam)});
  Write("task_msg", "w11-progress", w11);
  Write("task_msg", "damaged-setup", {2, 0xA0, 0xE0, 0x05, 49, 1, 37, 0, 0, 0, 0, 0, 0, 0});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fuzz_seeds <corpus folder> <records folder> <Corvalin-Setup.exe>\n");
    return 2;
  }
  try {
    gCorpus = argv[1];
    CommandLines();
    UninstallEntries();
    RegistryValues();
    Records(argv[2]);
    SetupFile(argv[3], argv[2]);
    TaskMessages();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
