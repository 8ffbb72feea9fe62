// The PE resource reader: finds resources of any type in well-formed images
// and turns every kind of malformed image into an error, never a read
// outside the bytes it was given.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/sim/pe_resources.h"
#include "platform/wincodes.h"
#include "support/payload_records.h"

namespace {

struct TRes {
  std::uint32_t type, id;
  TByteVec data;
};

void Put16(TByteVec& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(TByteVec& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

constexpr std::uint32_t kSectionRva = 0x3000;
constexpr std::size_t kSectionFile = 0x400;
constexpr std::size_t kNt = 0x80;

// The resource tree the way linkers lay it out: root, one directory per type,
// one per name, the data entries, then the data. Resources must be sorted by
// type and id.
TByteVec ResourceSection(const std::vector<TRes>& res) {
  std::vector<std::uint32_t> types;
  for (const TRes& r : res)
    if (types.empty() || types.back() != r.type) types.push_back(r.type);
  std::size_t at = 16 + 8 * types.size();
  std::vector<std::size_t> typeDir, nameDir(res.size()), dataEntry(res.size()), dataAt(res.size());
  for (std::uint32_t t : types) {
    typeDir.push_back(at);
    std::size_t n = 0;
    for (const TRes& r : res) n += r.type == t;
    at += 16 + 8 * n;
  }
  for (std::size_t i = 0; i < res.size(); ++i) nameDir[i] = at, at += 16 + 8;
  for (std::size_t i = 0; i < res.size(); ++i) dataEntry[i] = at, at += 16;
  for (std::size_t i = 0; i < res.size(); ++i) dataAt[i] = at, at += (res[i].data.size() + 7) / 8 * 8;
  TByteVec b(at, 0);
  Put16(b, 14, static_cast<std::uint32_t>(types.size()));
  std::size_t r0 = 0;
  for (std::size_t t = 0; t < types.size(); ++t) {
    Put32(b, 16 + 8 * t, types[t]);
    Put32(b, 16 + 8 * t + 4, 0x80000000u | static_cast<std::uint32_t>(typeDir[t]));
    std::size_t n = 0;
    for (std::size_t i = r0; i < res.size() && res[i].type == types[t]; ++i, ++n) {
      Put32(b, typeDir[t] + 16 + 8 * n, res[i].id);
      Put32(b, typeDir[t] + 16 + 8 * n + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir[i]));
      Put16(b, nameDir[i] + 14, 1);
      Put32(b, nameDir[i] + 16, 0x409);
      Put32(b, nameDir[i] + 20, static_cast<std::uint32_t>(dataEntry[i]));
      Put32(b, dataEntry[i], kSectionRva + static_cast<std::uint32_t>(dataAt[i]));
      Put32(b, dataEntry[i] + 4, static_cast<std::uint32_t>(res[i].data.size()));
      std::copy(res[i].data.begin(), res[i].data.end(), b.begin() + static_cast<std::ptrdiff_t>(dataAt[i]));
    }
    Put16(b, typeDir[t] + 14, static_cast<std::uint32_t>(n));
    r0 += n;
  }
  return b;
}

// A PE image (PE32+ or PE32) with a code-less header and one resource section.
TByteVec Image(const std::vector<TRes>& res, bool plus = true) {
  const TByteVec section = ResourceSection(res);
  const std::size_t optionalSize = plus ? 240 : 224;
  TByteVec b(kSectionFile + section.size(), 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kNt);
  b[kNt] = 'P';
  b[kNt + 1] = 'E';
  Put16(b, kNt + 4, plus ? 0x8664 : 0x14C);
  Put16(b, kNt + 6, 1);
  Put16(b, kNt + 20, static_cast<std::uint32_t>(optionalSize));
  const std::size_t opt = kNt + 24;
  Put16(b, opt, plus ? 0x20B : 0x10B);
  Put32(b, opt + (plus ? 108 : 92), 16);
  const std::size_t dirs = opt + (plus ? 112 : 96);
  Put32(b, dirs + 16, kSectionRva);
  Put32(b, dirs + 20, static_cast<std::uint32_t>(section.size()));
  const std::size_t sh = opt + optionalSize;
  std::copy_n(".rsrc", 5, b.begin() + static_cast<std::ptrdiff_t>(sh));
  Put32(b, sh + 8, static_cast<std::uint32_t>(section.size()));
  Put32(b, sh + 12, kSectionRva);
  Put32(b, sh + 16, static_cast<std::uint32_t>(section.size()));
  Put32(b, sh + 20, static_cast<std::uint32_t>(kSectionFile));
  std::copy(section.begin(), section.end(), b.begin() + static_cast<std::ptrdiff_t>(kSectionFile));
  return b;
}

const std::vector<TRes> kSample = {
    {cRtRcData, 128, SampleBytes(300, 1)},
    {cRtRcData, 130, SampleBytes(17, 2)},
    {cRtVersion, 1, SampleBytes(92, 3)},
};

// Status of a lookup; a Found result must lie inside the image.
TPeStatus Lookup(const TByteVec& image, std::uint32_t type, std::uint32_t id, TByteVec* data = nullptr) {
  TPeResources pe;
  std::string error;
  TPeStatus status = pe.Open(image.data(), image.size(), error);
  if (status != TPeStatus::Found) return status;
  const std::uint8_t* p = nullptr;
  std::uint32_t size = 0;
  status = pe.Find(type, id, p, size, error);
  if (status == TPeStatus::Found) {
    EXPECT_TRUE(p >= image.data() && p + size <= image.data() + image.size());
    if (data != nullptr) data->assign(p, p + size);
  } else if (status == TPeStatus::Malformed) {
    EXPECT_FALSE(error.empty());
  }
  return status;
}

}  // namespace

// Resources of any type are found by (type, id) in PE32+ and PE32 images;
// other ids and types are reported absent.
TEST(PeResources, FindsResourcesByTypeAndId) {
  for (bool plus : {true, false}) {
    const TByteVec image = Image(kSample, plus);
    for (const TRes& r : kSample) {
      TByteVec data;
      ASSERT_EQ(Lookup(image, r.type, r.id, &data), TPeStatus::Found) << r.type << "/" << r.id;
      EXPECT_EQ(data, r.data);
    }
    EXPECT_EQ(Lookup(image, cRtRcData, 129), TPeStatus::NotFound);
    EXPECT_EQ(Lookup(image, 3, 1), TPeStatus::NotFound);
  }
}

// An image without a resource directory is well-formed and has no resources.
TEST(PeResources, ImageWithoutResourcesHasNone) {
  TByteVec image = Image(kSample);
  Put32(image, kNt + 24 + 112 + 16, 0);  // resource directory RVA
  EXPECT_EQ(Lookup(image, cRtRcData, 128), TPeStatus::NotFound);
}

// Every truncation of a well-formed image is an error or a clean miss, and
// never finds a resource whose bytes are not all there.
TEST(PeResources, EveryTruncationIsHandled) {
  const TByteVec full = Image(kSample);
  for (std::size_t length = 0; length < full.size(); ++length) {
    const TByteVec image(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    for (const TRes& r : kSample) {
      TByteVec data;
      if (Lookup(image, r.type, r.id, &data) == TPeStatus::Found) {
        ASSERT_EQ(data, r.data) << "length " << length;
      }
    }
  }
  EXPECT_EQ(Lookup(TByteVec(full.begin(), full.begin() + 0x40), cRtRcData, 128), TPeStatus::Malformed);
}

// Headers, tables and offsets that point outside the file, or a tree that
// loops or has the wrong kind of entry, are errors.
TEST(PeResources, MalformedImagesAreErrors) {
  const std::size_t opt = kNt + 24, sh = opt + 240, rsrc = kSectionFile;
  // The single-resource tree: the root's entry for the type, the type
  // directory's entry for the id, the id directory's entry for the
  // language, the data entry, the data, the end of the section.
  const std::size_t rootEntry = rsrc + 16, typeEntry = rsrc + 24 + 16, nameEntry = rsrc + 48 + 16,
                    dataEntry = rsrc + 72;
  constexpr std::uint32_t dataAt = 88, sectionEnd = dataAt + 304;
  struct TCase {
    const char* name;
    std::function<void(TByteVec&)> patch;
  };
  const TCase cases[] = {
      {"not MZ", [](TByteVec& b) { b[0] = 'X'; }},
      {"NT headers beyond the file", [](TByteVec& b) { Put32(b, 0x3C, 0x7FFFFFF0u); }},
      {"NT headers at the last bytes", [](TByteVec& b) { Put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 2)); }},
      {"no PE signature", [](TByteVec& b) { b[kNt] = 'N'; }},
      {"unknown optional header", [opt](TByteVec& b) { Put16(b, opt, 0x107); }},
      {"optional header larger than the file", [](TByteVec& b) { Put16(b, kNt + 20, 0xFFFF); }},
      {"optional header too small for its directories", [](TByteVec& b) { Put16(b, kNt + 20, 100); }},
      {"section table beyond the file", [](TByteVec& b) { Put16(b, kNt + 6, 0xFFFF); }},
      {"section data beyond the file", [sh](TByteVec& b) { Put32(b, sh + 20, 0x10000000u); }},
      {"resource directory outside every section", [opt](TByteVec& b) { Put32(b, opt + 112 + 16, 0x90000); }},
      {"entry count beyond the section", [rsrc](TByteVec& b) { Put16(b, rsrc + 14, 0xFFFF); }},
      {"type directory beyond the section", [rootEntry](TByteVec& b) { Put32(b, rootEntry + 4, 0x80000000u | 0x7FFFFF00u); }},
      {"type entry that is data", [rootEntry](TByteVec& b) { Put32(b, rootEntry + 4, 72); }},
      {"type entry looping to the root", [rootEntry](TByteVec& b) { Put32(b, rootEntry + 4, 0x80000000u); }},
      {"name entry looping to its own directory", [typeEntry](TByteVec& b) { Put32(b, typeEntry + 4, 0x80000000u | 24); }},
      {"language entry that is a directory", [nameEntry](TByteVec& b) { Put32(b, nameEntry + 4, 0x80000000u | 48); }},
      {"data entry beyond the section", [nameEntry](TByteVec& b) { Put32(b, nameEntry + 4, 0x7FFFFFF0u); }},
      {"data outside every section", [dataEntry](TByteVec& b) { Put32(b, dataEntry, 0x100); }},
      {"data size beyond the section", [dataEntry](TByteVec& b) { Put32(b, dataEntry + 4, 0xFFFFFFFFu); }},
      {"data reaching one byte past the section",
       [dataEntry](TByteVec& b) { Put32(b, dataEntry + 4, sectionEnd - dataAt + 1); }},
  };
  for (const TCase& c : cases) {
    TByteVec image = Image({{cRtRcData, 128, SampleBytes(300, 1)}});
    c.patch(image);
    EXPECT_EQ(Lookup(image, cRtRcData, 128), TPeStatus::Malformed) << c.name;
  }
}

