// Installation benchmark (a Windows program, run under Wine or on Windows):
// how long the unattended installation of the setup takes, against the floor
// for its file work measured in the same process and run: the same flagged
// records read from the same setup file's resources (loaded as a data file),
// inflated with plain zlib, checked with zlib's crc32 and written with
// WriteFile into a new folder. Prints min/median/max of both, the ratio of
// the medians and the setup's peak working set; never judges them. To show
// where the setup's time goes, it also times the setup started the same way
// but without /E:1, which ends (1639) right after the start-up checks, the
// integrity scan among them, and before anything is installed.
//
//   install_bench <Corvalin-Setup.exe> <folder below Program Files> [runs]
//
// Every run installs into a folder of its own below the given one (the
// setup's /P option), which is removed afterwards with everything in it, so
// that the next run is a new installation again rather than an update.
#define ZLIB_CONST
#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue/payload_files.h"
#include "engine/pay_head.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr DWORD cSetupTimeoutMs = 120000;
constexpr std::size_t cWriteChunk = 1u << 20;

std::wstring Wide(const char16_t* s) { return std::wstring(reinterpret_cast<const wchar_t*>(s)); }

// Deletes a folder and everything below it (the installed files); the timed
// work never includes this.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

// The number of flagged files in folder with the sizes their records give.
int FilesInPlace(const std::wstring& folder, const std::vector<std::uint32_t>& sizes) {
  int present = 0;
  std::size_t k = 0;
  for (const TPayFile& f : PayFiles) {
    if (!f.pfInstal) continue;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExW((folder + L"\\" + Wide(f.pfFilNam)).c_str(), GetFileExInfoStandard, &data) &&
        data.nFileSizeHigh == 0 && data.nFileSizeLow == sizes[k])
      ++present;
    ++k;
  }
  return present;
}

struct TSetupRun {
  double seconds = 0;
  DWORD exitCode = 0;
  SIZE_T peakWorkingSet = 0;
};

// Starts the setup with the options, waits for its end and samples its peak
// working set while it runs (Wine can no longer tell it once the process is
// gone; Windows can, so a last look follows the end).
bool RunSetup(const std::wstring& setup, const std::wstring& options, TSetupRun& run) {
  std::wstring command = L"\"" + setup + L"\" " + options;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto start = TClock::now();
  if (!::CreateProcessW(setup.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "install_bench: cannot start the setup (error %lu)\n", ::GetLastError());
    return false;
  }
  SIZE_T peak = 0;
  auto sample = [&] {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (::GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc)) peak = std::max(peak, pmc.PeakWorkingSetSize);
  };
  DWORD waited = WAIT_TIMEOUT;
  for (DWORD elapsed = 0; elapsed < cSetupTimeoutMs && waited == WAIT_TIMEOUT; elapsed += 5) {
    sample();
    waited = ::WaitForSingleObject(pi.hProcess, 5);
  }
  run.seconds = std::chrono::duration<double>(TClock::now() - start).count();
  sample();
  if (waited != WAIT_OBJECT_0) {
    ::TerminateProcess(pi.hProcess, 1);
    std::fprintf(stderr, "install_bench: the setup did not end within %lu s\n", cSetupTimeoutMs / 1000);
  }
  ::GetExitCodeProcess(pi.hProcess, &run.exitCode);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  run.peakWorkingSet = peak;
  return waited == WAIT_OBJECT_0;
}

struct TRecord {
  const char16_t* name;
  TPayHead head;
  const Bytef* body;
  std::size_t size;
};

// The flagged records of the setup file, read in place from its resources.
bool LoadRecords(HMODULE module, std::vector<TRecord>& records) {
  records.clear();
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    if (!PayFiles[i].pfInstal) continue;
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(PayResourceId(static_cast<int>(i))), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
    const auto* data = loaded != nullptr ? static_cast<const std::uint8_t*>(::LockResource(loaded)) : nullptr;
    const DWORD size = found != nullptr ? ::SizeofResource(module, found) : 0;
    if (data == nullptr || size < cPayHeadSize) return false;
    records.push_back(TRecord{PayFiles[i].pfFilNam, DecodePayHead(data), data + cPayHeadSize, size - cPayHeadSize});
  }
  return true;
}

// The floor: each record inflated with zlib into one buffer, its CRC checked
// as the setup checks it, and written with WriteFile in 1 MiB chunks into a
// new file of the new folder; in table order, like the setup.
bool InflateAndWrite(const std::vector<TRecord>& records, const std::wstring& folder) {
  if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
  std::vector<Bytef> out;
  for (const TRecord& r : records) {
    out.resize(r.head.phOrgSiz);
    z_stream s{};
    if (inflateInit2(&s, -MAX_WBITS) != Z_OK) return false;
    s.next_in = r.body;
    s.avail_in = static_cast<uInt>(std::min<std::size_t>(r.size, r.head.phCmpSiz));
    s.next_out = out.data();
    s.avail_out = r.head.phOrgSiz;
    inflate(&s, Z_FINISH);
    inflateEnd(&s);
    if (s.avail_out != 0 || crc32(0, out.data(), r.head.phOrgSiz) != r.head.phCrcVal) return false;
    HANDLE file = ::CreateFileW((folder + L"\\" + Wide(r.name)).c_str(), FILE_WRITE_DATA, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < out.size(); done += cWriteChunk) {
      const auto chunk = static_cast<DWORD>(std::min(cWriteChunk, out.size() - done));
      DWORD written = 0;
      ok = ::WriteFile(file, out.data() + done, chunk, &written, nullptr) && written == chunk;
    }
    ::CloseHandle(file);
    if (!ok) return false;
  }
  return true;
}

