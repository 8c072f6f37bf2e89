// A throwaway release key for the self-update tests, made by the maintainer's
// tool (quenvale-updatekey) the way a release is signed.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

class TestReleaseKey {
public:
    // One key for the whole test program: making it takes a process start.
    static const TestReleaseKey &shared()
    {
        static const TestReleaseKey key;
        return key;
    }

    QByteArray publicPem() const { return read(dir_.filePath(QStringLiteral("release.pub"))); }

    // The detached signature of data, as "quenvale-updatekey sign" writes it.
    QByteArray sign(const QByteArray &data) const
    {
        const QString file = dir_.filePath(QStringLiteral("signed"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        out.write(data);
        out.close();
        run({QStringLiteral("sign"), dir_.filePath(QStringLiteral("release.key")), file});
        return read(file + QStringLiteral(".sig"));
    }

    // The tool's exit code for args.
    static int run(const QStringList &args)
    {
        QProcess tool;
        tool.start(QStringLiteral(QV_UPDATEKEY_TOOL), args);
        tool.waitForFinished(30000);
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }

private:
    TestReleaseKey()
    {
        run({QStringLiteral("genkey"), dir_.filePath(QStringLiteral("release.key")),
             dir_.filePath(QStringLiteral("release.pub"))});
    }
    static QByteArray read(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};
