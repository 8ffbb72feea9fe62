// Reads resources out of a PE file (an .exe or .dll) without the Windows
// loader: the emulated backend and the native tests use it to take the
// payload records and the version block from a built Corvalin-Setup.exe.
// Every offset in the file is checked against the file's bounds; a
// malformed file is an error, never a read outside the bytes given.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

enum class TPeStatus {
  Found,      // the resource is there
  NotFound,   // a well-formed file without that resource
  Malformed,  // not a PE file, or a header, table or offset out of bounds or inconsistent
  Unreadable, // the file could not be read
};

class TPeResources {
 public:
  // Parses the headers of the PE image in [image, image + size), which must
  // outlive this object. Malformed when it is not a well-formed PE image; a
  // file without a resource directory is well-formed (nothing is found).
  TPeStatus Open(const std::uint8_t* image, std::size_t size, std::string& error);

  // The resource of the given type and integer id, in its first language.
  // On Found, data points into the image and size is the resource's size.
  TPeStatus Find(std::uint32_t type, std::uint32_t id, const std::uint8_t*& data, std::uint32_t& size,
                 std::string& error) const;

 private:
  struct TSection {
    std::uint64_t va, rawSize, rawOffset;
  };
  bool RvaToOffset(std::uint64_t rva, std::uint64_t length, std::uint64_t& offset, std::uint64_t* sectionEnd) const;
  bool U16(std::uint64_t offset, std::uint16_t& value) const;
  bool U32(std::uint64_t offset, std::uint32_t& value) const;
  TPeStatus Lookup(std::uint32_t dirOffset, bool byId, std::uint32_t id, std::uint32_t& entryData,
                   std::string& error) const;

  const std::uint8_t* image_ = nullptr;
  std::size_t size_ = 0;
  std::vector<TSection> sections_;
  std::uint64_t rsrcOffset_ = 0;  // file offset of the resource directory
  std::uint64_t rsrcLimit_ = 0;   // file offset where its section's data end
  bool hasResources_ = false;
};

// Reads the whole file at path and copies resource (type, id) into data.
TPeStatus ReadPeResourceFile(const std::filesystem::path& path, std::uint32_t type, std::uint32_t id,
                             std::vector<std::uint8_t>& data, std::string& error);