// Random damage to a well-formed image never leads outside its bytes.
TEST(PeResources, RandomDamageStaysInBounds) {
  const TByteVec intact = Image(kSample);
  std::uint32_t x = 12345;
  auto next = [&x] { return x = x * 1664525u + 1013904223u; };
  std::map<TPeStatus, int> seen;
  for (int round = 0; round < 3000; ++round) {
    TByteVec image = intact;
    const int edits = 1 + static_cast<int>(next() % 4);
    for (int e = 0; e < edits; ++e) {
      // Mostly the headers and the tree, where offsets live.
      const std::size_t at = next() % 2 == 0 ? next() % 0x200 : kSectionFile + next() % 200;
      image[at] = static_cast<std::uint8_t>(next() >> 24);
    }
    for (const TRes& r : kSample) {
      TByteVec data;
      const TPeStatus status = Lookup(image, r.type, r.id, &data);  // checks bounds of anything found
      ++seen[status];
      EXPECT_NE(status, TPeStatus::Unreadable);
      // Edits that changed no byte leave every resource as it was.
      if (image == intact) {
        EXPECT_EQ(status, TPeStatus::Found);
        EXPECT_EQ(data, r.data);
      }
    }
  }
  // The damage reaches both sides: some lookups still succeed, some are refused.
  EXPECT_GT(seen[TPeStatus::Found], 0);
  EXPECT_GT(seen[TPeStatus::Malformed], 0);
}

// A file that cannot be read is reported as such.
TEST(PeResources, UnreadableFile) {
  TByteVec data;
  std::string error;
  EXPECT_EQ(ReadPeResourceFile("no/such/file.exe", cRtVersion, 1, data, error), TPeStatus::Unreadable);
  EXPECT_NE(error.find("file.exe"), std::string::npos);
}
