// drop_down_list.cpp: a read-only drop-down list that reports only the user's choices.
#include "ui/drop_down_list.h"

#include <QEvent>

namespace quillbrook {

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(kVisibleItems);
  // Qt emits activated() only for the user's gestures, but also when the open list's choice is the
  // item already selected; only a change counts as a choice.
  connect(this, &QComboBox::activated, this, &DropDownList::OnActivated);
}

void DropDownList::AppendItem(const QString& text) {
  addItem(text);
  if (currentIndex() < 0) {
    setCurrentIndex(0);
  }
}

void DropDownList::ClearItems() {
  clear();
}

void DropDownList::SelectByText(const QString& text) {
  if (text.isEmpty()) {
    return;
  }
  const qsizetype star = text.indexOf(QLatin1Char('*'));
  const QString pattern = star < 0 ? text : text.left(star);
  int found = -1;
  for (int i = 0; i < count() && found < 0; ++i) {
    const QString item = itemText(i);
    const bool matches = star < 0 ? item.compare(pattern, Qt::CaseInsensitive) == 0
                                  : item.startsWith(pattern, Qt::CaseInsensitive);
    if (matches) {
      found = i;
    }
  }
  setCurrentIndex(found);
}

QString DropDownList::SelectedText() const {
  const int index = currentIndex();
  return index < 0 ? QString() : itemText(index);
}

void DropDownList::showPopup() {
  indexBeforeUser_ = currentIndex();
  QComboBox::showPopup();
}

bool DropDownList::event(QEvent* event) {
  // The gestures on the closed box select at once; remember what was selected before them.
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::Wheel:
      indexBeforeUser_ = currentIndex();
      break;
    default:
      break;
  }
  return QComboBox::event(event);
}

void DropDownList::OnActivated(int index) {
  if (index == indexBeforeUser_) {
    return;
  }
  indexBeforeUser_ = index;
  emit userSelected(itemText(index));
}

}  // namespace quillbrook
