#pragma once
// Application-wide set-up done once before the first window: the task-bar title,
// the window icon and the fonts the windows ask for by name.

// Title "Quenvale", the program's icon and the font substitutions.
void initApplication();

class QWidget;
// When the session ends the program (SIGTERM, SIGINT, SIGHUP), the main window is
// closed as by its close box, so the settings and the tally are still written.
void closeOnTerminationSignals(QWidget *mainWindow);
