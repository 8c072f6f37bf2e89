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
// The installer's detached signature, beside it on the server.
QString signatureAddress(const QString &server, const QString &product);

// A version text: digits and dots (as "1.0.2"), at most 16 characters.
bool isVersionText(const QByteArray &text);

// The version a reply to the version check offers, or empty when it offers
// none: only a 200 reply whose text, with the spaces and line breaks around it
// trimmed, is a version text other than the running version. An error page, a
// redirect or any other text offers nothing.
QString offeredVersion(int status, const QByteArray &reply, const QString &runningVersion);
// The same rule for a text known to come with status 200.
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

    // Replaceable for tests: the running program's file, the immediate end of
    // the process once the installer runs, and the public key (PEM) that
    // installers must be signed with (the one built into the program).
    static std::function<QString()> programFile;
    static std::function<void(int exitCode)> exitProgram;
    static std::function<QByteArray()> releaseKey;

    // setStatus writes the update panel's status line; showMessage shows one of
    // the program's messages.
    SelfUpdate(TextSink setStatus, TextSink showMessage);

    // Runs right before the installer is started, which ends the program at
    // once: the main window writes the settings and the tally there.
    std::function<void()> beforeInstalling;

    // Moves the running program's file to its backup name (the program goes on
    // running), deleting a backup left by an earlier update first.
    static void backupProgram();

    // Downloads the installer into a partial file beside the program and its
    // signature, checks the signature against releaseKey, and only then moves
    // the program's file to its backup name, puts the installer in place,
    // starts it and ends the program. False when any step failed: nothing was
    // started, the partial file is gone and the program's file is under its own
    // name. (True is seen only when exitProgram has been replaced.)
    bool downloadit(THttpClient &getupdate, const QString &server, const QString &product);

private:
    bool download(THttpClient &getupdate, const QString &address, const QString &file);
    bool signatureMatches(THttpClient &getupdate, const QString &address, const QString &file);
    void restoreProgram();

    TextSink setStatus_;
    TextSink showMessage_;
};

// The partial file an installer is downloaded into, beside its final name.
QString partialFileName(const QString &installerFile);
