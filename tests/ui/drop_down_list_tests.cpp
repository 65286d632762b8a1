// drop_down_list_tests.cpp: which selections of a drop-down list count as the user's choice, and
// how a remembered text is selected.
#include "ui/drop_down_list.h"

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

namespace quillbrook {
namespace {

class DropDownListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* item : {"Uno", "Nano", "nano old", "Mega2560"}) {
      list_.AppendItem(QString::fromLatin1(item));
    }
    list_.resize(100, 21);
    list_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
    list_.setFocus();
  }

  DropDownList list_;
  QSignalSpy choices_{&list_, &DropDownList::userSelected};
};

TEST_F(DropDownListTest, TheProgramsSelectionsRaiseNoEvent) {
  EXPECT_EQ(list_.SelectedText(), "Uno") << "the first item appended is selected";
  list_.SelectByText(QStringLiteral("mega*"));
  list_.AppendItem(QStringLiteral("Due"));
  list_.SelectByText(QStringLiteral("nothing like it"));
  list_.ClearItems();
  list_.AppendItem(QStringLiteral("Leonardo"));
  EXPECT_EQ(list_.SelectedText(), "Leonardo");
  EXPECT_EQ(choices_.count(), 0);
}

TEST_F(DropDownListTest, ArrowKeysOnTheClosedBoxAreTheUsersChoice) {
  QTest::keyClick(&list_, Qt::Key_Down);
  ASSERT_EQ(choices_.count(), 1);
  EXPECT_EQ(choices_.at(0).at(0).toString(), "Nano");
  EXPECT_EQ(list_.SelectedText(), "Nano") << "selected before the event";

  QTest::keyClick(&list_, Qt::Key_End);
  QTest::keyClick(&list_, Qt::Key_Down);  // already at the end: nothing changes
  ASSERT_EQ(choices_.count(), 2);
  EXPECT_EQ(choices_.at(1).at(0).toString(), "Mega2560");
}

TEST_F(DropDownListTest, APickInTheOpenListIsTheUsersChoiceUnlessItKeepsTheSelection) {
  const auto pick = [this](int row) {
    list_.showPopup();
    QAbstractItemView* view = list_.view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    view->setCurrentIndex(view->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
  };

  pick(2);
  ASSERT_EQ(choices_.count(), 1);
  EXPECT_EQ(choices_.at(0).at(0).toString(), "nano old");

  pick(2);
  EXPECT_EQ(choices_.count(), 1) << "the item that was already selected is no new choice";
}

TEST_F(DropDownListTest, SelectByTextFollowsTheAsteriskRuleIgnoringCase) {
  struct Case {
    const char* text;
    int selected;
  };
  const Case cases[] = {
      {"Nano", 1},    {"NANO", 1},       {"nano OLD", 2},     {"Nan", -1},
      {"nano*", 1},   {"nano o*", 2},    {"MEG*whatever", 3}, {"*", 0},
      {"Uno*x*y", 0}, {"Mega2560 ", -1}, {"Due", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    list_.setCurrentIndex(3);
    list_.SelectByText(QString::fromLatin1(c.text));
    EXPECT_EQ(list_.currentIndex(), c.selected);
    EXPECT_EQ(list_.SelectedText(), c.selected < 0 ? QString() : list_.itemText(c.selected));
  }
  EXPECT_EQ(choices_.count(), 0);
}

TEST_F(DropDownListTest, AnEmptyTextKeepsTheSelectionOrItsLack) {
  list_.setCurrentIndex(2);
  list_.SelectByText(QString());
  EXPECT_EQ(list_.currentIndex(), 2);

  list_.SelectByText(QStringLiteral("no such item"));
  list_.SelectByText(QString());
  EXPECT_EQ(list_.currentIndex(), -1);
  EXPECT_EQ(list_.SelectedText(), QString());
}

TEST_F(DropDownListTest, AppendingToAListWithoutSelectionSelectsItsFirstItem) {
  list_.SelectByText(QStringLiteral("no such item"));
  list_.AppendItem(QStringLiteral("Due"));
  EXPECT_EQ(list_.SelectedText(), "Uno");

  DropDownList empty;
  EXPECT_EQ(empty.SelectedText(), QString());
  empty.AppendItem(QStringLiteral("/dev/ttyACM0"));
  empty.AppendItem(QStringLiteral("/dev/ttyUSB0"));
  EXPECT_EQ(empty.SelectedText(), "/dev/ttyACM0");
}

}  // namespace
}  // namespace quillbrook
