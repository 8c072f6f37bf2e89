#include "net/updatecheck.h"

#include "net/httpclient.h"
#include "platform/desktop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

QString versionAddress(const QString &server, const QString &product)
{
    return server + product + QLatin1Char('/') + product + QStringLiteral("version.txt");
}

QString installerAddress(const QString &server, const QString &product)
{
    return server + product + QStringLiteral("/qvlsetup.exe");
}

bool updateOffered(const QByteArray &serverVersion, const QString &runningVersion)
{
    return serverVersion != runningVersion.toUtf8();
}

QString backupFileName(const QString &programFile)
{
    const qsizetype slash = programFile.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = programFile.lastIndexOf(QLatin1Char('.'));
    // A dot that starts the name is part of the name, not an extension.
    const bool hasExtension = dot > slash + 1;
    return (hasExtension ? programFile.left(dot) : programFile) + QStringLiteral(".BAK");
}

QString installerFileName(const QString &address, const QString &programFolder)
{
    return programFolder + address.mid(address.lastIndexOf(QLatin1Char('/')) + 1);
}

QStringList installerArguments()
{
    return {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")};
}

QString updateErrorText(const QString &server, const QString &product)
{
    QString site = server;
    if (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return QStringLiteral("There was an error in the update process. Please download")
           + product.toUpper() + QStringLiteral(" manually from ") + site
           + QLatin1Char('.');
}

std::function<QString()> SelfUpdate::programFile = [] { return QCoreApplication::applicationFilePath(); };
// At once: the installer is about to replace this program. The settings and the
// tally were written just before the installer started (beforeInstalling).
std::function<void(int)> SelfUpdate::exitProgram = [](int exitCode) { ::_exit(exitCode); };

SelfUpdate::SelfUpdate(TextSink setStatus, TextSink showMessage)
    : setStatus_(std::move(setStatus)), showMessage_(std::move(showMessage))
{
}

void SelfUpdate::backupProgram()
{
    const QString program = programFile();
    const QString backup = backupFileName(program);
    QFile::remove(backup);
    QFile::rename(program, backup);
}

void SelfUpdate::restoreProgram()
{
    // Only when the program's file really went to the backup name: a file
    // under the program's own name is never replaced.
    const QString program = programFile();
    const QString backup = backupFileName(program);
    if (!QFileInfo::exists(program) && QFileInfo::exists(backup))
        QFile::rename(backup, program);
}

bool SelfUpdate::downloadit(THttpClient &getupdate, const QString &server, const QString &product)
{
    const QString address = installerAddress(server, product);
    const QString folder = QFileInfo(programFile()).absolutePath() + QLatin1Char('/');
    const QString installer = installerFileName(address, folder);
    if (!download(getupdate, address, installer)) {
        restoreProgram();
        return false;
    }

    setStatus_(QStringLiteral("Installing"));
    QFile::setPermissions(installer, QFile::permissions(installer) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    if (beforeInstalling)
        beforeInstalling();
    if (platform::startProcess(installer, installerArguments())) {
        exitProgram(0);
        return true;
    }
    showMessage_(updateErrorText(server, product));
    restoreProgram();
    return false;
}

bool SelfUpdate::download(THttpClient &getupdate, const QString &address, const QString &file)
{
    getupdate.URL = address;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        showMessage_(QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(file)));
        return false;
    }
    getupdate.RcvdStream = &out;
    bool received = false;
    try {
        getupdate.Get();
        out.flush();
        setStatus_(QStringLiteral("Received %1 bytes").arg(out.size()));
        received = true;
    } catch (const EHttpException &) {
        setStatus_(QStringLiteral("Download Aborted"));
    } catch (const std::exception &e) {
        showMessage_(QString::fromUtf8(e.what()));
    }
    getupdate.RcvdStream = nullptr;
    out.close();
    return received;
}
