// The fuzz targets as plain programs, for the builds without libFuzzer: every
// file given, and every file in every folder given, runs once through the
// target's LLVMFuzzerTestOneInput. A broken property or a sanitizer report
// ends the run; so does a corpus with no input at all, which would prove
// nothing.
//
// In the Windows build the driver runs under Wine, where a fault nobody
// handles starts the debugger, which waits for a user that never comes
// ("Unhandled page fault ..., starting debugger..." and then nothing, until
// ctest's time-out): the driver reports the fault itself and ends.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "fuzz_input.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// Exit code of a replay that ended in a fault (the exception code, as
// Windows reports an unhandled one, e.g. 0xC0000005 for an access violation).
LONG WINAPI ReportFault(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  std::fprintf(stderr, "fault 0x%08lX at %p\n", static_cast<unsigned long>(record->ExceptionCode),
               record->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}
#endif

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
#ifdef _WIN32
  SetUnhandledExceptionFilter(ReportFault);
#endif
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
