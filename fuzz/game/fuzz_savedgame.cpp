// Any text as the saved game in progress: it is read or refused with a reason,
// never a crash. A text that is read writes back to the same game, and the
// engine either puts it back exactly or refuses it, leaving the game it had.
#include "game/gameflow.h"
#include "game/savedgame.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void finding(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    qv::SavedGame saved;
    try {
        saved = qv::parseSavedGame(std::string_view(reinterpret_cast<const char *>(data), size));
    } catch (const qv::SavedGameError &) {
        return 0;
    }
    if (qv::parseSavedGame(qv::formatSavedGame(saved)) != saved)
        finding("a saved game read back differs");

    qv::QuietView quiet;
    qv::GameFlow game(quiet, quiet, quiet);
    game.FormCreate();
    try {
        game.resume(saved);
    } catch (const qv::SavedGameError &) {
        if (game.gameactive() || game.rounds() != 0)
            finding("a refused saved game changed the game");
        return 0;
    }
    if (qv::savedGameOf(game) != saved)
        finding("the resumed game is not the saved one");
    return 0;
}
