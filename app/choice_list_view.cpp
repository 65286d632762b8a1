// choice_list_view.cpp: a drop-down list the user can only pick from, as the core sees it.
#include "app/choice_list_view.h"

#include "app/ascii_case.h"

namespace quillbrook {

std::optional<int> FindByText(const std::vector<std::string>& items, std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  const std::size_t star = text.find('*');
  const std::string_view pattern = text.substr(0, star);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string_view item = items[i];
    const bool matches = star == std::string_view::npos ? EqualsIgnoringCase(item, pattern)
                                                        : StartsWithIgnoringCase(item, pattern);
    if (matches) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void SelectByText(ChoiceListView& list, std::string_view text) {
  if (const std::optional<int> index = FindByText(list.Items(), text)) {
    list.Select(*index);
  }
}

}  // namespace quillbrook