struct TSpread {
  double min, median, max;
};

TSpread Spread(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  const double median = n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  return TSpread{v.front(), median, v.back()};
}

void PrintSpread(const char* what, const TSpread& s) {
  std::printf("%-34s min %8.1f ms  median %8.1f ms  max %8.1f ms\n", what, s.min * 1e3, s.median * 1e3, s.max * 1e3);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: install_bench <Corvalin-Setup.exe> <folder below Program Files> [runs]\n");
    return 2;
  }
  const std::wstring setup = argv[1];
  const std::wstring root = argv[2];
  const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 5;
  ::CreateDirectoryW(root.c_str(), nullptr);

  HMODULE module = ::LoadLibraryExW(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  std::vector<TRecord> records;
  if (module == nullptr || !LoadRecords(module, records)) {
    std::fprintf(stderr, "install_bench: cannot read the records of the setup file\n");
    return 1;
  }
  std::vector<std::uint32_t> sizes;
  std::uint64_t bytes = 0;
  for (const TRecord& r : records) {
    sizes.push_back(r.head.phOrgSiz);
    bytes += r.head.phOrgSiz;
  }

  // Alternating the two, so that whatever else the machine does hits both.
  std::vector<double> install, baseline, checksOnly;
  SIZE_T peak = 0;
  for (int k = 0; k < runs; ++k) {
    const std::wstring setupFolder = root + L"\\setup-" + std::to_wstring(k);
    const std::wstring baseFolder = root + L"\\zlib-" + std::to_wstring(k);
    TSetupRun run;
    if (!RunSetup(setup, L"/S:1 /E:1 /P:\"" + setupFolder + L"\"", run)) return 1;
    if (run.exitCode != 0) {
      std::fprintf(stderr, "install_bench: the setup ended with %lu, not 0 (run %d)\n", run.exitCode, k + 1);
      return 1;
    }
    const int placed = FilesInPlace(setupFolder, sizes);
    if (placed != static_cast<int>(records.size())) {
      std::fprintf(stderr, "install_bench: %d of %zu files installed (run %d)\n", placed, records.size(), k + 1);
      return 1;
    }
    install.push_back(run.seconds);
    peak = std::max(peak, run.peakWorkingSet);

    const auto start = TClock::now();
    const bool ok = InflateAndWrite(records, baseFolder);
    baseline.push_back(std::chrono::duration<double>(TClock::now() - start).count());
    if (!ok || FilesInPlace(baseFolder, sizes) != static_cast<int>(records.size())) {
      std::fprintf(stderr, "install_bench: the zlib baseline did not write the files (run %d)\n", k + 1);
      return 1;
    }
    RemoveTree(setupFolder);
    RemoveTree(baseFolder);

    const std::wstring unusedFolder = root + L"\\checks-" + std::to_wstring(k);
    TSetupRun checks;
    if (!RunSetup(setup, L"/S:1 /P:\"" + unusedFolder + L"\"", checks)) return 1;
    if (checks.exitCode != 1639 || ::GetFileAttributesW(unusedFolder.c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::fprintf(stderr, "install_bench: without /E:1 the setup ended with %lu, not 1639 before installing (run %d)\n",
                   checks.exitCode, k + 1);
      return 1;
    }
    checksOnly.push_back(checks.seconds);
  }
  ::FreeLibrary(module);
  ::RemoveDirectoryW(root.c_str());

  const TSpread i = Spread(install), b = Spread(baseline), c = Spread(checksOnly);
  std::printf("installation: %zu files, %llu bytes; %d runs each, alternating\n", records.size(),
              static_cast<unsigned long long>(bytes), runs);
  PrintSpread("unattended setup (exit code 0)", i);
  PrintSpread("zlib inflate + crc32 + WriteFile", b);
  std::printf("ratio of medians setup/zlib        %.3f   (target <= 1.25)\n", i.median / b.median);
  PrintSpread("setup up to its start-up checks", c);
  std::printf("  (without /E:1: process start, integrity scan, checks; ends with 1639)\n");
  std::printf("setup after its start-up checks    %8.1f ms (difference of the medians); ratio to zlib %.3f\n",
              (i.median - c.median) * 1e3, (i.median - c.median) / b.median);
  if (peak != 0)
    std::printf("setup's peak working set           %.1f MiB (%llu bytes)\n", static_cast<double>(peak) / (1024.0 * 1024.0),
                static_cast<unsigned long long>(peak));
  else
    std::printf("setup's peak working set           not available\n");
  return 0;
}
