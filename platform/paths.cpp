#include "platform/paths.h"

#include "platform/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace platform {

namespace {

QString &programDirOverride()
{
    static QString dir;
    return dir;
}

QString withSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// $variable when it holds an absolute path (relative ones are to be ignored),
// else the fallback below the home folder.
QString xdgDir(const char *variable, const char *homeFallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(homeFallback);
}

QString locate(const QString &fileName, const char *variable, const char *homeFallback)
{
    const QString beside = programDir();
    if (isWritable(QFile::encodeName(beside).toStdString()))
        return beside + fileName;
    const QString dir = withSlash(xdgDir(variable, homeFallback)) + QStringLiteral("quenvale/");
    QDir().mkpath(dir);  // a failure shows up when the file is written
    return dir + fileName;
}

} // namespace

QString programDir()
{
    if (!programDirOverride().isEmpty())
        return withSlash(programDirOverride());
    return withSlash(QCoreApplication::applicationDirPath());
}

void setProgramDirOverride(const QString &dir) { programDirOverride() = dir; }

QString settingsFilePath(const QString &fileName)
{
    return locate(fileName, "XDG_CONFIG_HOME", ".config");
}

QString dataFilePath(const QString &fileName)
{
    return locate(fileName, "XDG_DATA_HOME", ".local/share");
}

} // namespace platform
