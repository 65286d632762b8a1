// main_window_tests.cpp: the window's controls, heights, overlay, dragging, drops, hints and close,
// on Qt's offscreen platform and the virtual clock.
#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "tests/support/virtual_clock.h"
#include "tests/ui/widget_test_helpers.h"
#include "ui/control_fonts.h"
#include "ui/drop_down_list.h"
#include "ui/hex_path_edit.h"
#include "ui/hint_display.h"
#include "ui/image_button.h"
#include "ui/info_link.h"
#include "ui/status_picture.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using testing::PixelOf;
using testing::PointerEnters;

class MainWindowTest : public ::testing::Test {
 protected:
  // Shown where the program shows it: at a position, with a height, after the overlay.
  void Show(WindowRect rect = {100, 100, MainWindow::kDesignWidth, MainWindow::kDesignHeight}) {
    window_.ApplyOverlay();
    window_.setOuterRect(rect);
    window_.show();
    window_.markShownOnce();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5)); }

  quillbrook::testing::VirtualClock clock_;
  MainWindow window_{clock_};
};

TEST_F(MainWindowTest, EveryControlSitsAtItsPlaceInCreationOrder) {
  struct Control {
    const char* name;
    QRect place;  // client coordinates; an empty size means "fits its text"
    bool shown;
  };
  const Control table[] = {
      {"StatusPicture", {-2, -2, 50, 50}, true},
      {"CloseButton", {106, 0, 20, 20}, true},
      {"OptionsButton", {65, 28, 20, 20}, true},
      {"AutoFlashButton", {85, 28, 20, 20}, true},
      {"PortLabel", {3, 105, 35, 15}, true},
      {"HexLabel", {3, 150, 32, 15}, true},
      {"TypeLabel", {3, 60, 35, 15}, true},
      {"PortBox", {3, 120, 100, 21}, true},
      {"HexPathEdit", {3, 165, 120, 20}, true},
      {"TypeBox", {3, 75, 100, 21}, true},
      {"ManualFlashButton", {85, 28, 20, 20}, false},
      {"LogShownButton", {105, 28, 20, 20}, true},
      {"NoLogButton", {105, 28, 20, 20}, false},
      {"InfoLink", {25, 190, 0, 0}, true},
      {"RescanPortsButton", {106, 120, 20, 20}, true},
      {"AddTypeButton", {105, 75, 20, 20}, true},
  };
  const QList<QWidget*> controls =
      window_.clientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_EQ(controls.size(), std::size(table));
  for (std::size_t i = 0; i < std::size(table); ++i) {
    const Control& expected = table[i];
    QWidget* control = controls[static_cast<qsizetype>(i)];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(control->objectName(), expected.name);
    EXPECT_EQ(control->pos(), expected.place.topLeft());
    const QSize size = expected.place.isEmpty() ? control->sizeHint() : expected.place.size();
    EXPECT_EQ(control->size(), size);
    EXPECT_EQ(!control->isHidden(), expected.shown);
  }
  EXPECT_EQ(window_.clientArea()->geometry(),
            QRect(1, 1, MainWindow::kDesignWidth - 2, MainWindow::kDesignHeight - 2))
      << "the client area lies inside the one-pixel frame";
  EXPECT_EQ(window_.hexPathEdit()->text(), "drop file here");
  EXPECT_EQ(window_.typeBox()->count(), 0);
  EXPECT_EQ(window_.portBox()->count(), 0);
  EXPECT_EQ(window_.typeBox()->maxVisibleItems(), 8);
  EXPECT_LE(window_.infoLink()->x() + window_.infoLink()->width(), window_.clientArea()->width())
      << "the link's text fits the window";
}

TEST_F(MainWindowTest, ControlsUseTheControlFontAndLabelsAreBold) {
  const QString family = QFontInfo(ControlFont()).family();
  for (QWidget* control :
       window_.clientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    SCOPED_TRACE(control->objectName().toStdString());
    EXPECT_EQ(QFontInfo(control->font()).family(), family);
    EXPECT_EQ(control->font().pointSize(), 8);
    const bool label =
        qobject_cast<QLabel*>(control) != nullptr && qobject_cast<InfoLink*>(control) == nullptr;
    EXPECT_EQ(control->font().bold(), label);
  }
}

