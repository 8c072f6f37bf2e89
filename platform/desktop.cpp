#include "platform/desktop.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

namespace platform {

namespace {

UrlOpener &urlOpener()
{
    static UrlOpener opener;
    return opener;
}

ProcessStarter &processStarter()
{
    static ProcessStarter starter;
    return starter;
}

} // namespace

QRect workArea(const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

bool openUrl(const QUrl &url)
{
    if (urlOpener())
        return urlOpener()(url);
    return QDesktopServices::openUrl(url);
}

bool startProcess(const QString &program, const QStringList &arguments)
{
    if (processStarter())
        return processStarter()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

void setUrlOpener(UrlOpener opener) { urlOpener() = std::move(opener); }

void setProcessStarter(ProcessStarter starter) { processStarter() = std::move(starter); }

} // namespace platform
