// fake_choice_list.h: a port box in memory that keeps the drop-down list's selection rules.
#pragma once

#include <string>
#include <vector>

#include "app/choice_list_view.h"

namespace quillbrook::testing {

class FakeChoiceList : public ChoiceListView {
 public:
  void Clear() override {
    items_.clear();
    selected_ = -1;
  }
  void Append(const std::string& item) override {
    items_.push_back(item);
    if (selected_ < 0) {
      selected_ = 0;
    }
  }
  std::vector<std::string> Items() const override { return items_; }
  void Select(int index) override {
    selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  }
  std::string Text() const override { return selected_ < 0 ? std::string() : items_[selected_]; }

 private:
  std::vector<std::string> items_;
  int selected_ = -1;
};

}  // namespace quillbrook::testing
