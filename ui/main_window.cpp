// main_window.cpp: the program's only window, a small caption-less panel that stays on top.
#include "ui/main_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>
#include <QWindow>

#include "ui/control_fonts.h"
#include "ui/drop_down_list.h"
#include "ui/hex_path_edit.h"
#include "ui/hint_display.h"
#include "ui/image_button.h"
#include "ui/info_link.h"
#include "ui/qt_timer_factory.h"
#include "ui/status_picture.h"
#include "ui/task_bar.h"

namespace quillbrook {

namespace {

const QColor kBackground(255, 255, 255);
const QColor kFrameColour(128, 128, 128);

// Caption-less, and a tool window so that the desktop gives it no task-bar button. Staying on top
// comes later, with the overlay.
constexpr Qt::WindowFlags kBaseFlags = Qt::Tool | Qt::FramelessWindowHint;

ImageButton* MakeButton(int normal, QWidget* parent) {
  const auto picture = [](int number) {
    return ImageButton::LoadPicture(QStringLiteral(":/bitmaps/BITMAP%1.png").arg(number));
  };
  return new ImageButton(picture(normal), picture(normal + 1), picture(normal + 2), parent);
}

QLabel* MakeLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setWordWrap(false);
  QFont bold;
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {48, 32, 24, 16}) {
    const QString path = QStringLiteral(":/icons/icon_%1.png").arg(size);
    if (QFile::exists(path)) {
      icon.addFile(path, QSize(size, size));
    }
  }
  return icon;
}

// Local paths of the dropped items, whole: a cut path would name another file.
QStringList DroppedPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr) {
    return paths;
  }
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) {
      paths.append(url.toLocalFile());
    }
  }
  return paths;
}

// The window only reads the paths: the source must never take the drop for a move and delete its
// files.
bool ChooseDropAction(QDropEvent* event) {
  for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
    if (event->possibleActions() & action) {
      event->setDropAction(action);
      return true;
    }
  }
  return false;
}

}  // namespace

MainWindow::MainWindow(TimerFactory& timers) : MainWindow(nullptr, &timers) {}

MainWindow::MainWindow() : MainWindow(std::make_unique<QtTimerFactory>(), nullptr) {}

