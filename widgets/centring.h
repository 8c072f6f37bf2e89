#pragma once
// Where a secondary window opens.

class QWidget;

// Centred on the main window: the window's parent when it has one, otherwise
// the application's active window; centred on the screen when neither is shown.
void centreOnMainWindow(QWidget *window);

// Centred on the screen that shows the window's parent (the primary screen when
// it has none).
void centreOnScreen(QWidget *window);
