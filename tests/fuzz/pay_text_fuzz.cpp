// The read-me and licence texts of the payload, decoded for the wizard's
// memos: a tampered setup file can hold any bytes there. Input: the text
// file's bytes. They are decoded directly and, packed as a record, loaded
// through LoadPayloadText as the Welcome and License pages do.
// Properties: no line holds a line break; every line break of the file ends
// exactly one line (a broken multi-byte sequence must not swallow it); the
// lines of UTF-8 text are well-formed UTF-16; the record path gives the same
// lines.
#include "app/su_pay_text.h"
#include "catalogue/payload_files.h"
#include "fuzz_input.h"
#include "platform/sim/sim_ui.h"
#include "platform/wincodes.h"
#include "support/payload_records.h"

namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool WellFormed(const ustring& line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (IsLow(line[i])) return false;
    if (IsHigh(line[i])) {
      if (i + 1 >= line.size() || !IsLow(line[i + 1])) return false;
      ++i;
    }
  }
  return true;
}

// Line breaks of a text given as units: CR LF, CR or LF each end one line; a
// final break adds no empty line.
template <class TUnit>
std::size_t CountLines(const std::vector<TUnit>& units) {
  std::size_t lines = 0;
  bool open = false;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i] == '\r' || units[i] == '\n') {
      ++lines;
      open = false;
      if (units[i] == '\r' && i + 1 < units.size() && units[i + 1] == '\n') ++i;
    } else {
      open = true;
    }
  }
  return lines + (open ? 1 : 0);
}

// A memo that only keeps its lines.
class TMemo : public IControl {
 public:
  void SetCaption(const ustring&) override {}
  ustring Caption() const override { return {}; }
  void SetEnabled(bool) override {}
  bool Enabled() const override { return true; }
  void SetChecked(bool) override {}
  bool Checked() const override { return false; }
  void SetVisible(bool) override {}
  bool Visible() const override { return true; }
  void SetFocus() override {}
  bool Focused() const override { return false; }
  void ClearLines() override { lines.clear(); }
  void AddLine(const ustring& line) override { lines.push_back(line); }
  void SetLines(const std::vector<ustring>& all) override { lines = all; }
  int LineCount() const override { return static_cast<int>(lines.size()); }
  ustring Line(int index) const override {
    return index >= 0 && index < LineCount() ? lines[static_cast<std::size_t>(index)] : ustring();
  }
  void SetLine(int index, const ustring& line) override {
    if (index >= 0 && index < LineCount()) lines[static_cast<std::size_t>(index)] = line;
  }
  void SetItemIndex(int) override {}
  int ItemIndex() const override { return -1; }

  std::vector<ustring> lines;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<ustring> lines = DecodeTextLines(data, size);
  for (const ustring& line : lines) FUZZ_CHECK(line.find_first_of(u"\r\n") == ustring::npos);

  const bool utf8 = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
  const bool utf16 = !utf8 && size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
  if (utf16) {
    const bool little = data[0] == 0xFF;
    std::vector<char16_t> units;
    for (std::size_t i = 2; i + 1 < size; i += 2)
      units.push_back(static_cast<char16_t>(little ? data[i] | data[i + 1] << 8 : data[i] << 8 | data[i + 1]));
    FUZZ_CHECK(lines.size() == CountLines(units));
  } else {
    // UTF-8 and the single-byte code page keep every ASCII byte as it is.
    const std::vector<std::uint8_t> bytes(data + (utf8 ? 3 : 0), data + size);
    FUZZ_CHECK(lines.size() == CountLines(bytes));
    if (utf8)
      for (const ustring& line : lines) FUZZ_CHECK(WellFormed(line));
  }

  // The same bytes as the English licence record, loaded as the License page does.
  TFuzzSystem<> system;
  system.sim.resources[{cRtRcData, PayResourceId(cPayLicenseFirst)}] =
      MakeRecord(TByteVec(data, data + size), 1);
  TMemo memo;
  FUZZ_CHECK(LoadPayloadText(memo, cPayLicenseFirst));
  FUZZ_CHECK(memo.lines == lines);
  return 0;
}
