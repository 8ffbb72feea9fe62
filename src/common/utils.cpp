#include "common/utils.h"

#include "platform/platform.h"

namespace {

// Two-character digit tables: the number texts are written two digits at a time.
struct TPairTables {
  char16_t hex[256][2];
  char16_t dec[100][2];
  constexpr TPairTables() : hex(), dec() {
    const char16_t* digits = u"0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
      hex[i][0] = digits[i >> 4];
      hex[i][1] = digits[i & 15];
    }
    for (int i = 0; i < 100; ++i) {
      dec[i][0] = static_cast<char16_t>(u'0' + i / 10);
      dec[i][1] = static_cast<char16_t>(u'0' + i % 10);
    }
  }
};
constexpr TPairTables cPairs;

}  // namespace

ustring AddBackslash(const ustring& text) {
  if (text.empty() || text.back() == u'\\') return text;
  return text + u'\\';
}

bool PathPresent(const ustring& path, std::uint32_t flags) {
  THandle file = 0;
  const std::uint32_t err =
      Os().CreateFileW(path, cGenericRead, cFileShareRead | cFileShareWrite | cFileShareDelete, cOpenExisting, flags, file);
  if (err == cErrSuccess) {
    Os().CloseHandle(file);
    return true;
  }
  return err == cErrSharingViolation || err == cErrLockViolation;
}

bool FilePresent(const ustring& path) { return PathPresent(path, 0); }

bool DirPresent(const ustring& path) { return PathPresent(path, cFileFlagBackupSemantics); }

const char16_t* FindChar(const char16_t* text, char16_t c) {
  for (;; ++text) {
    if (*text == c) return text;
    if (*text == 0) return nullptr;
  }
}

int LastCharOf(const ustring& set, const ustring& text) {
  for (std::size_t i = text.size(); i >= 1; --i) {
    const char16_t c = text[i - 1];
    if (c != 0 && FindChar(set.c_str(), c) != nullptr) return static_cast<int>(i);
  }
  return 0;
}

ustring TrimControls(const ustring& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && text[first] <= 32) ++first;
  while (last > first && text[last - 1] <= 32) --last;
  return text.substr(first, last - first);
}

std::vector<ustring> SplitCrLf(const ustring& text) {
  std::vector<ustring> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(u"\r\n", start);
    lines.push_back(text.substr(start, end == ustring::npos ? ustring::npos : end - start));
    if (end == ustring::npos) return lines;
    start = end + 2;
  }
}

ustring PathOfFile(const ustring& path) {
  return path.substr(0, static_cast<std::size_t>(LastCharOf(u"\\:", path)));
}

bool TextToInt64(const ustring& text, std::int64_t& value) {
  value = 0;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit = negative ? 9223372036854775808ull : 9223372036854775807ull;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    const unsigned digit = text[i] - u'0';
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

ustring HexOf(std::uint64_t value, int digits) {
  int n = 1;
  for (std::uint64_t rest = value >> 4; rest != 0; rest >>= 4) ++n;
  const int length = n < digits ? digits : n;
  ustring out(static_cast<std::size_t>(length), u'0');
  int pos = length;
  int left = n;
  while (left >= 2) {
    const auto& pair = cPairs.hex[value & 0xFF];
    out[--pos] = pair[1];
    out[--pos] = pair[0];
    value >>= 8;
    left -= 2;
  }
  if (left == 1) out[--pos] = cPairs.hex[value & 0xFF][1];
  return out;
}

ustring HexOf(std::int64_t value, int digits) { return HexOf(static_cast<std::uint64_t>(value), digits); }
ustring HexOf(std::uint32_t value, int digits) { return HexOf(static_cast<std::uint64_t>(value), digits); }
ustring HexOf(int value, int digits) { return HexOf(static_cast<std::int64_t>(value), digits); }

ustring DecOfInt(std::int32_t value) {
  const bool negative = value < 0;
  std::uint32_t magnitude = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  int n = 1;
  for (std::uint64_t bound = 10; n < 10 && magnitude >= bound; bound *= 10) ++n;
  const int length = n + (negative ? 1 : 0);
  ustring out(static_cast<std::size_t>(length), u'-');
  int pos = length;
  int left = n;
  while (left >= 2) {
    const auto& pair = cPairs.dec[magnitude % 100];
    out[--pos] = pair[1];
    out[--pos] = pair[0];
    magnitude /= 100;
    left -= 2;
  }
  if (left == 1) out[--pos] = static_cast<char16_t>(u'0' + magnitude);
  return out;
}

ustring DecOfIntPadded(std::int32_t value, int width) {
  ustring text = DecOfInt(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), u'0');
  return text;
}

ustring UtcDateStamp() {
  const TSystemTime now = Os().GetUtcTime();
  return DecOfIntPadded(now.wYear, 4) + u'-' + DecOfIntPadded(now.wMonth, 2) + u'-' + DecOfIntPadded(now.wDay, 2);
}

std::uint32_t TimeTag(std::uint32_t n) {
  const TSystemTime now = Os().GetUtcTime();
  return ((static_cast<std::uint32_t>(now.wSecond) * 1024u + now.wMilliseconds) << 16) + (n & 0xFFFFu);
}

ustring LowerAscii(const ustring& text) {
  ustring out = text;
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return out;
}

std::string ToUtf8(const ustring& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

ustring FromUtf8(const std::string& text) {
  // Strict decoding: a byte that cannot continue the sequence under way ends
  // it without being taken into it, so a broken character never swallows the
  // line break or letter after it. Ill-formed input (a stray continuation
  // byte, a truncated sequence, an overlong form, a surrogate, a value above
  // U+10FFFF) becomes one U+FFFD per maximal ill-formed part, as the Unicode
  // standard recommends.
  ustring out;
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const auto b = static_cast<unsigned char>(text[i++]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      continue;
    }
    int extra = 0;
    std::uint32_t c = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      c = b & 0x0F;
      if (b == 0xE0) low = 0xA0;   // no overlong forms
      if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      c = b & 0x07;
      if (b == 0xF0) low = 0x90;   // no overlong forms
      if (b == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      out += u'\uFFFD';
      continue;
    }
    int taken = 0;
    for (; taken < extra && i < size; ++taken, ++i) {
      const auto next = static_cast<unsigned char>(text[i]);
      if (next < (taken == 0 ? low : 0x80) || next > (taken == 0 ? high : 0xBF)) break;
      c = (c << 6) | (next & 0x3F);
    }
    if (taken < extra) {
      out += u'\uFFFD';
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}
