#include "platform/sim/file_bytes.h"

#include <fstream>
#include <iterator>

bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path.string();
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  in.seekg(0, std::ios::beg);
  if (length < 0) {
    error = "cannot read " + path.string();
    return false;
  }
  bytes.resize(static_cast<std::size_t>(length));
  if (length > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), length)) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}
