// The fuzz targets as plain programs, for the builds without libFuzzer: every
// file given, and every file in every folder given, runs once through the
// target's LLVMFuzzerTestOneInput. A broken property or a sanitizer report
// ends the run; so does a corpus with no input at all, which would prove
// nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_input.h"

namespace fs = std::filesystem;

namespace {

bool RunFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // An exact-size heap copy, so that AddressSanitizer sees a read past the end.
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
  std::fprintf(stderr, "running %s (%zu bytes)\n", file.string().c_str(), copy.size());
  LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t runs = 0;
  for (int a = 1; a < argc; ++a) {
    const fs::path arg = argv[a];
    std::vector<fs::path> files;
    if (fs::is_directory(arg)) {
      for (const auto& entry : fs::directory_iterator(arg))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
    } else {
      files.push_back(arg);
    }
    for (const fs::path& file : files) {
      if (!RunFile(file)) return 1;
      ++runs;
    }
  }
  if (runs == 0) {
    std::fprintf(stderr, "no input to replay\n");
    return 1;
  }
  std::printf("%zu inputs replayed without a finding\n", runs);
  return 0;
}