MainWindow::MainWindow(std::unique_ptr<TimerFactory> ownTimers, TimerFactory* timers)
    : QWidget(nullptr, kBaseFlags),
      ownTimers_(std::move(ownTimers)),
      timers_(timers != nullptr ? *timers : *ownTimers_),
      collapseTimer_(timers_.CreateTimer(kCollapseDelay, [this] { CollapseWindow(); })),
      hints_(std::make_unique<HintDisplay>(timers_)) {
  SetWindowFlagsKeepingRole(kBaseFlags);
  setWindowTitle(QStringLiteral("Quillbrook"));
  setWindowIcon(ProgramIcon());

  QPalette colours = palette();
  colours.setColor(QPalette::Window, kBackground);
  colours.setColor(QPalette::WindowText, Qt::black);
  setPalette(colours);
  setAutoFillBackground(false);
  setFont(ControlFont());

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  CreateControls();

  setOuterRect({0, 0, kDesignWidth, kDesignHeight});
  // Centred for the design size; the saved position, if any, replaces this at the first show.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kDesignWidth) / 2,
         area.y() + (area.height() - kDesignHeight) / 2);
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateControls() {
  // Created in this order, which is also the order in which they overlap: later ones lie on top.
  statusPicture_ = new StatusPicture(client_);
  statusPicture_->setObjectName(QStringLiteral("StatusPicture"));
  statusPicture_->setGeometry(-2, -2, 50, 50);
  // Its hint is the flash state's text, which the program sets once it shows a state.
  hints_->AddTip(statusPicture_, QString());

  closeButton_ = MakeButton(0, client_);
  closeButton_->setObjectName(QStringLiteral("CloseButton"));
  closeButton_->setGeometry(106, 0, 20, 20);
  connect(closeButton_, &ImageButton::clicked, this, &QWidget::close);

  optionsButton_ = MakeButton(3, client_);
  optionsButton_->setObjectName(QStringLiteral("OptionsButton"));
  optionsButton_->setGeometry(65, 28, 20, 20);
  hints_->AddTip(optionsButton_, QStringLiteral("Options"));
  connect(optionsButton_, &ImageButton::clicked, this, &MainWindow::ToggleExpanded);

  autoFlashButton_ = MakeButton(7, client_);
  autoFlashButton_->setObjectName(QStringLiteral("AutoFlashButton"));
  autoFlashButton_->setGeometry(85, 28, 20, 20);
  hints_->AddTip(autoFlashButton_, QStringLiteral("Auto flash"));

  portLabel_ = MakeLabel(QStringLiteral("Port"), client_);
  portLabel_->setObjectName(QStringLiteral("PortLabel"));
  portLabel_->setGeometry(3, 105, 35, 15);

  hexLabel_ = MakeLabel(QStringLiteral("HEX"), client_);
  hexLabel_->setObjectName(QStringLiteral("HexLabel"));
  hexLabel_->setGeometry(3, 150, 32, 15);

  typeLabel_ = MakeLabel(QStringLiteral("Type"), client_);
  typeLabel_->setObjectName(QStringLiteral("TypeLabel"));
  typeLabel_->setGeometry(3, 60, 35, 15);

  portBox_ = new DropDownList(client_);
  portBox_->setObjectName(QStringLiteral("PortBox"));
  portBox_->setGeometry(3, 120, 100, 21);

  hexPathEdit_ = new HexPathEdit(QStringLiteral("drop file here"), client_);
  hexPathEdit_->setObjectName(QStringLiteral("HexPathEdit"));
  hexPathEdit_->setGeometry(3, 165, 120, 20);
  hints_->AddTip(hexPathEdit_, QStringLiteral("drop file here"));

  typeBox_ = new DropDownList(client_);
  typeBox_->setObjectName(QStringLiteral("TypeBox"));
  typeBox_->setGeometry(3, 75, 100, 21);

  manualFlashButton_ = MakeButton(10, client_);
  manualFlashButton_->setObjectName(QStringLiteral("ManualFlashButton"));
  manualFlashButton_->setGeometry(85, 28, 20, 20);
  manualFlashButton_->hide();
  hints_->AddTip(manualFlashButton_, QStringLiteral("Manual flash"));

  logShownButton_ = MakeButton(13, client_);
  logShownButton_->setObjectName(QStringLiteral("LogShownButton"));
  logShownButton_->setGeometry(105, 28, 20, 20);
  hints_->AddTip(logShownButton_, QStringLiteral("Log is displayed"));

  noLogButton_ = MakeButton(16, client_);
  noLogButton_->setObjectName(QStringLiteral("NoLogButton"));
  noLogButton_->setGeometry(105, 28, 20, 20);
  noLogButton_->hide();
  hints_->AddTip(noLogButton_, QStringLiteral("No log"));

  infoLink_ = new InfoLink(InfoLink::DocumentationAddress(), client_);
  infoLink_->setObjectName(QStringLiteral("InfoLink"));
  infoLink_->move(25, 190);
  infoLink_->adjustSize();

  rescanPortsButton_ = MakeButton(19, client_);
  rescanPortsButton_->setObjectName(QStringLiteral("RescanPortsButton"));
  rescanPortsButton_->setGeometry(106, 120, 20, 20);
  hints_->AddTip(rescanPortsButton_, QStringLiteral("Rescan ports"));

  addTypeButton_ = MakeButton(23, client_);
  addTypeButton_->setObjectName(QStringLiteral("AddTypeButton"));
  addTypeButton_->setGeometry(105, 75, 20, 20);
  hints_->AddTip(addTypeButton_, QStringLiteral("Add new type"));

  // The lists take the system's window colour, as an edit field does, instead of a button's.
  for (DropDownList* list : {portBox_, typeBox_}) {
    QPalette colours = list->palette();
    colours.setColor(QPalette::Button, colours.color(QPalette::Base));
    list->setPalette(colours);
  }
}

WindowRect MainWindow::outerRect() const {
  const QRect frame = frameGeometry();
  return {frame.x(), frame.y(), frame.width(), frame.height()};
}

