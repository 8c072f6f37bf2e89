#pragma once
// The game in progress, kept in a small file of its own beside the tally
// (quenvalegame.txt) so that a restart, a crash or a killed session loses
// nothing: rewritten after every placement and at every round's start, scoring
// and "continue", removed when the game is over, and put back at the next start.

#include "game/gameview.h"

#include <QString>

#include <functional>
#include <string>

namespace qv {
class GameFlow;
}

class SavedGameFile : public qv::GameListener {
public:
    using Report = std::function<void(const QString &message)>;

    // report shows one of the program's messages.
    SavedGameFile(const QString &path, Report report);

    QString path() const { return path_; }

    // Puts the saved game back into game; false when there is none. A file that
    // cannot be read, is damaged, comes from a newer version or does not match
    // its deal is kept as path + ".bak" and reported in one message, and game
    // stays as it was.
    bool resume(qv::GameFlow &game);

    // Removes the file: the game in it can no longer be played.
    void forget();

    void roundStarted(const qv::GameFlow &game) override { write(game); }
    void cardPlaced(const qv::GameFlow &game, int, int) override { write(game); }
    void roundScored(const qv::GameFlow &game) override { write(game); }
    void verdictGiven(const qv::GameFlow &game, bool cleared) override;
    void becamePractice(const qv::GameFlow &game) override { write(game); }

private:
    void write(const qv::GameFlow &game);
    // A failed write or removal is reported once, until one succeeds again.
    void failed(const std::string &reason);

    QString path_;
    std::string file_; // path_ in the file system's encoding
    Report report_;
    bool failureShown_ = false;
};
