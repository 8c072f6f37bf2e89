// Finding and opening the statistics module (ui/statisticsmodule.h).
#include "ui/statisticsmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QString installedStatisticsModule()
{
    const QDir program(QCoreApplication::applicationDirPath());
    for (const QString &folder : {QStringLiteral("."), QStringLiteral(QV_SOUND_MODULE_DIR)}) {
        const QString path = program.filePath(folder + QLatin1Char('/') + QStringLiteral(QV_STATISTICS_MODULE_NAME));
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return {};
}

QWidget *openStatisticsWindow(const QString &modulePath, const QString &historyPath, QWidget *parent,
                              const std::function<void()> &beforeReading, QString &error)
{
    if (modulePath.isEmpty()) {
        error = QStringLiteral("the statistics module (%1) is not installed with the program")
                    .arg(QStringLiteral(QV_STATISTICS_MODULE_NAME));
        return nullptr;
    }
    QLibrary module(modulePath);
    auto *factory = reinterpret_cast<StatisticsWindowFactory *>(module.resolve(statisticsWindowEntry));
    if (!factory) {
        error = module.errorString();
        return nullptr;
    }
    return factory(historyPath, parent, beforeReading); // the module stays loaded for the window's life
}
