// choice_list_view.cpp: a drop-down list the user can only pick from, as the core sees it.
#include "app/choice_list_view.h"

#include <algorithm>
#include <cctype>

namespace quillbrook {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<int> FindByText(const std::vector<std::string>& items, std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  const std::size_t star = text.find('*');
  const std::string_view pattern = text.substr(0, star);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string_view item = items[i];
    const bool matches =
        star == std::string_view::npos
            ? SameLetters(item, pattern)
            : item.size() >= pattern.size() && SameLetters(item.substr(0, pattern.size()), pattern);
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