TEST_F(MainWindowTest, IsCreatedHiddenCentredAtDesignSizeOpaqueAndNotOnTop) {
  EXPECT_TRUE(window_.isHidden());
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window_.outerRect(),
            (WindowRect{(screen.width() - 127) / 2, (screen.height() - 220) / 2, 127, 220}));
  EXPECT_FALSE(window_.Expanded());
  EXPECT_FALSE(window_.shownOnce());
  EXPECT_EQ(window_.windowTitle(), "Quillbrook");
  EXPECT_EQ(window_.windowOpacity(), 1.0);
  EXPECT_FALSE(window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(window_.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window_.windowType(), Qt::Tool) << "kept off the task bar";
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize()) << "the user cannot resize it";
}

TEST_F(MainWindowTest, OverlayPutsItOnTopSeeThroughAndItsCloseStillEndsTheProgram) {
  window_.ApplyOverlay();
  EXPECT_TRUE(window_.isHidden()) << "the overlay does not show the window";
  EXPECT_TRUE(window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(window_.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window_.windowType(), Qt::Tool);
  EXPECT_EQ(qRound(window_.windowOpacity() * 255), 180);
  // Qt does not count a tool window as one whose closing ends the program.
  EXPECT_TRUE(window_.testAttribute(Qt::WA_QuitOnClose));
}

TEST_F(MainWindowTest, CollapsesWhenTheTimerExpiresWhateverHeightItWasShownWith) {
  for (const int shownHeight : {220, 212, 56, 400}) {
    SCOPED_TRACE(shownHeight);
    Show({-40, 300, 127, shownHeight});
    window_.StartCollapseTimer();
    clock_.Advance(99ms);
    EXPECT_EQ(window_.outerRect(), (WindowRect{-40, 300, 127, shownHeight}));
    clock_.Advance(1ms);
    EXPECT_EQ(window_.outerRect(), (WindowRect{-40, 300, 127, 56}));
    EXPECT_FALSE(window_.Expanded());
    EXPECT_FALSE(window_.CollapseTimerRunning());
  }
}

TEST_F(MainWindowTest, OptionsButtonTogglesBetweenTheTwoHeightsKeepingTheTopEdge) {
  Show({30, 40, 127, 56});
  Click(window_.optionsButton());
  EXPECT_TRUE(window_.Expanded());
  EXPECT_EQ(window_.outerRect(), (WindowRect{30, 40, 127, 212}));
  EXPECT_TRUE(window_.typeBox()->isVisible());
  Click(window_.optionsButton());
  EXPECT_FALSE(window_.Expanded());
  EXPECT_EQ(window_.outerRect(), (WindowRect{30, 40, 127, 56}));
}

TEST_F(MainWindowTest, AClickBeforeTheCollapseIsUndoneByItAndTheNextClickExpandsAgain) {
  Show();
  window_.StartCollapseTimer();
  clock_.Advance(50ms);
  Click(window_.optionsButton());
  EXPECT_EQ(window_.outerRect().height, 212);
  EXPECT_TRUE(window_.Expanded());
  window_.StartCollapseTimer();  // already running: its countdown goes on
  clock_.Advance(50ms);
  EXPECT_EQ(window_.outerRect().height, 56);
  EXPECT_FALSE(window_.Expanded());
  Click(window_.optionsButton());
  EXPECT_EQ(window_.outerRect().height, 212);
}

TEST_F(MainWindowTest, ExpandAndCollapseOnlyEverEndInTheirOwnState) {
  Show();
  window_.ExpandWindow();
  window_.ExpandWindow();
  EXPECT_TRUE(window_.Expanded());
  EXPECT_EQ(window_.outerRect().height, 212);
  window_.CollapseWindow();
  window_.CollapseWindow();
  EXPECT_FALSE(window_.Expanded());
  EXPECT_EQ(window_.outerRect().height, 56);
}

class DropTest : public MainWindowTest {
 protected:
  // What the desktop delivers for files dragged from a file manager, which offers to move them.
  bool Drop(const QList<QUrl>& urls, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF over(60, 30);
    QDragEnterEvent enter(over.toPoint(), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &enter);
    if (!enter.isAccepted()) {
      return false;
    }
    QDropEvent drop(over, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window_, &drop);
    lastAction_ = drop.dropAction();
    return drop.isAccepted();
  }

  QSignalSpy dropped_{&window_, &MainWindow::filesDropped};
  Qt::DropAction lastAction_ = Qt::IgnoreAction;
};

TEST_F(DropTest, FilesDroppedAfterTheFirstShowExpandTheWindowAndArriveWhole) {
  const QString longPath = QStringLiteral("/tmp/") + QString(300, QLatin1Char('x')) + ".hex";
  Show({10, 10, 127, 56});
  ASSERT_TRUE(Drop({QUrl::fromLocalFile(longPath), QUrl(QStringLiteral("https://example.org/")),
                    QUrl::fromLocalFile(QStringLiteral("/tmp/a dir"))}));
  EXPECT_EQ(lastAction_, Qt::CopyAction) << "a move would let the source delete the files";
  EXPECT_TRUE(window_.Expanded());
  EXPECT_EQ(window_.outerRect(), (WindowRect{10, 10, 127, 212}));
  ASSERT_EQ(dropped_.count(), 1);
  EXPECT_EQ(dropped_.at(0).at(0).toStringList(), (QStringList{longPath, "/tmp/a dir"}));

  ASSERT_TRUE(Drop({QUrl::fromLocalFile(QStringLiteral("/tmp/b.hex"))}, Qt::LinkAction));
  EXPECT_EQ(window_.outerRect().height, 212) << "an expanded window keeps its height";
  EXPECT_EQ(dropped_.count(), 2);

  EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/x.hex"))})) << "no local file";
  EXPECT_FALSE(Drop({QUrl::fromLocalFile(QStringLiteral("/tmp/c.hex"))}, Qt::MoveAction));
  EXPECT_EQ(dropped_.count(), 2);
  // The path field would take the drop for itself; it must reach the window.
  EXPECT_FALSE(window_.hexPathEdit()->acceptDrops());
}

TEST_F(DropTest, NothingIsTakenBeforeTheFirstShow) {
  EXPECT_FALSE(Drop({QUrl::fromLocalFile(QStringLiteral("/tmp/a.hex"))}));
  EXPECT_EQ(dropped_.count(), 0);
  EXPECT_FALSE(window_.Expanded());
}

TEST_F(MainWindowTest, DraggingTheBackgroundMovesTheWindowAndDraggingAControlDoesNot) {
  Show({100, 100, 127, 220});
  QWidget* client = window_.clientArea();
  const struct {
    const char* name;
    QWidget* pressed;
    QPoint at;
    bool moves;
  } cases[] = {
      {"background", client, QPoint(60, 100), true},
      {"label", window_.typeLabel(), QPoint(5, 5), false},
      {"list", window_.portBox(), QPoint(5, 5), false},
      {"button", window_.closeButton(), QPoint(5, 5), false},
      {"status picture", window_.statusPicture(), QPoint(20, 20), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window_.setOuterRect({100, 100, 127, 220});
    QTest::mousePress(c.pressed, Qt::LeftButton, {}, c.at);
    QTest::mouseMove(c.pressed, c.at + QPoint(30, 40));
    QTest::mouseRelease(c.pressed, Qt::LeftButton, {}, c.at + QPoint(30, 40));
    window_.portBox()->hidePopup();
    const WindowRect expected =
        c.moves ? WindowRect{130, 140, 127, 220} : WindowRect{100, 100, 127, 220};
    EXPECT_EQ(window_.outerRect(), expected);
  }
}

TEST_F(MainWindowTest, ThinGreyFrameWhiteBackgroundAndTheStatusPictureCutAtTopAndLeft) {
  // A red picture with a blue border two pixels wide.
  QImage frame(50, 50, QImage::Format_RGB32);
  frame.fill(Qt::blue);
  for (int y = 2; y < 48; ++y) {
    for (int x = 2; x < 48; ++x) {
      frame.setPixelColor(x, y, Qt::red);
    }
  }
  window_.statusPicture()->ShowFrame(frame);
  Show();
  const QImage shown = window_.grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(128, 128, 128));
  EXPECT_EQ(shown.pixelColor(126, 219), QColor(128, 128, 128));
  EXPECT_EQ(shown.pixelColor(60, 100), QColor(Qt::white));
  // The picture starts two pixels above and left of the client area, which starts inside the frame.
  EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::red)) << "the top and left border are cut off";
  EXPECT_EQ(shown.pixelColor(1, 47), QColor(Qt::blue)) << "the bottom border remains";
  EXPECT_EQ(shown.pixelColor(47, 1), QColor(Qt::blue)) << "the right border remains";
  EXPECT_EQ(shown.pixelColor(49, 49), QColor(Qt::white));
}

