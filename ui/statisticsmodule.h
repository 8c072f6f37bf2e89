#pragma once
// What the statistics module gives the program: the statistics window. The
// module alone links Qt Charts, with Qt OpenGL behind it, which would cost the
// program's start-up a fifth more time; the program opens it when the window is
// first asked for.

#include <QString>

#include <functional>

class QWidget;

// The module's one entry point, exported under statisticsWindowEntry: a new
// statistics window (TStatistics) on the history at historyPath, a child window
// of parent; beforeReading runs before each reading of the history.
using StatisticsWindowFactory = QWidget *(const QString &historyPath, QWidget *parent,
                                          const std::function<void()> &beforeReading);
inline constexpr char statisticsWindowEntry[] = "quenvaleStatisticsWindow";

// The statistics module of the running program: beside it in the build
// tree, in its library folder when installed; empty when neither has it.
QString installedStatisticsModule();

// Opens the module at modulePath and makes the window; null, with the reason in
// error, when the module cannot be opened.
QWidget *openStatisticsWindow(const QString &modulePath, const QString &historyPath, QWidget *parent,
                              const std::function<void()> &beforeReading, QString &error);
