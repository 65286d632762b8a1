// hint_display_tests.cpp: when a control's tooltip appears and goes, and how it looks, on the
// virtual clock.
#include "ui/hint_display.h"

#include <gtest/gtest.h>
#include <QFontInfo>
#include <QLabel>
#include <QTest>

#include "tests/support/virtual_clock.h"
#include "tests/ui/widget_test_helpers.h"
#include "ui/control_fonts.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using testing::PointerEnters;
using testing::PointerLeaves;
using testing::PointerMoves;

class HintDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Away from where the platform's pointer rests, which would enter a control by itself.
    panel_.setGeometry(300, 300, 100, 60);
    hinted_->setGeometry(0, 0, 40, 40);
    other_->setGeometry(50, 0, 40, 40);
    bare_->setGeometry(0, 45, 10, 10);
    hints_.AddTip(hinted_, QStringLiteral("Options"));
    hints_.AddTip(other_, QStringLiteral("Rescan ports"));
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
  }
  QString Shown() const { return hints_.IsShown() ? hints_.TipWindow().text() : QString(); }

  quillbrook::testing::VirtualClock clock_;
  QWidget panel_;
  QWidget* hinted_ = new QWidget(&panel_);
  QWidget* other_ = new QWidget(&panel_);
  QWidget* bare_ = new QWidget(&panel_);
  HintDisplay hints_{clock_};
};

TEST_F(HintDisplayTest, AppearsAfterTheRestDelayAndGoesAfterTheShowTime) {
  PointerEnters(hinted_);
  clock_.Advance(499ms);
  EXPECT_FALSE(hints_.IsShown());
  clock_.Advance(1ms);
  EXPECT_EQ(Shown(), "Options");
  EXPECT_EQ(hints_.ShownFor(), hinted_);

  clock_.Advance(4999ms);
  EXPECT_TRUE(hints_.IsShown());
  clock_.Advance(1ms);
  EXPECT_FALSE(hints_.IsShown());

  // Gone on its own, it waits for the pointer to come back.
  PointerMoves(hinted_, QPoint(5, 5));
  clock_.Advance(10s);
  EXPECT_FALSE(hints_.IsShown());
  PointerLeaves(hinted_);
  PointerEnters(hinted_);
  clock_.Advance(500ms);
  EXPECT_EQ(Shown(), "Options");
}

TEST_F(HintDisplayTest, WaitsForThePointerToRest) {
  PointerEnters(hinted_);
  clock_.Advance(400ms);
  PointerMoves(hinted_, QPoint(8, 8));
  clock_.Advance(400ms);
  EXPECT_FALSE(hints_.IsShown());
  clock_.Advance(100ms);
  EXPECT_TRUE(hints_.IsShown());
}

TEST_F(HintDisplayTest, GoesAtOnceWhenThePointerLeavesOrAButtonIsPressed) {
  PointerEnters(hinted_);
  clock_.Advance(500ms);
  ASSERT_TRUE(hints_.IsShown());
  PointerLeaves(hinted_);
  EXPECT_FALSE(hints_.IsShown());
  clock_.Advance(10s);
  EXPECT_FALSE(hints_.IsShown());

  PointerEnters(other_);
  clock_.Advance(500ms);
  ASSERT_EQ(Shown(), "Rescan ports");
  QTest::mousePress(other_, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(hints_.IsShown());
}

TEST_F(HintDisplayTest, AControlWithoutTipShowsNothing) {
  PointerEnters(bare_);
  clock_.Advance(1s);
  EXPECT_FALSE(hints_.IsShown());
  EXPECT_FALSE(hints_.HasTip(bare_));
  EXPECT_FALSE(hints_.SetHint(bare_, QStringLiteral("ignored")));
  EXPECT_EQ(hints_.Hint(bare_), QString());
}

TEST_F(HintDisplayTest, SetHintChangesAShownTipAtOnceAndOnlyItsOwn) {
  PointerEnters(hinted_);
  clock_.Advance(500ms);
  const int narrow = hints_.TipWindow().width();

  EXPECT_TRUE(hints_.SetHint(other_, QStringLiteral("not the one shown")));
  EXPECT_EQ(Shown(), "Options");

  EXPECT_TRUE(hints_.SetHint(hinted_, QStringLiteral("Changes detected! & more words")));
  EXPECT_EQ(Shown(), "Changes detected! & more words");
  EXPECT_GT(hints_.TipWindow().width(), narrow) << "the tip grows with its text";
  EXPECT_EQ(hints_.Hint(hinted_), "Changes detected! & more words");
}

TEST_F(HintDisplayTest, LooksLikeAPlainOneLineTip) {
  EXPECT_TRUE(
      hints_.SetHint(hinted_, QStringLiteral("a hint far wider than the control it is for")));
  PointerEnters(hinted_);
  clock_.Advance(500ms);
  const QLabel& tip = hints_.TipWindow();
  ASSERT_TRUE(tip.isVisible());
  EXPECT_TRUE(tip.windowFlags().testFlag(Qt::ToolTip));
  EXPECT_EQ(tip.textFormat(), Qt::PlainText);
  EXPECT_FALSE(tip.wordWrap());
  EXPECT_EQ(tip.margin(), 0);
  EXPECT_EQ(tip.indent(), 0);
  EXPECT_EQ(tip.contentsRect(), tip.rect().adjusted(1, 1, -1, -1))
      << "no margins inside the border";
  EXPECT_EQ(QFontInfo(tip.font()).family(), QFontInfo(HintFont()).family());
  EXPECT_EQ(tip.font().pointSize(), 8);
  EXPECT_EQ(tip.palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_EQ(tip.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(tip.height(), tip.sizeHint().height()) << "one line";
  const QImage drawn = const_cast<QLabel&>(tip).grab().toImage();
  EXPECT_EQ(drawn.pixelColor(0, 0), QColor(Qt::black)) << "a thin black border";
  EXPECT_EQ(drawn.pixelColor(1, 1), QColor(Qt::white));
  EXPECT_GE(tip.width(), tip.fontMetrics().horizontalAdvance(tip.text()));
}

}  // namespace
}  // namespace quillbrook
