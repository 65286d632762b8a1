// controls_tests.cpp: the status picture's drawing and click, and the information link.
#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>

#include "tests/ui/widget_test_helpers.h"
#include "ui/info_link.h"
#include "ui/status_picture.h"

namespace quillbrook {
namespace {

using testing::PixelOf;
using testing::PointerEnters;
using testing::PointerLeaves;
using testing::Solid;

TEST(StatusPictureTest, ShowsTheLastFrameUnscaledAndWhiteWhereNoFrameCovers) {
  StatusPicture picture;
  picture.resize(50, 50);
  EXPECT_EQ(PixelOf(&picture, {0, 0}), QColor(Qt::white)) << "empty";
  EXPECT_EQ(PixelOf(&picture, {49, 49}), QColor(Qt::white));

  picture.ShowFrame(Solid({30, 20}, Qt::red));
  EXPECT_EQ(PixelOf(&picture, {0, 0}), QColor(Qt::red));
  EXPECT_EQ(PixelOf(&picture, {29, 19}), QColor(Qt::red));
  EXPECT_EQ(PixelOf(&picture, {30, 5}), QColor(Qt::white)) << "right of the frame";
  EXPECT_EQ(PixelOf(&picture, {5, 20}), QColor(Qt::white)) << "below the frame";

  picture.ShowFrame(Solid({10, 10}, Qt::blue));
  EXPECT_EQ(PixelOf(&picture, {0, 0}), QColor(Qt::blue));
  EXPECT_EQ(PixelOf(&picture, {15, 15}), QColor(Qt::white)) << "the old frame is gone";
}

TEST(StatusPictureTest, AClickIsAPressAndReleaseOnThePicture) {
  StatusPicture picture;
  picture.resize(50, 50);
  QSignalSpy clicks(&picture, &StatusPicture::clicked);
  QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(25, 25));
  EXPECT_EQ(clicks.count(), 1);
  QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(25, 25));
  QTest::mouseRelease(&picture, Qt::LeftButton, {}, QPoint(60, 25));
  EXPECT_EQ(clicks.count(), 1);
}

class InfoLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link_.SetOpener([this](const QUrl& url) {
      opened_.append(url);
      return opens_;
    });
    link_.adjustSize();
  }
  InfoLink link_{InfoLink::DocumentationAddress()};
  QList<QUrl> opened_;
  bool opens_ = true;
};

TEST_F(InfoLinkTest, ShowsTheHostInSilverAndTurnsGreyAndUnderlinedUnderThePointer) {
  EXPECT_EQ(link_.text(), InfoLink::DocumentationAddress().host());
  EXPECT_FALSE(link_.text().isEmpty());
  EXPECT_EQ(link_.cursor().shape(), Qt::ArrowCursor);

  const auto look = [this] {
    return std::make_pair(link_.palette().color(QPalette::WindowText), link_.font().underline());
  };
  EXPECT_EQ(look(), std::make_pair(QColor(192, 192, 192), false));
  PointerEnters(&link_);
  EXPECT_EQ(look(), std::make_pair(QColor(128, 128, 128), true));
  PointerLeaves(&link_);
  EXPECT_EQ(look(), std::make_pair(QColor(192, 192, 192), false));
}

TEST_F(InfoLinkTest, AClickOpensTheDocumentationAndTellsWhetherItOpened) {
  QSignalSpy clicks(&link_, &InfoLink::clicked);
  QTest::mouseClick(&link_, Qt::LeftButton, {}, QPoint(3, 3));
  opens_ = false;
  QTest::mouseClick(&link_, Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mousePress(&link_, Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseRelease(&link_, Qt::LeftButton, {}, QPoint(-20, 3));  // taken back

  EXPECT_EQ(opened_,
            (QList<QUrl>{InfoLink::DocumentationAddress(), InfoLink::DocumentationAddress()}));
  ASSERT_EQ(clicks.count(), 2);
  EXPECT_TRUE(clicks.at(0).at(0).toBool());
  EXPECT_FALSE(clicks.at(1).at(0).toBool());
  EXPECT_EQ(InfoLink::DocumentationAddress().scheme(), "https");
}

}  // namespace
}  // namespace quillbrook
