// drop_down_list_view.cpp: a DropDownList as the core's list of choices.
#include "ui/drop_down_list_view.h"

#include "ui/drop_down_list.h"

namespace quillbrook {

void DropDownListView::Clear() {
  list_.ClearItems();
}

void DropDownListView::Append(const std::string& item) {
  list_.AppendItem(QString::fromStdString(item));
}

std::vector<std::string> DropDownListView::Items() const {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(list_.count()));
  for (int i = 0; i < list_.count(); ++i) {
    items.push_back(list_.itemText(i).toStdString());
  }
  return items;
}

void DropDownListView::Select(int index) {
  list_.setCurrentIndex(index);
}

std::string DropDownListView::Text() const {
  return list_.SelectedText().toStdString();
}

}  // namespace quillbrook
