// drop_down_list_view.h: a DropDownList as the core's list of choices.
#pragma once

#include "app/choice_list_view.h"

namespace quillbrook {

class DropDownList;

class DropDownListView : public ChoiceListView {
 public:
  explicit DropDownListView(DropDownList& list) : list_(list) {}

  void Clear() override;
  void Append(const std::string& item) override;
  std::vector<std::string> Items() const override;
  void Select(int index) override;
  std::string Text() const override;

 private:
  DropDownList& list_;
};

}  // namespace quillbrook
