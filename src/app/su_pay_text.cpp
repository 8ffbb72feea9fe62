#include "app/su_pay_text.h"

#include <exception>

#include "common/utils.h"
#include "engine/mem_stream.h"
#include "engine/payload_store.h"

namespace {

// Windows-1252 characters 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t cCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

ustring DecodeText(const std::uint8_t* data, std::size_t size) {
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
    return FromUtf8(std::string(reinterpret_cast<const char*>(data) + 3, size - 3));
  if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
    const bool little = data[0] == 0xFF;
    ustring text;
    for (std::size_t i = 2; i + 1 < size; i += 2)
      text += static_cast<char16_t>(little ? data[i] | (data[i + 1] << 8) : (data[i] << 8) | data[i + 1]);
    return text;
  }
  ustring text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i)
    text += data[i] >= 0x80 && data[i] < 0xA0 ? cCp1252High[data[i] - 0x80] : static_cast<char16_t>(data[i]);
  return text;
}

}  // namespace

std::vector<ustring> DecodeTextLines(const std::uint8_t* data, std::size_t size) {
  const ustring text = DecodeText(data, size);
  std::vector<ustring> lines;
  ustring line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(line);
      line.clear();
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool LoadPayloadText(IControl& list, int n) {
  list.ClearLines();
  try {
    TMemStream buffer;
    if (!ReadPayloadEntry(n, buffer)) return false;
    list.SetLines(DecodeTextLines(buffer.Data(), buffer.Size()));
    return true;
  } catch (const std::exception&) {
    // A missing or unreadable record leaves the memo empty; the page still works.
    list.ClearLines();
    return false;
  }
}
