// A line list that stands in for a memo where nothing is shown (the
// unattended run): the progress display writes to it as to the wizard's
// memos. Only the line operations mean something here.
#pragma once
#include <vector>

#include "platform/ui.h"

class TMemoLines : public IControl {
 public:
  void SetCaption(const ustring&) override {}
  ustring Caption() const override { return ustring(); }
  void SetEnabled(bool) override {}
  bool Enabled() const override { return false; }
  void SetChecked(bool) override {}
  bool Checked() const override { return false; }
  void SetVisible(bool) override {}
  bool Visible() const override { return false; }
  void SetFocus() override {}
  bool Focused() const override { return false; }
  void ClearLines() override { lines_.clear(); }
  void AddLine(const ustring& line) override { lines_.push_back(line); }
  void SetLines(const std::vector<ustring>& lines) override { lines_ = lines; }
  int LineCount() const override { return static_cast<int>(lines_.size()); }
  ustring Line(int index) const override {
    return index >= 0 && index < LineCount() ? lines_[static_cast<std::size_t>(index)] : ustring();
  }
  void SetLine(int index, const ustring& line) override {
    if (index >= 0 && index < LineCount()) lines_[static_cast<std::size_t>(index)] = line;
  }
  void SetItemIndex(int) override {}
  int ItemIndex() const override { return -1; }

  const std::vector<ustring>& Lines() const { return lines_; }

 private:
  std::vector<ustring> lines_;
};

// The lines of any memo, in order.
inline std::vector<ustring> LinesOf(const IControl& memo) {
  std::vector<ustring> lines;
  for (int i = 0; i < memo.LineCount(); ++i) lines.push_back(memo.Line(i));
  return lines;
}
