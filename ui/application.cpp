#include "ui/application.h"

#include "ui/picturebutton.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QProxyStyle>

#include <array>

namespace {

// The desktop's style, except that the menu bar's overflow arrow is read as a
// PNG outright. The style itself would sniff the file's format, which loads every
// image plugin on the system and costs as much as building the main window.
class QuenvaleStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton) {
            const bool horizontal = which == SP_ToolBarHorizontalExtensionButton;
            const QString name = QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-%1.png");
            QIcon icon;
            for (const char *size : horizontal ? std::array{"h-16", "h-32"} : std::array{"v-10", "v-20"}) {
                const QPixmap arrow = loadPicture(name.arg(QLatin1String(size)), 1.0);
                if (!arrow.isNull())
                    icon.addPixmap(arrow);
            }
            if (!icon.isNull())
                return icon;
        }
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

void initApplication()
{
    QApplication::setApplicationName(QStringLiteral("quenvale"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quenvale"));
    QApplication::setStyle(new QuenvaleStyle);
    installFontSubstitutions();
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
