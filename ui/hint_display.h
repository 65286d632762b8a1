// hint_display.h: the tooltips of the window's controls.
#pragma once

#include <chrono>
#include <memory>

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "app/one_shot_timer.h"

class QLabel;
class QWidget;

namespace quillbrook {

// One tip window serves every control that was given a tooltip. The tip appears once the pointer
// has rested on the control for kRestDelay, below the pointer, and goes away after kShowTime, when
// the pointer leaves, when a mouse button is pressed on the control or when the control is hidden;
// after going away on its own or for a press it waits for the pointer to leave and come back.
// Its text is plain (an ampersand is shown as typed), never wrapped, in the hint font, black on
// white with no margins. Qt's own QToolTip fixes its delays, margins and wrapping for the whole
// application, so it cannot give these.
class HintDisplay : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kRestDelay{500};
  static constexpr std::chrono::milliseconds kShowTime{5000};

  explicit HintDisplay(TimerFactory& timers, QObject* parent = nullptr);
  ~HintDisplay() override;

  // Gives the control a tooltip with the text. A tooltip with an empty text shows nothing until
  // SetHint gives it one.
  void AddTip(QWidget* control, const QString& text);
  bool HasTip(const QWidget* control) const;
  // The text of the control's tooltip; empty for a control without one.
  QString Hint(const QWidget* control) const;
  // Replaces the text of the control's tooltip, on screen at once if the tip is shown for it. A
  // control without a tooltip is left alone: returns false.
  bool SetHint(const QWidget* control, const QString& text);

  bool IsShown() const;
  const QWidget* ShownFor() const { return IsShown() ? hovered_.data() : nullptr; }
  const QLabel& TipWindow() const { return *tip_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PointerEntered(QWidget* control, const QPoint& globalPos);
  void PointerMoved(QWidget* control, const QPoint& globalPos);
  void PointerGone(QWidget* control);
  void Retire(QWidget* control);
  void ShowTip();
  void HideTip();

  QHash<const QWidget*, QString> hints_;
  QPointer<QWidget> hovered_;
  // The tip went away on its own or for a click; it waits for the pointer to leave.
  bool retired_ = false;
  QPoint pointer_;
  std::unique_ptr<QLabel> tip_;
  std::unique_ptr<OneShotTimer> restTimer_;
  std::unique_ptr<OneShotTimer> showTimer_;
};

}  // namespace quillbrook
