#include "ui/application.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>

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
    installFontSubstitutions();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/quenvale-%1.png").arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    if (!icon.isNull())
        QApplication::setWindowIcon(icon);
}
