// hint_display.cpp: the tooltips of the window's controls.
#include "ui/hint_display.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "ui/control_fonts.h"

namespace quillbrook {

namespace {

// Below the pointer's hot spot by the height of a usual arrow pointer, as the desktop's tips sit.
constexpr QPoint kOffsetFromPointer{0, 20};

std::unique_ptr<QLabel> MakeTipWindow() {
  auto tip = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
  tip->setTextFormat(Qt::PlainText);
  tip->setWordWrap(false);
  tip->setFont(HintFont());
  tip->setFrameStyle(QFrame::Box | QFrame::Plain);
  tip->setLineWidth(1);
  // The text touches the border: no margin and no indent inside it.
  tip->setMargin(0);
  tip->setIndent(0);
  QPalette colours = tip->palette();
  colours.setColor(QPalette::Window, Qt::white);
  colours.setColor(QPalette::WindowText, Qt::black);
  tip->setPalette(colours);
  tip->setAutoFillBackground(true);
  tip->setAttribute(Qt::WA_ShowWithoutActivating);
  tip->setAttribute(Qt::WA_TransparentForMouseEvents);
  return tip;
}

}  // namespace

HintDisplay::HintDisplay(TimerFactory& timers, QObject* parent)
    : QObject(parent),
      tip_(MakeTipWindow()),
      restTimer_(timers.CreateTimer(kRestDelay, [this] { ShowTip(); })),
      showTimer_(timers.CreateTimer(kShowTime, [this] {
        if (hovered_) {
          Retire(hovered_);
        }
      })) {}

HintDisplay::~HintDisplay() = default;

void HintDisplay::AddTip(QWidget* control, const QString& text) {
  if (control == nullptr || hints_.contains(control)) {
    return;
  }
  hints_.insert(control, text);
  // The pointer must be seen resting, which needs its moves without a button held.
  control->setMouseTracking(true);
  control->installEventFilter(this);
  connect(control, &QObject::destroyed, this, [this, control] {
    hints_.remove(control);
    if (hovered_ == nullptr || hovered_ == control) {
      restTimer_->Stop();
      showTimer_->Stop();
      HideTip();
    }
  });
}

bool HintDisplay::HasTip(const QWidget* control) const {
  return hints_.contains(control);
}

QString HintDisplay::Hint(const QWidget* control) const {
  return hints_.value(control);
}

bool HintDisplay::SetHint(const QWidget* control, const QString& text) {
  const auto found = hints_.find(control);
  if (found == hints_.end()) {
    return false;
  }
  *found = text;
  if (IsShown() && hovered_ == control) {
    if (text.isEmpty()) {
      HideTip();
    } else {
      tip_->setText(text);
      tip_->adjustSize();
    }
  }
  return true;
}

bool HintDisplay::IsShown() const {
  return tip_->isVisible();
}

bool HintDisplay::eventFilter(QObject* watched, QEvent* event) {
  auto* control = qobject_cast<QWidget*>(watched);
  if (control != nullptr && hints_.contains(control)) {
    switch (event->type()) {
      case QEvent::Enter:
        PointerEntered(control, static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
        break;
      case QEvent::MouseMove:
        PointerMoved(control, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        Retire(control);
        break;
      case QEvent::Leave:
      case QEvent::Hide:
        PointerGone(control);
        break;
      default:
        break;
    }
  }
  // The tip only looks on; the control gets every event.
  return QObject::eventFilter(watched, event);
}

void HintDisplay::PointerEntered(QWidget* control, const QPoint& globalPos) {
  if (hovered_ != control) {
    HideTip();
    showTimer_->Stop();
    hovered_ = control;
    retired_ = false;
  }
  pointer_ = globalPos;
  restTimer_->Stop();
  if (!retired_ && !IsShown()) {
    restTimer_->Start();
  }
}

void HintDisplay::PointerMoved(QWidget* control, const QPoint& globalPos) {
  if (hovered_ != control) {
    // A move without an enter before it: the pointer was already there when the tip was added.
    PointerEntered(control, globalPos);
    return;
  }
  pointer_ = globalPos;
  // The pointer has not rested yet: the countdown starts over.
  if (!retired_ && !IsShown()) {
    restTimer_->Stop();
    restTimer_->Start();
  }
}

void HintDisplay::PointerGone(QWidget* control) {
  if (hovered_ != control) {
    return;
  }
  restTimer_->Stop();
  showTimer_->Stop();
  HideTip();
  hovered_ = nullptr;
  retired_ = false;
}

void HintDisplay::Retire(QWidget* control) {
  if (hovered_ != control) {
    return;
  }
  restTimer_->Stop();
  showTimer_->Stop();
  HideTip();
  retired_ = true;
}

void HintDisplay::ShowTip() {
  if (!hovered_ || !hovered_->isVisible()) {
    return;
  }
  const QString text = hints_.value(hovered_);
  if (text.isEmpty()) {
    return;
  }
  tip_->setText(text);
  tip_->adjustSize();
  QPoint place = pointer_ + kOffsetFromPointer;
  if (const QScreen* screen = QGuiApplication::screenAt(pointer_)) {
    // Kept on the screen the pointer is on.
    const QRect area = screen->availableGeometry();
    place.setX(qBound(area.left(), place.x(), qMax(area.left(), area.right() - tip_->width() + 1)));
    if (place.y() + tip_->height() > area.bottom() + 1) {
      place.setY(pointer_.y() - tip_->height() - 1);
    }
  }
  tip_->move(place);
  tip_->show();
  tip_->raise();
  showTimer_->Start();
}

void HintDisplay::HideTip() {
  tip_->hide();
}

}  // namespace quillbrook
