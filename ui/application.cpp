#include "ui/application.h"

#include "widgets/look.h"
#include "widgets/picture.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QIconEngine>
#include <QProxyStyle>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// An icon whose pictures are read when it is first drawn. The menu bar asks for
// its overflow arrow when it is made but shows it only in a window too narrow
// for the menus; reading the picture at once would also wake the image plugin
// loader, which sniffs every plugin on the system.
class DeferredIcon : public QIconEngine {
public:
    explicit DeferredIcon(QStringList files) : files_(std::move(files)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new DeferredIcon(files_); }

private:
    QIcon &icon()
    {
        if (!loaded_) {
            loaded_ = true;
            for (const QString &file : files_) {
                const QPixmap picture = loadPicture(file, 1.0);
                if (!picture.isNull())
                    icon_.addPixmap(picture);
            }
        }
        return icon_;
    }

    QStringList files_;
    QIcon icon_;
    bool loaded_ = false;
};

// The desktop's style, except that the menu bar's overflow arrow is read as a
// PNG outright, and only when it is shown. The style itself would sniff the
// file's format, which loads every image plugin on the system and costs as much
// as building the main window.
class QuenvaleStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
            const bool horizontal = which == SP_ToolBarHorizontalExtensionButton;
            const QString name = QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-%1.png");
            QStringList files;
            for (const char *size : horizontal ? std::array{"h-16", "h-32"} : std::array{"v-10", "v-20"})
                files << name.arg(QLatin1String(size));
            return QIcon(new DeferredIcon(files));
        }
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

void initApplication()
{
    // The task bar shows the main window's caption, "Quenvale". No display name is
    // set: Qt would append it to every other window's caption.
    QApplication::setApplicationName(QStringLiteral("quenvale"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quenvale"));
    QApplication::setStyle(new QuenvaleStyle);
    look::installFontSubstitutions();
    // Every window's base font is "MS Sans Serif" 8 pt. As the application's font
    // too, the first layout of a line edit (made in the application's font before
    // the edit's own applies) needs no other font at start. Menus, message boxes
    // and tool tips keep the desktop's font.
    for (const char *kind : {"QMenu", "QMessageBox", "QTipLabel"})
        QApplication::setFont(QApplication::font(), kind);
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // Not QIcon::addFile: it sniffs each file's format, with the same cost. Two
    // sizes are enough; the others are scaled from them.
    QIcon icon;
    for (int size : {32, 64}) {
        const QPixmap pixmap = loadPicture(QStringLiteral(":/icons/quenvale-%1.png").arg(size), 1.0);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
}

namespace {
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}
} // namespace

void closeOnTerminationSignals(QWidget *mainWindow)
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    // The handler only writes a byte; the window closes from the event loop.
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [mainWindow] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        mainWindow->close();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}
