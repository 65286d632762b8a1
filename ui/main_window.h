// main_window.h: the program's only window, a small caption-less panel that stays on top.
#pragma once

#include <chrono>
#include <memory>

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include "app/one_shot_timer.h"
#include "settings/window_position.h"

class QLabel;

namespace quillbrook {

class DropDownList;
class HexPathEdit;
class HintDisplay;
class ImageButton;
class InfoLink;
class StatusPicture;

// Created hidden at its design size, centred on the primary screen, opaque and not on top. It has
// two heights: collapsed it shows only the status picture and the buttons of its top row, expanded
// all controls; every change of height keeps its left and top edges and its width. The user moves
// it by dragging its background and cannot resize it. Files dropped on it are taken only once it
// has been shown.
//
// The controls lie in a client area inside a one-pixel frame, at fixed places in client
// coordinates. Their behaviour beyond what a widget does belongs to the program: it connects to
// their signals, fills the lists and sets the texts.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDesignWidth = 127;
  static constexpr int kDesignHeight = 220;
  static constexpr int kCollapsedHeight = 56;
  static constexpr int kExpandedHeight = 212;
  static constexpr int kFrameWidth = 1;
  // Opacity after ApplyOverlay, out of 255.
  static constexpr int kOverlayAlpha = 180;
  static constexpr std::chrono::milliseconds kCollapseDelay{100};

  // The window's timers (the collapse and the hints') come from `timers`, which must outlive it.
  explicit MainWindow(TimerFactory& timers);
  // The same on Qt's own timers.
  MainWindow();
  ~MainWindow() override;

  // Outer geometry, frame included, in screen pixels.
  WindowRect outerRect() const;
  // Also the only way besides the height changes below to change the size.
  void setOuterRect(const WindowRect& rect);

  // Set once the window has been shown for the first time; until then its position is not worth
  // saving. From then on it takes dropped files.
  bool shownOnce() const { return shownOnce_; }
  void markShownOnce();

  bool Expanded() const { return expanded_; }
  // Inverts Expanded, then takes the expanded or the collapsed height. The options button's action.
  void ToggleExpanded();
  // Expands unless already expanded.
  void ExpandWindow();
  // Ends collapsed and kCollapsedHeight high, also when it already was.
  void CollapseWindow();

  // Starts the one-shot countdown after which the window collapses; a running countdown goes on.
  void StartCollapseTimer();
  bool CollapseTimerRunning() const;

  // Puts the window on top of others and makes it see-through to kOverlayAlpha of 255.
  void ApplyOverlay();

  // Replaces the hint of a control that has a tooltip, on screen at once if it is shown. False,
  // and nothing changes, for a control without a tooltip.
  bool SetHint(const QWidget* control, const QString& text);
  const HintDisplay& Hints() const { return *hints_; }

  // The controls, in the order of their creation.
  StatusPicture* statusPicture() const { return statusPicture_; }
  ImageButton* closeButton() const { return closeButton_; }
  ImageButton* optionsButton() const { return optionsButton_; }
  ImageButton* autoFlashButton() const { return autoFlashButton_; }
  QLabel* portLabel() const { return portLabel_; }
  QLabel* hexLabel() const { return hexLabel_; }
  QLabel* typeLabel() const { return typeLabel_; }
  DropDownList* portBox() const { return portBox_; }
  HexPathEdit* hexPathEdit() const { return hexPathEdit_; }
  DropDownList* typeBox() const { return typeBox_; }
  ImageButton* manualFlashButton() const { return manualFlashButton_; }
  ImageButton* logShownButton() const { return logShownButton_; }
  ImageButton* noLogButton() const { return noLogButton_; }
  InfoLink* infoLink() const { return infoLink_; }
  ImageButton* rescanPortsButton() const { return rescanPortsButton_; }
  ImageButton* addTypeButton() const { return addTypeButton_; }

  // The area the controls are placed in, inside the frame.
  QWidget* clientArea() const { return client_; }

 signals:
  // A close request, from the close button or from the system, before the window closes.
  void closing();
  // Files dropped on the window, full local paths in the order the source lists them. The window
  // has already expanded.
  void filesDropped(const QStringList& paths);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  MainWindow(std::unique_ptr<TimerFactory> ownTimers, TimerFactory* timers);
  void SetWindowFlagsKeepingRole(Qt::WindowFlags flags);
  void SetOuterHeight(int height);
  void PlaceClientArea();
  void CreateControls();

  std::unique_ptr<TimerFactory> ownTimers_;
  TimerFactory& timers_;
  std::unique_ptr<OneShotTimer> collapseTimer_;
  std::unique_ptr<HintDisplay> hints_;
  bool shownOnce_ = false;
  bool expanded_ = false;
  // Set while the window follows the pointer itself because the desktop cannot move it.
  bool followingPointer_ = false;
  QPoint grabOffset_;

  QWidget* client_ = nullptr;
  StatusPicture* statusPicture_ = nullptr;
  ImageButton* closeButton_ = nullptr;
  ImageButton* optionsButton_ = nullptr;
  ImageButton* autoFlashButton_ = nullptr;
  QLabel* portLabel_ = nullptr;
  QLabel* hexLabel_ = nullptr;
  QLabel* typeLabel_ = nullptr;
  DropDownList* portBox_ = nullptr;
  HexPathEdit* hexPathEdit_ = nullptr;
  DropDownList* typeBox_ = nullptr;
  ImageButton* manualFlashButton_ = nullptr;
  ImageButton* logShownButton_ = nullptr;
  ImageButton* noLogButton_ = nullptr;
  InfoLink* infoLink_ = nullptr;
  ImageButton* rescanPortsButton_ = nullptr;
  ImageButton* addTypeButton_ = nullptr;
};

}  // namespace quillbrook