void MainWindow::setOuterRect(const WindowRect& rect) {
  // A desktop that draws a frame of its own after all makes the outer size larger than ours.
  const int extraWidth = frameGeometry().width() - width();
  const int extraHeight = frameGeometry().height() - height();
  move(rect.left, rect.top);
  // Fixed, so that the desktop offers the user no way to resize it.
  setFixedSize(qMax(0, rect.width - extraWidth), qMax(0, rect.height - extraHeight));
  // A hidden window hears of its new size only when shown; the controls must be in place before.
  PlaceClientArea();
}

void MainWindow::PlaceClientArea() {
  client_->setGeometry(rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth));
}

void MainWindow::markShownOnce() {
  shownOnce_ = true;
  setAcceptDrops(true);
}

void MainWindow::SetOuterHeight(int height) {
  WindowRect rect = outerRect();
  rect.height = height;
  setOuterRect(rect);
}

void MainWindow::ToggleExpanded() {
  expanded_ = !expanded_;
  SetOuterHeight(expanded_ ? kExpandedHeight : kCollapsedHeight);
}

void MainWindow::ExpandWindow() {
  if (!expanded_) {
    ToggleExpanded();
  }
}

void MainWindow::CollapseWindow() {
  if (expanded_) {
    ToggleExpanded();
  }
  // The window may have been shown with a saved height of any size.
  SetOuterHeight(kCollapsedHeight);
}

void MainWindow::StartCollapseTimer() {
  collapseTimer_->Start();
}

bool MainWindow::CollapseTimerRunning() const {
  return collapseTimer_->IsRunning();
}

void MainWindow::ApplyOverlay() {
  SetWindowFlagsKeepingRole(windowFlags() | Qt::WindowStaysOnTopHint);
  setWindowOpacity(kOverlayAlpha / 255.0);
}

void MainWindow::SetWindowFlagsKeepingRole(Qt::WindowFlags flags) {
  // Changing the flags of a shown window hides it.
  const bool wasShown = isVisible();
  setWindowFlags(flags);
  // Qt takes tool windows for helpers whose closing does not end the program; this one is the
  // program's only window, and closing it must end the event loop.
  setAttribute(Qt::WA_QuitOnClose, true);
  // Only macOS hides tool windows while the program is not active; this one must stay.
  setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
  if (wasShown) {
    show();
  }
}

bool MainWindow::SetHint(const QWidget* control, const QString& text) {
  return hints_->SetHint(control, text);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  emit closing();
  event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    // Sent before the window is mapped, which is when the desktop reads the request. A desktop that
    // cannot be asked still has the tool type to go by; there is nothing else to do.
    static_cast<void>(KeepOffTaskBar(*this));
  }
  QWidget::showEvent(event);
}

void MainWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  // Without a title bar the desktop draws no border either; the thin frame is drawn here.
  painter.setPen(QPen(kFrameColour, kFrameWidth));
  painter.drawRect(rect().adjusted(0, 0, -kFrameWidth, -kFrameWidth));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  PlaceClientArea();
  QWidget::resizeEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // Only the background moves the window: a press that a control let pass (a label's, a
  // right-click on a button) stays where it was.
  const QWidget* hit = childAt(event->position().toPoint());
  if (hit != nullptr && hit != client_) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) {
    return;
  }
  // No window manager to move it (a bare X server): the window follows the pointer itself.
  followingPointer_ = true;
  grabOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (followingPointer_) {
    move(event->globalPosition().toPoint() - grabOffset_);
    event->accept();
    return;
  }
  QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (followingPointer_ && event->buttons() == Qt::NoButton) {
    followingPointer_ = false;
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (shownOnce_ && !DroppedPaths(event->mimeData()).isEmpty() && ChooseDropAction(event)) {
    event->accept();
    return;
  }
  event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (shownOnce_ && ChooseDropAction(event)) {
    event->accept();
    return;
  }
  event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList paths = DroppedPaths(event->mimeData());
  if (!shownOnce_ || paths.isEmpty() || !ChooseDropAction(event)) {
    event->ignore();
    return;
  }
  event->accept();
  ExpandWindow();
  emit filesDropped(paths);
}

}  // namespace quillbrook
