#pragma once

// The few desktop services the program needs: the work area for the close-time
// size check, opening a web page in the user's browser, and starting a program
// (the downloaded installer). Opening and starting go through replaceable
// functions so tests can record the requests instead of acting on them.

#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QScreen;

namespace platform {

// The screen less its panels: of screen, or of the primary screen when screen
// is null. An empty rectangle when there is no screen.
QRect workArea(const QScreen *screen = nullptr);

// Returns true when the request was handed over.
using UrlOpener = std::function<bool(const QUrl &url)>;
using ProcessStarter = std::function<bool(const QString &program, const QStringList &arguments)>;

bool openUrl(const QUrl &url);
bool startProcess(const QString &program, const QStringList &arguments);

// Replace the real actions (QDesktopServices::openUrl, QProcess::startDetached);
// an empty function puts the real one back.
void setUrlOpener(UrlOpener opener);
void setProcessStarter(ProcessStarter starter);

} // namespace platform
