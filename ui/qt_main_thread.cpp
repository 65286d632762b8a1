// qt_main_thread.cpp: hands work from a worker thread to the Qt main thread.
#include "ui/qt_main_thread.h"

#include <QMetaObject>
#include <QObject>

namespace quillbrook {

// Lives on the main thread; each queued call of RunNext becomes one event of its loop. Destroying
// it removes the calls not yet delivered.
class QtMainThread::Receiver : public QObject {
  Q_OBJECT

 public:
  explicit Receiver(QtMainThread& owner) : owner_(owner) {}

 public slots:
  void RunNext() { owner_.RunNext(); }

 private:
  QtMainThread& owner_;
};

QtMainThread::QtMainThread() : receiver_(std::make_unique<Receiver>(*this)) {}

QtMainThread::~QtMainThread() {
  receiver_.reset();
  const std::lock_guard lock(mutex_);
  tasks_.clear();
}

void QtMainThread::Post(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  // Called by name: nothing of ours is allocated for the event, which only says "run the next".
  QMetaObject::invokeMethod(receiver_.get(), "RunNext", Qt::QueuedConnection);
}

void QtMainThread::RunNext() {
  std::function<void()> task;
  {
    const std::lock_guard lock(mutex_);
    if (tasks_.empty()) {
      return;
    }
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  if (task) {
    task();
  }
}

}  // namespace quillbrook

#include "qt_main_thread.moc"
