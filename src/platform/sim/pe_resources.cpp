// The parts of the PE format used here: the DOS header's pointer to the NT
// headers, the file header (section count, optional header size), the
// optional header's data directory 2 (resources), the section table (to map
// virtual addresses to file offsets) and the three-level resource tree
// (type, name, language). All arithmetic is done in 64 bits, so that no
// offset plus length can wrap around.
#include "platform/sim/pe_resources.h"

#include "platform/sim/file_bytes.h"

namespace {

constexpr std::uint32_t cSubdirFlag = 0x80000000u;
constexpr std::uint32_t cNameFlag = 0x80000000u;
constexpr std::uint64_t cDirHeaderSize = 16;
constexpr std::uint64_t cDirEntrySize = 8;
constexpr std::uint64_t cDataEntrySize = 16;
constexpr std::uint64_t cSectionHeaderSize = 40;
constexpr std::uint16_t cMagicPe32 = 0x10B;
constexpr std::uint16_t cMagicPe32Plus = 0x20B;
constexpr std::uint32_t cResourceDirectoryIndex = 2;

TPeStatus Fail(std::string& error, const std::string& what) {
  error = "malformed PE file: " + what;
  return TPeStatus::Malformed;
}

}  // namespace

bool TPeResources::U16(std::uint64_t offset, std::uint16_t& value) const {
  if (offset > size_ || size_ - offset < 2) return false;
  value = static_cast<std::uint16_t>(image_[offset] | image_[offset + 1] << 8);
  return true;
}

bool TPeResources::U32(std::uint64_t offset, std::uint32_t& value) const {
  if (offset > size_ || size_ - offset < 4) return false;
  value = static_cast<std::uint32_t>(image_[offset]) | static_cast<std::uint32_t>(image_[offset + 1]) << 8 |
          static_cast<std::uint32_t>(image_[offset + 2]) << 16 | static_cast<std::uint32_t>(image_[offset + 3]) << 24;
  return true;
}

// The file offset of [rva, rva + length) when the whole range lies in the
// file data of one section.
bool TPeResources::RvaToOffset(std::uint64_t rva, std::uint64_t length, std::uint64_t& offset,
                               std::uint64_t* sectionEnd) const {
  for (const TSection& s : sections_) {
    if (rva < s.va) continue;
    const std::uint64_t into = rva - s.va;
    if (into > s.rawSize || s.rawSize - into < length) continue;
    offset = s.rawOffset + into;
    if (sectionEnd != nullptr) *sectionEnd = s.rawOffset + s.rawSize;
    return true;
  }
  return false;
}

TPeStatus TPeResources::Open(const std::uint8_t* image, std::size_t size, std::string& error) {
  image_ = image;
  size_ = size;
  sections_.clear();
  hasResources_ = false;

  std::uint16_t mz = 0;
  if (!U16(0, mz) || mz != 0x5A4D) return Fail(error, "no DOS header");
  std::uint32_t ntOffset = 0;
  if (!U32(0x3C, ntOffset)) return Fail(error, "truncated DOS header");
  std::uint32_t signature = 0;
  if (!U32(ntOffset, signature) || signature != 0x00004550u) return Fail(error, "no PE signature");
  const std::uint64_t fileHeader = static_cast<std::uint64_t>(ntOffset) + 4;
  std::uint16_t sectionCount = 0, optionalSize = 0;
  if (!U16(fileHeader + 2, sectionCount) || !U16(fileHeader + 16, optionalSize))
    return Fail(error, "truncated file header");
  const std::uint64_t optional = fileHeader + 20;
  std::uint16_t magic = 0;
  if (optionalSize < 2 || !U16(optional, magic)) return Fail(error, "truncated optional header");
  std::uint64_t countField = 0, directories = 0;
  if (magic == cMagicPe32) {
    countField = 92;
    directories = 96;
  } else if (magic == cMagicPe32Plus) {
    countField = 108;
    directories = 112;
  } else {
    return Fail(error, "unknown optional header magic");
  }
  if (optional + optionalSize > size_) return Fail(error, "optional header beyond the end of the file");

  const std::uint64_t sectionTable = optional + optionalSize;
  if (sectionTable + sectionCount * cSectionHeaderSize > size_) return Fail(error, "section table beyond the end of the file");
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const std::uint64_t h = sectionTable + i * cSectionHeaderSize;
    std::uint32_t va = 0, rawSize = 0, rawOffset = 0;
    U32(h + 12, va);
    U32(h + 16, rawSize);
    U32(h + 20, rawOffset);
    if (rawSize == 0) continue;
    if (rawOffset > size_) return Fail(error, "section data beyond the end of the file");
    // A truncated last section keeps the part that is there.
    const std::uint64_t available = size_ - rawOffset;
    sections_.push_back({va, rawSize < available ? rawSize : available, rawOffset});
  }

  std::uint32_t directoryCount = 0;
  if (countField + 4 > optionalSize || !U32(optional + countField, directoryCount))
    return Fail(error, "truncated optional header");
  const std::uint64_t resourceEntry = directories + cResourceDirectoryIndex * 8;
  if (directoryCount <= cResourceDirectoryIndex) return TPeStatus::Found;  // no resource directory at all
  if (resourceEntry + 8 > optionalSize) return Fail(error, "data directories beyond the optional header");
  std::uint32_t rsrcRva = 0, rsrcSize = 0;
  U32(optional + resourceEntry, rsrcRva);
  U32(optional + resourceEntry + 4, rsrcSize);
  if (rsrcRva == 0 || rsrcSize == 0) return TPeStatus::Found;
  // The tree's offsets are relative to its start and must stay in its section.
  if (!RvaToOffset(rsrcRva, cDirHeaderSize, rsrcOffset_, &rsrcLimit_))
    return Fail(error, "resource directory outside the sections");
  hasResources_ = true;
  return TPeStatus::Found;
}