TEST_F(MainWindowTest, ExactlyTheControlsWithAHintHaveATooltip) {
  const std::pair<QWidget*, const char*> table[] = {
      {window_.optionsButton(), "Options"},
      {window_.autoFlashButton(), "Auto flash"},
      {window_.manualFlashButton(), "Manual flash"},
      {window_.logShownButton(), "Log is displayed"},
      {window_.noLogButton(), "No log"},
      {window_.hexPathEdit(), "drop file here"},
      {window_.rescanPortsButton(), "Rescan ports"},
      {window_.addTypeButton(), "Add new type"},
  };
  for (const auto& [control, hint] : table) {
    SCOPED_TRACE(hint);
    EXPECT_TRUE(window_.Hints().HasTip(control));
    EXPECT_EQ(window_.Hints().Hint(control), hint);
  }
  // The status picture's hint is the flash state's text, set by the program.
  EXPECT_TRUE(window_.Hints().HasTip(window_.statusPicture()));
  for (QWidget* control :
       {static_cast<QWidget*>(window_.closeButton()), static_cast<QWidget*>(window_.typeLabel()),
        static_cast<QWidget*>(window_.portLabel()), static_cast<QWidget*>(window_.hexLabel()),
        static_cast<QWidget*>(window_.infoLink()), static_cast<QWidget*>(window_.typeBox()),
        static_cast<QWidget*>(window_.portBox())}) {
    SCOPED_TRACE(control->objectName().toStdString());
    EXPECT_FALSE(window_.Hints().HasTip(control));
    EXPECT_FALSE(window_.SetHint(control, QStringLiteral("x")));
  }
}

TEST_F(MainWindowTest, SetHintOnTheStatusPictureChangesItsShownTip) {
  Show();
  ASSERT_TRUE(window_.SetHint(window_.statusPicture(), QStringLiteral("No changes")));
  PointerEnters(window_.statusPicture(), QPoint(20, 20));
  clock_.Advance(500ms);
  ASSERT_TRUE(window_.Hints().IsShown());
  EXPECT_EQ(window_.Hints().TipWindow().text(), "No changes");

  ASSERT_TRUE(window_.SetHint(window_.statusPicture(), QStringLiteral("Changes detected!")));
  EXPECT_TRUE(window_.Hints().IsShown());
  EXPECT_EQ(window_.Hints().TipWindow().text(), "Changes detected!");
}

TEST_F(MainWindowTest, TheCloseButtonClosesTheWindowAndEndsTheEventLoop) {
  Show();
  QSignalSpy closing(&window_, &MainWindow::closing);
  QTimer::singleShot(0, &window_, [this] { Click(window_.closeButton()); });
  // A real condition with a time-out: the loop must end because the window closed.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  guard.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(closing.count(), 1);
  EXPECT_FALSE(window_.isVisible());
}

}  // namespace
}  // namespace quillbrook
