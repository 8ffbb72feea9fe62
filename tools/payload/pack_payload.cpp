// Packs the fifteen product files into the records that Corvalin-Setup.exe
// carries: record 128 + i holds PayFiles entry i as a 12-byte header (CRC-32
// of the file, size of the deflate stream, size of the file; little-endian)
// followed by the file's raw deflate stream (level 9, window bits -15).
// Writes one record file per entry and a resource script that lists them as
// RCDATA, and optionally a dependency file naming the inputs.
//
//   pack_payload <product folder> <output folder> [--depfile <file>]
//
// Any file that is missing, unreadable or 4 GiB or larger stops the build
// with a message naming it: the header holds sizes in 32 bits. A licence or
// read-me that looks like UTF-8 without a byte-order mark gets a warning.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "catalogue/payload_files.h"
#include "engine/pay_head.h"
#include "platform/sim/record_names.h"

namespace fs = std::filesystem;

namespace {

struct TPackError {
  std::string message;
};

std::string Narrow(const char16_t* text) {
  std::string out;
  for (; *text != 0; ++text) {
    if (*text > 0x7F) throw TPackError{"file names in the product table must be ASCII"};
    out.push_back(static_cast<char>(*text));
  }
  return out;
}

// The size of a product file that can be packed; refuses a missing file,
// anything but a regular file, and a file of 4 GiB or more.
std::uintmax_t CheckProductFile(const fs::path& file) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (ec || !fs::exists(status)) throw TPackError{file.string() + ": product file is missing"};
  if (!fs::is_regular_file(status)) throw TPackError{file.string() + ": product file is not a regular file"};
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) throw TPackError{file.string() + ": cannot read the product file (" + ec.message() + ")"};
  if (size > 0xFFFFFFFFull)
    throw TPackError{file.string() + ": product file is 4 GiB or larger (" + std::to_string(size) +
                     " bytes); a payload record holds sizes in 32 bits"};
  return size;
}

std::vector<std::uint8_t> ReadProductFile(const fs::path& file) {
  const std::uintmax_t size = CheckProductFile(file);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(file, std::ios::binary);
  if (!in || (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))))
    throw TPackError{file.string() + ": cannot read the product file"};
  return bytes;
}

// The raw deflate stream of data: zlib at level 9, window bits -15.
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& data, const fs::path& file) {
  z_stream s{};
  if (deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw TPackError{"zlib cannot start a deflate stream"};
  std::vector<std::uint8_t> out(deflateBound(&s, static_cast<uLong>(data.size())));
  s.next_in = const_cast<Bytef*>(data.data());
  s.avail_in = static_cast<uInt>(data.size());
  s.next_out = out.data();
  s.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&s, Z_FINISH);
  const std::size_t produced = out.size() - s.avail_out;
  deflateEnd(&s);
  if (rc != Z_STREAM_END) throw TPackError{file.string() + ": deflate failed"};
  if (produced > 0xFFFFFFFFull) throw TPackError{file.string() + ": the compressed file is 4 GiB or larger"};
  out.resize(produced);
  return out;
}

void WriteFile(const fs::path& file, const std::string& prefix, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(prefix.data(), static_cast<std::streamsize>(prefix.size()));
  if (size > 0) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw TPackError{file.string() + ": cannot write"};
}

