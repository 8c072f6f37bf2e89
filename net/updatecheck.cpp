#include "net/updatecheck.h"

#include "net/httpclient.h"
#include "net/updatesignature.h"
#include "platform/desktop.h"

#include <QBuffer>
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

QString signatureAddress(const QString &server, const QString &product)
{
    return installerAddress(server, product) + QStringLiteral(".sig");
}

bool isVersionText(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 16)
        return false;
    bool digitBefore = false; // no leading, trailing or doubled dot
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

QString offeredVersion(int status, const QByteArray &reply, const QString &runningVersion)
{
    const QByteArray version = reply.trimmed();
    if (status != 200 || !isVersionText(version) || version == runningVersion.toUtf8())
        return {};
    return QString::fromLatin1(version);
}

bool updateOffered(const QByteArray &serverVersion, const QString &runningVersion)
{
    return !offeredVersion(200, serverVersion, runningVersion).isEmpty();
}

QString partialFileName(const QString &installerFile)
{
    return installerFile + QStringLiteral(".part");
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
std::function<QByteArray()> SelfUpdate::releaseKey = [] { return builtInReleaseKey(); };

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
    const QString partial = partialFileName(installer);
    // Nothing is moved or run before the installer is whole and signed by the maker.
    if (!download(getupdate, address, partial)) {
        QFile::remove(partial);
        return false;
    }
    if (!signatureMatches(getupdate, signatureAddress(server, product), partial)) {
        QFile::remove(partial);
        setStatus_(QStringLiteral("Installer Not Verified"));
        showMessage_(updateErrorText(server, product));
        return false;
    }

    backupProgram();
    QFile::remove(installer);
    if (!QFile::rename(partial, installer)) {
        QFile::remove(partial);
        restoreProgram();
        showMessage_(updateErrorText(server, product));
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
    QFile::remove(installer);
    restoreProgram();
    return false;
}

bool SelfUpdate::signatureMatches(THttpClient &getupdate, const QString &address, const QString &file)
{
    QBuffer signature;
    signature.open(QIODevice::WriteOnly);
    const std::int64_t maxSize = getupdate.MaxSize;
    getupdate.URL = address;
    getupdate.RcvdStream = &signature;
    getupdate.MaxSize = 4096; // a signature is 64 bytes
    bool received = true;
    try {
        getupdate.Get();
    } catch (const EHttpException &) {
        received = false; // no signature beside the installer
    }
    getupdate.RcvdStream = nullptr;
    getupdate.MaxSize = maxSize;
    if (!received)
        return false;

    QFile installer(file);
    if (!installer.open(QIODevice::ReadOnly))
        return false;
    // Mapped rather than read: the installer may be large.
    const qint64 size = installer.size();
    const uchar *bytes = size > 0 ? installer.map(0, size) : nullptr;
    if (size > 0 && !bytes)
        return false;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), size);
    return verifyUpdateSignature(data, signature.data(), releaseKey());
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
