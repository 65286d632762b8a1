// minimal_window.cpp: the smallest Qt Widgets program that shows a window, the reference for the
// program's start-up time, memory and idle cost.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Minimal window"));
  // The program's window size, so that drawing costs the same.
  window.resize(127, 220);
  window.show();
  return QApplication::exec();
}
