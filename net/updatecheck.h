#pragma once
// The update check and the self-update: the addresses on the server, the
// version rule, and the steps that put the running program's file aside,
// download the installer beside it and start it. No widgets here; the main
// window passes in the server base address ("http://host/"), the product
// identifier ("quenvale"), the running version, and how its status line and
// messages are shown.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class THttpClient;

QString versionAddress(const QString &server, const QString &product);
QString installerAddress(const QString &server, const QString &product);

// Offered whenever the server's text is not byte for byte the running version:
// there is no ordering, so an older or garbled text is offered too.
bool updateOffered(const QByteArray &serverVersion, const QString &runningVersion);

// The program's file with its extension replaced by ".BAK" (added when it has none).
QString backupFileName(const QString &programFile);
// The last segment of the installer address, in programFolder (which ends in "/").
QString installerFileName(const QString &address, const QString &programFolder);
// What the installer is started with.
QStringList installerArguments();
// The message when the installer could not be started.
QString updateErrorText(const QString &server, const QString &product);

class SelfUpdate {
public:
    using TextSink = std::function<void(const QString &)>;

    // Replaceable for tests: the running program's file, and the immediate end
    // of the process once the installer runs.
    static std::function<QString()> programFile;
    static std::function<void(int exitCode)> exitProgram;

    // setStatus writes the update panel's status line; showMessage shows one of
    // the program's messages.
    SelfUpdate(TextSink setStatus, TextSink showMessage);

    // Runs right before the installer is started, which ends the program at
    // once: the main window writes the settings and the tally there.
    std::function<void()> beforeInstalling;

    // Moves the running program's file to its backup name (the program goes on
    // running), deleting a backup left by an earlier update first.
    static void backupProgram();

    // Downloads the installer into the program's folder, starts it and ends the
    // program. False when the download or the start failed: the program's file
    // is then back under its own name. (True is seen only when exitProgram has
    // been replaced.)
    bool downloadit(THttpClient &getupdate, const QString &server, const QString &product);

private:
    bool download(THttpClient &getupdate, const QString &address, const QString &file);
    void restoreProgram();

    TextSink setStatus_;
    TextSink showMessage_;
};