// Valid UTF-8 with at least one character beyond ASCII.
bool IsNonAsciiUtf8(const std::vector<std::uint8_t>& data) {
  bool beyondAscii = false;
  for (std::size_t i = 0; i < data.size();) {
    const std::uint8_t lead = data[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, code = lead & 0x07;
    } else {
      return false;
    }
    if (i + extra >= data.size()) return false;  // cut off at the end
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((data[i + k] & 0xC0) != 0x80) return false;
      code = code << 6 | (data[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are no UTF-8.
    if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    beyondAscii = true;
    i += extra + 1;
  }
  return beyondAscii;
}

bool HasByteOrderMark(const std::vector<std::uint8_t>& data) {
  const auto starts = [&](std::initializer_list<std::uint8_t> mark) {
    return data.size() >= mark.size() && std::equal(mark.begin(), mark.end(), data.begin());
  };
  return starts({0xEF, 0xBB, 0xBF}) || starts({0xFF, 0xFE}) || starts({0xFE, 0xFF});
}

// The setup reads a text without a byte-order mark in the system's ANSI code
// page, as such files are meant; text written as UTF-8 without the mark then
// shows as mojibake (two or three wrong characters for each). Only a warning: the bytes may be meant for
// a code page in which they happen to be valid UTF-8 too.
void WarnAboutUnmarkedUtf8(int index, const fs::path& file, const std::vector<std::uint8_t>& data) {
  const bool shownText = (index >= cPayReadMeFirst && index < cPayReadMeFirst + 2) ||
                         (index >= cPayLicenseFirst && index < cPayLicenseFirst + 2);
  if (shownText && !HasByteOrderMark(data) && IsNonAsciiUtf8(data))
    std::cerr << "pack_payload: warning: " << file.string()
              << ": UTF-8 with non-ASCII characters but no byte-order mark; the setup shows a text without a mark "
                 "in the system's ANSI code page: save it as UTF-8 with a byte-order mark (or UTF-16)\n";
}

// Make-style escaping of a path in a dependency file.
std::string DepPath(const fs::path& path) {
  std::string out;
  for (char c : path.generic_string()) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

int Pack(const fs::path& source, const fs::path& target, const fs::path& depfile) {
  std::error_code ec;
  fs::create_directories(target, ec);
  if (ec) throw TPackError{target.string() + ": cannot create the output folder (" + ec.message() + ")"};
  const fs::path absTarget = fs::absolute(target);
  // A failed run must not leave the script of an earlier one behind.
  fs::remove(absTarget / "payload.rc", ec);

  std::string script =
      "// Payload records of Corvalin-Setup.exe, written by pack_payload: PayFiles entry i is RCDATA 128 + i.\n";
  std::string deps = DepPath(absTarget / "payload.rc") + ":";
  std::uint64_t total = 0, packed = 0;
  // Every file is checked before the slow part starts, so that a missing
  // one stops the build at once.
  for (const TPayFile& entry : PayFiles) CheckProductFile(source / Narrow(entry.pfFilNam));
  for (std::size_t i = 0; i < cPayFileCount; ++i) {
    const fs::path file = source / Narrow(PayFiles[i].pfFilNam);
    const std::vector<std::uint8_t> data = ReadProductFile(file);
    WarnAboutUnmarkedUtf8(static_cast<int>(i), file, data);
    const std::vector<std::uint8_t> stream = Deflate(data, file);

    TPayHead head{};
    head.phCrcVal = static_cast<std::uint32_t>(crc32_z(crc32_z(0, nullptr, 0), data.data(), data.size()));
    head.phCmpSiz = static_cast<std::uint32_t>(stream.size());
    head.phOrgSiz = static_cast<std::uint32_t>(data.size());
    std::string header(cPayHeadSize, '\0');
    EncodePayHead(head, reinterpret_cast<std::uint8_t*>(header.data()));

    const std::uint32_t id = PayResourceId(static_cast<int>(i));
    const fs::path record = absTarget / PayRecordFileName(id);
    WriteFile(record, header, stream.data(), stream.size());

    const std::string recordPath = record.generic_string();
    if (recordPath.find_first_of("\"\\") != std::string::npos)
      throw TPackError{recordPath + ": the output folder's path must not hold quotes or backslashes"};
    script += std::to_string(id) + " RCDATA \"" + recordPath + "\"\n";
    deps += " \\\n  " + DepPath(fs::absolute(file));
    total += data.size();
    packed += cPayHeadSize + stream.size();
  }
  WriteFile(absTarget / "payload.rc", script, nullptr, 0);
  if (!depfile.empty()) WriteFile(depfile, deps + "\n", nullptr, 0);
  std::cout << "pack_payload: " << cPayFileCount << " records, " << total << " bytes packed into " << packed
            << " bytes\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  fs::path depfile;
  if (args.size() == 4 && args[2] == "--depfile") {
    depfile = args[3];
    args.resize(2);
  }
  if (args.size() != 2) {
    std::cerr << "usage: pack_payload <product folder> <output folder> [--depfile <file>]\n";
    return 2;
  }
  try {
    return Pack(args[0], args[1], depfile);
  } catch (const TPackError& e) {
    std::cerr << "pack_payload: error: " << e.message << "\n";
  } catch (const std::exception& e) {
    std::cerr << "pack_payload: error: " << e.what() << "\n";
  }
  return 1;
}
