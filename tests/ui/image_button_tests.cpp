// image_button_tests.cpp: the picture an image button shows in each state, its fall-backs and its
// click.
#include "ui/image_button.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

#include "tests/ui/widget_test_helpers.h"

namespace quillbrook {
namespace {

using testing::PixelOf;
using testing::PointerEnters;
using testing::PointerLeaves;
using testing::Solid;

const QColor kNormal(200, 200, 200);
const QColor kOver(140, 140, 140);
const QColor kPressed(128, 211, 247);
const QColor kBackground(Qt::white);

// A white panel holding one button, as the window does.
class ImageButtonTest : public ::testing::Test {
 protected:
  ImageButton* Make(const QImage& normal, const QImage& over, const QImage& pressed) {
    auto* button = new ImageButton(normal, over, pressed, &panel_);
    button->setGeometry(10, 10, 20, 20);
    return button;
  }
  void SetUp() override {
    QPalette colours = panel_.palette();
    colours.setColor(QPalette::Window, kBackground);
    panel_.setPalette(colours);
    panel_.setAutoFillBackground(true);
    panel_.resize(40, 40);
  }
  // The button's top-left pixel as it appears on the panel.
  QColor Shown() { return PixelOf(&panel_, QPoint(10, 10)); }

  QWidget panel_;
};

TEST_F(ImageButtonTest, ShowsThePictureOfEachStateAndFallsBackToTheNormalOne) {
  const QImage none;
  const QImage normal = Solid({20, 20}, kNormal);
  struct Case {
    const char* name;
    QImage over, pressed;
    QColor shownOver, shownPressed;
  };
  const Case cases[] = {
      {"all three", Solid({20, 20}, kOver), Solid({20, 20}, kPressed), kOver, kPressed},
      {"no mouse-over picture", none, Solid({20, 20}, kPressed), kNormal, kPressed},
      {"no pressed picture", Solid({20, 20}, kOver), none, kOver, kNormal},
      {"normal only", none, none, kNormal, kNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageButton* button = Make(normal, c.over, c.pressed);
    button->setFocus();  // focus changes nothing
    EXPECT_EQ(button->CurrentLook(), ImageButton::Look::Normal);
    EXPECT_EQ(Shown(), kNormal);

    PointerEnters(button);
    EXPECT_EQ(button->CurrentLook(), ImageButton::Look::MouseOver);
    EXPECT_EQ(Shown(), c.shownOver);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->CurrentLook(), ImageButton::Look::Pressed);
    EXPECT_EQ(Shown(), c.shownPressed);

    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Shown(), c.shownOver);
    PointerLeaves(button);
    EXPECT_EQ(Shown(), kNormal);
    delete button;
  }
}

TEST_F(ImageButtonTest, WithoutANormalPictureDrawsNothingInAnyState) {
  ImageButton* button = Make(QImage(), Solid({20, 20}, kOver), Solid({20, 20}, kPressed));
  EXPECT_EQ(Shown(), kBackground);
  PointerEnters(button);
  EXPECT_EQ(Shown(), kBackground);
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(Shown(), kBackground);
}

TEST_F(ImageButtonTest, DrawsThePictureOpaqueAndUnscaledAtItsTopLeftCorner) {
  // Colour in the pixels but fully transparent: the picture's alpha must not count.
  QImage seeThrough(10, 10, QImage::Format_ARGB32);
  seeThrough.fill(QColor(255, 0, 0, 0));
  Make(seeThrough, QImage(), QImage());
  EXPECT_EQ(PixelOf(&panel_, QPoint(10, 10)), QColor(255, 0, 0));
  EXPECT_EQ(PixelOf(&panel_, QPoint(19, 19)), QColor(255, 0, 0));
  // Not stretched to the button's 20x20.
  EXPECT_EQ(PixelOf(&panel_, QPoint(25, 25)), kBackground);
}

TEST_F(ImageButtonTest, ClicksOnlyOnPressAndReleaseOverTheButton) {
  ImageButton* button = Make(Solid({20, 20}, kNormal), QImage(), QImage());
  QSignalSpy clicks(button, &ImageButton::clicked);

  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1);

  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks.count(), 1) << "a press alone is no click";
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(35, 35));
  EXPECT_EQ(clicks.count(), 1) << "released away from the button";
}

TEST(ImageButtonPictures, AMissingPictureFileLoadsAsNoPicture) {
  EXPECT_TRUE(ImageButton::LoadPicture(QStringLiteral(":/no/such/picture.png")).isNull());
}

}  // namespace
}  // namespace quillbrook
