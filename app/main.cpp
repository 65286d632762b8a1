// main.cpp: the entry point: the information box, or the program's whole run.
#include <QApplication>
#include <QMessageBox>

#include "app/application.h"
#include "app/command_line.h"

int main(int argc, char* argv[]) {
  const bool infoBox = quillbrook::AsksForInfoBox(argc, argv);
  QApplication qtApp(argc, argv);
  if (infoBox) {
    // Nothing else exists on this path: no window, no settings read or written.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillbrook Info"),
                    QStringLiteral("Made with Qt."), QMessageBox::Ok);
    box.exec();
    return 0;
  }
  {
    quillbrook::Application application;
    application.Run();
  }
  return 0;
}
