// Names and paths the way Windows reads them: case-insensitive comparison and
// the full-path rules of GetFullPathNameW.
#include <vector>

#include "platform/sim/sim_state.h"

namespace sim {

ustring UpperName(const ustring& text) {
  ustring out = text;
  for (char16_t& c : out) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<char16_t>(c - 32);
  }
  return out;
}

bool ContainsNoCase(const ustring& text, const ustring& part) {
  return UpperName(text).find(UpperName(part)) != ustring::npos;
}

namespace {

bool IsDriveSpec(const ustring& p) {
  return p.size() >= 2 && p[1] == u':' && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
}

// Splits on backslashes and resolves "." and ".."; empty parts collapse.
std::vector<ustring> Components(const ustring& rest) {
  std::vector<ustring> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(u'\\', start);
    if (end == ustring::npos) end = rest.size();
    const ustring part = rest.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::uint32_t FullPath(const ustring& input, const ustring& currentDir, ustring& full) {
  full.clear();
  if (input.empty()) return 123;  // ERROR_INVALID_NAME
  ustring path = input;
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  if (path.rfind(u"\\\\?\\", 0) == 0) {  // already a full path, taken literally
    full = path.substr(4);
    return 0;
  }
  const bool trailing = path.back() == u'\\';
  ustring prefix, rest;
  if (path.rfind(u"\\\\", 0) == 0) {  // \\server\share\...
    const std::size_t server = path.find(u'\\', 2);
    const std::size_t share = server == ustring::npos ? ustring::npos : path.find(u'\\', server + 1);
    prefix = path.substr(0, share);
    rest = share == ustring::npos ? u"" : path.substr(share);
  } else if (IsDriveSpec(path)) {
    prefix = path.substr(0, 2);
    rest = path.substr(2);
    if (rest.empty() || rest[0] != u'\\') {  // drive-relative
      const bool sameDrive = IsDriveSpec(currentDir) && UpperName(currentDir.substr(0, 1)) == UpperName(prefix.substr(0, 1));
      rest = (sameDrive ? currentDir.substr(2) : ustring()) + u"\\" + rest;
    }
  } else if (path[0] == u'\\') {
    prefix = currentDir.substr(0, 2);
    rest = path;
  } else {
    prefix = currentDir.substr(0, 2);
    rest = currentDir.substr(2) + u"\\" + path;
  }
  std::vector<ustring> parts = Components(rest);
  if (!parts.empty()) {
    // The last name loses trailing dots and blanks, as Windows trims it.
    ustring& last = parts.back();
    while (!last.empty() && (last.back() == u'.' || last.back() == u' ')) last.pop_back();
    if (last.empty()) parts.pop_back();
  }
  full = prefix;
  for (const ustring& part : parts) full += u"\\" + part;
  if (parts.empty() || trailing) full += u"\\";
  return 0;
}

bool HostCanHold(const ustring& name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c >= 0xDC00 && c <= 0xDFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace sim

// --- names compared as the file system compares them ---
// The emulated file system's own case rule, the one its paths are found by.
bool TSimPlatform::SameNameIgnoringCase(const ustring& a, const ustring& b) {
  return sim::UpperName(a) == sim::UpperName(b);
}
// --- end of names ---
