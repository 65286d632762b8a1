// drop_down_list.h: a read-only drop-down list that reports only the user's choices.
#pragma once

#include <QComboBox>
#include <QString>

namespace quillbrook {

// The user picks an item with the mouse in the open list, with the arrow keys, by typing or with
// the wheel on the closed box; each pick that changes the selected item emits userSelected once
// the item is selected. The program fills and selects through AppendItem, ClearItems and
// SelectByText, which never emit it, so loading a remembered value is never taken for a choice.
class DropDownList : public QComboBox {
  Q_OBJECT

 public:
  static constexpr int kVisibleItems = 8;

  explicit DropDownList(QWidget* parent = nullptr);

  // Appends at the end; a list without a selected item then selects its first item.
  void AppendItem(const QString& text);
  // Removes every item; nothing is selected afterwards.
  void ClearItems();
  // Selects the first item matching a remembered text, ignoring letter case: with an asterisk in
  // the text, an item matches when it begins with the part before the first asterisk; otherwise
  // it must equal the text. An empty text changes nothing; no match leaves no item selected.
  void SelectByText(const QString& text);
  // The text of the selected item; empty when no item is selected.
  QString SelectedText() const;

  void showPopup() override;

 signals:
  void userSelected(const QString& text);

 protected:
  bool event(QEvent* event) override;

 private:
  void OnActivated(int index);

  // The selected item just before the user's current gesture began.
  int indexBeforeUser_ = -1;
};

}  // namespace quillbrook
