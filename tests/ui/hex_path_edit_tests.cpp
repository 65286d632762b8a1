// hex_path_edit_tests.cpp: which changes of the HEX path field are heard, and where its caret
// stays.
#include "ui/hex_path_edit.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

namespace quillbrook {
namespace {

class HexPathEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit_));
    edit_.setFocus();
  }
  QStringList Heard() const {
    QStringList texts;
    for (const QList<QVariant>& event : heard_) {
      texts.append(event.at(0).toString());
    }
    return texts;
  }

  HexPathEdit edit_{QStringLiteral("drop file here")};
  QSignalSpy heard_{&edit_, &HexPathEdit::echoedTextChanged};
};

TEST_F(HexPathEditTest, TypingIsHeardKeystrokeByKeystrokeAndEnterDoesNothing) {
  edit_.clear();
  heard_.clear();
  QTest::keyClicks(&edit_, QStringLiteral("a.h"));
  QTest::keyClick(&edit_, Qt::Key_Return);
  QTest::keyClick(&edit_, Qt::Key_Backspace);
  EXPECT_EQ(Heard(), (QStringList{"a", "a.", "a.h", "a."}));
}

TEST_F(HexPathEditTest, TextSetWithEchoIsHeardEvenWhenUnchanged) {
  edit_.SetTextWithEcho(QStringLiteral("/tmp/blink.hex"));
  edit_.SetTextWithEcho(QStringLiteral("/tmp/blink.hex"));
  EXPECT_EQ(Heard(), (QStringList{"/tmp/blink.hex", "/tmp/blink.hex"}));
}

TEST_F(HexPathEditTest, TextSetWithoutEchoIsNotHeardButTheNextEditIs) {
  edit_.SetTextWithoutEcho(QStringLiteral("/tmp/blink.hex"));
  edit_.SetTextWithoutEcho(QStringLiteral("/tmp/blink.hex"));  // unchanged: Qt reports nothing
  edit_.SetTextWithoutEcho(QString());
  edit_.SetTextWithoutEcho(QString());
  EXPECT_EQ(edit_.text(), QString());
  EXPECT_TRUE(Heard().isEmpty());

  QTest::keyClick(&edit_, Qt::Key_X);
  EXPECT_EQ(Heard(), QStringList{"x"}) << "the edit after a silent load must be heard";
}

TEST_F(HexPathEditTest, BothWaysOfSettingKeepTheCaretAtTheSelectionStart) {
  edit_.setText(QStringLiteral("/home/user/blink.hex"));
  edit_.setCursorPosition(6);
  edit_.SetTextWithoutEcho(QStringLiteral("/home/user/blink2.hex"));
  EXPECT_EQ(edit_.cursorPosition(), 6);

  edit_.setSelection(11, 5);
  edit_.SetTextWithEcho(QStringLiteral("/home/user/other.hex"));
  EXPECT_EQ(edit_.cursorPosition(), 11);

  edit_.setCursorPosition(20);
  edit_.SetTextWithoutEcho(QStringLiteral("/x"));
  EXPECT_EQ(edit_.cursorPosition(), 2) << "a caret beyond the new end stops at the end";
}

TEST_F(HexPathEditTest, AReactionThatLoadsTheTextBackWithoutEchoIsHeardOnceAndKeepsTheCaret) {
  // What the program does with every edit: write it, then show the same text without echo.
  int reactions = 0;
  QObject::connect(&edit_, &HexPathEdit::echoedTextChanged, [&](const QString& text) {
    ++reactions;
    edit_.SetTextWithoutEcho(text);
  });
  edit_.setText(QStringLiteral("/tmp/ab.hex"));
  reactions = 0;
  heard_.clear();
  edit_.setCursorPosition(6);
  QTest::keyClick(&edit_, Qt::Key_C);
  EXPECT_EQ(reactions, 1);
  EXPECT_EQ(edit_.text(), "/tmp/acb.hex");
  EXPECT_EQ(edit_.cursorPosition(), 7);
}

}  // namespace
}  // namespace quillbrook
