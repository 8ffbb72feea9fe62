#include "app/su_pay_text.h"

#include <exception>

#include "common/utils.h"
#include "engine/mem_stream.h"
#include "engine/payload_store.h"
#include "platform/platform.h"

namespace {

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
  // No mark: the text is in the code page of the system it was written for.
  return Os().DecodeAnsiText(data, size);
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