// Looks in the directory at dirOffset (relative to the tree) for the entry
// with integer id (byId) or for the first entry (!byId), and returns its
// data field.
TPeStatus TPeResources::Lookup(std::uint32_t dirOffset, bool byId, std::uint32_t id, std::uint32_t& entryData,
                               std::string& error) const {
  const std::uint64_t dir = rsrcOffset_ + dirOffset;
  if (dir + cDirHeaderSize > rsrcLimit_) return Fail(error, "resource directory out of bounds");
  std::uint16_t named = 0, ids = 0;
  U16(dir + 12, named);
  U16(dir + 14, ids);
  const std::uint64_t count = static_cast<std::uint64_t>(named) + ids;
  if (dir + cDirHeaderSize + count * cDirEntrySize > rsrcLimit_) return Fail(error, "resource entries out of bounds");
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t entry = dir + cDirHeaderSize + i * cDirEntrySize;
    std::uint32_t name = 0;
    U32(entry, name);
    U32(entry + 4, entryData);
    if (!byId || ((name & cNameFlag) == 0 && name == id)) return TPeStatus::Found;
  }
  return TPeStatus::NotFound;
}

TPeStatus TPeResources::Find(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data, std::uint32_t& size,
                             std::string& error) const {
  if (!hasResources_) return TPeStatus::NotFound;
  // Type, then name, then language: the first two levels must be
  // directories and the third a data entry. The walk is three steps deep
  // whatever the offsets say, and a step back to a directory already on
  // the path is refused, so a looping tree cannot hold it.
  std::uint32_t path[3] = {0, 0, 0};
  std::uint32_t entry = 0;
  const std::uint32_t keys[3] = {type, id, 0};
  for (int level = 0; level < 3; ++level) {
    const TPeStatus found = Lookup(path[level], level < 2, keys[level], entry, error);
    if (found != TPeStatus::Found) return found;
    const bool isDirectory = (entry & cSubdirFlag) != 0;
    if (level < 2) {
      if (!isDirectory) return Fail(error, "resource entry is not a directory");
      const std::uint32_t next = entry & ~cSubdirFlag;
      for (int up = 0; up <= level; ++up)
        if (path[up] == next) return Fail(error, "loop in the resource directory");
      path[level + 1] = next;
    } else if (isDirectory) {
      return Fail(error, "resource language entry is not data");
    }
  }
  const std::uint64_t dataEntry = rsrcOffset_ + entry;
  if (dataEntry + cDataEntrySize > rsrcLimit_) return Fail(error, "resource data entry out of bounds");
  std::uint32_t dataRva = 0, dataSize = 0;
  U32(dataEntry, dataRva);
  U32(dataEntry + 4, dataSize);
  std::uint64_t dataOffset = 0;
  if (!RvaToOffset(dataRva, dataSize, dataOffset, nullptr)) return Fail(error, "resource data outside the file");
  data = image_ + dataOffset;
  size = dataSize;
  return TPeStatus::Found;
}

TPeStatus ReadPeResourceFile(const std::filesystem::path& path, std::uint32_t type, std::uint32_t id,
                             std::vector<std::uint8_t>& data, std::string& error) {
  std::vector<std::uint8_t> image;
  if (!ReadFileBytes(path, image, error)) return TPeStatus::Unreadable;
  TPeResources pe;
  TPeStatus status = pe.Open(image.data(), image.size(), error);
  if (status != TPeStatus::Found) return status;
  const std::uint8_t* bytes = nullptr;
  std::uint32_t size = 0;
  status = pe.Find(type, id, bytes, size, error);
  if (status == TPeStatus::Found) data.assign(bytes, bytes + size);
  return status;
}
