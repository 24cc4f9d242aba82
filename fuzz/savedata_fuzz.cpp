// Saved data: the bytes as a game entry ("GAMESAVEDATA" + slot) and as the status entry
// ("STATUSSAVEDATA"), each read apart from a game, put in place and written back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "script/gameproject.hpp"
#include "script/offlinegame.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    try {
        TOfflineGame game;
        TMemoryStream in(bytes);
        TLoadedGame loaded(in, game.Parts());
        loaded.Commit(game.Parts());
        TMemoryStream out;
        WriteGameEntry(out, TSaveRequest{1, "t", "", 0}, game.Parts());
    } catch (const ERuvoError&) {
    }
    try {
        TOfflineGame game;
        TMemoryStream in(bytes);
        TLoadedStatus loaded(in, game.StatusParts());
        loaded.Commit(game.StatusParts());
        TMemoryStream out;
        WriteStatusEntry(out, game.StatusParts());
    } catch (const ERuvoError&) {
    }
    return 0;
}
