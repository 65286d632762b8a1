// choice_list_view.h: a drop-down list the user can only pick from, as the core sees it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// The program's own changes to a list never count as the user's choice: none of these raises the
// list's selection event.
class ChoiceListView {
 public:
  virtual ~ChoiceListView() = default;
  virtual void Clear() = 0;
  // Appends at the end; when no item was selected, the first item becomes selected.
  virtual void Append(const std::string& item) = 0;
  virtual std::vector<std::string> Items() const = 0;
  // -1 selects nothing.
  virtual void Select(int index) = 0;
  // The selected item's text, "" when none is selected.
  virtual std::string Text() const = 0;
};

// The item a remembered text selects: nothing (std::nullopt) changes for an empty text; otherwise
// the first item equal to the text, or beginning with the text before its first '*', both without
// regard to ASCII letter case; -1 when none matches.
std::optional<int> FindByText(const std::vector<std::string>& items, std::string_view text);

// Selects what FindByText finds, leaving the selection as it is for an empty text.
void SelectByText(ChoiceListView& list, std::string_view text);

}  // namespace quillbrook
