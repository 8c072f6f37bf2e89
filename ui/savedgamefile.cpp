#include "ui/savedgamefile.h"

#include "game/gameflow.h"
#include "game/savedgame.h"
#include "platform/files.h"
#include "tally/tallyfile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

SavedGameFile::SavedGameFile(const QString &path, Report report)
    : path_(path), file_(QFile::encodeName(path).toStdString()), report_(std::move(report))
{
}

bool SavedGameFile::resume(qv::GameFlow &game)
{
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec))
        return false;
    try {
        game.resume(qv::parseSavedGame(platform::readSmallFile(file_, qv::SavedGame::maxTextSize)));
        return true;
    } catch (const std::exception &e) {
        QString message = QStringLiteral("The game in progress could not be resumed: %1.")
                              .arg(QString::fromLocal8Bit(e.what()));
        try {
            keepAsBackup(file_);
            message += QStringLiteral("\nThe file is kept as %1.bak; a new game starts as usual.").arg(path_);
        } catch (const std::exception &) {
            // Left where it is; the next game's first card replaces it.
        }
        report_(message);
        return false;
    }
}

void SavedGameFile::verdictGiven(const qv::GameFlow &game, bool cleared)
{
    if (cleared) {
        write(game);
        return;
    }
    // Game over: nothing is left to resume.
    forget();
}

void SavedGameFile::forget()
{
    if (std::remove(file_.c_str()) != 0 && errno != ENOENT)
        failed(std::string(std::strerror(errno)) + " : " + file_);
    else
        failureShown_ = false;
}

void SavedGameFile::write(const qv::GameFlow &game)
{
    try {
        platform::replaceFile(file_, qv::formatSavedGame(qv::savedGameOf(game)));
        failureShown_ = false;
    } catch (const std::exception &e) {
        failed(e.what());
    }
}

void SavedGameFile::failed(const std::string &reason)
{
    if (!failureShown_)
        report_(QStringLiteral("The game in progress could not be saved (%1). Quenvale tries again at the next "
                               "card.")
                    .arg(QString::fromLocal8Bit(reason.c_str())));
    failureShown_ = true;
}
