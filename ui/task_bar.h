// task_bar.h: keeps the window off the desktop's task bar.
#pragma once

class QWidget;

namespace quillbrook {

// Asks the desktop to show no task-bar button for the top-level window. Call it each time the
// window is about to be shown (from its show event, before it is mapped): desktops forget the
// request when a window is hidden. Returns false when the desktop could not be asked; where the
// window's tool type alone keeps it off the task bar there is nothing to ask and the answer is
// true.
bool KeepOffTaskBar(QWidget& window);

}  // namespace quillbrook
