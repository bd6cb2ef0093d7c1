#include "platform/media_player.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace ovik::platform {

bool RecordingMediaPlayers::Player::Open(const std::filesystem::path& f, MediaError& error) {
    owner_.log.push_back("open " + f.filename().string());
    if (owner_.failNextOpen.code != 0) {
        error = owner_.failNextOpen;
        owner_.failNextOpen = {};
        return false;
    }
    file = f;
    std::ifstream in(f, std::ios::binary);
    openedBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void RecordingMediaPlayers::Player::Close() {
    owner_.log.push_back("close");
    playing_ = false;
}

void RecordingMediaPlayers::Player::Play() {
    owner_.log.push_back("play");
    playing_ = true;
}

void RecordingMediaPlayers::Player::Pause() {
    owner_.log.push_back("pause");
    playing_ = false;
}

void RecordingMediaPlayers::Player::Step(int direction) {
    owner_.log.push_back(direction > 0 ? "step +1" : "step -1");
}

void RecordingMediaPlayers::Player::Stop() {
    owner_.log.push_back("stop");
    playing_ = false;
}

void RecordingMediaPlayers::Player::Rewind() { owner_.log.push_back("rewind"); }

void RecordingMediaPlayers::Player::SetShown(bool shown) { owner_.log.push_back(shown ? "shown" : "hidden"); }

void RecordingMediaPlayers::Player::FinishPlay() {
    playing_ = false;
    if (onEnd) onEnd();
}

void RecordingMediaPlayers::Player::FailPlay(const MediaError& error) {
    playing_ = false;
    if (onError) onError(error);
}

namespace {
class OwnedPlayer : public RecordingMediaPlayers::Player {
public:
    using Player::Player;
    RecordingMediaPlayers* owner = nullptr;
    ~OwnedPlayer() override {
        auto& v = owner->players;
        std::replace(v.begin(), v.end(), static_cast<Player*>(this), static_cast<Player*>(nullptr));
    }
};
}  // namespace

std::unique_ptr<MediaPlayer> RecordingMediaPlayers::NewPlayer() {
    auto p = std::make_unique<OwnedPlayer>(*this);
    p->owner = this;
    players.push_back(p.get());
    return p;
}

namespace {
bool shown263 = false;
bool shown265 = false;
}  // namespace

std::string MediaErrorMessage(const MediaError& error) {
    if (error.code == kMediaNotRegistered) {
        if (shown263) return {};
        shown263 = true;
        return "Il lettore per questo tipo di oggetto multimediale non è correttamente registrato in "
               "Windows.\nPotrebbe essere utile controllare come si comporta Netscape o Internet Explorer.";
    }
    if (error.code == kMediaInUse) {
        if (shown265) return {};
        shown265 = true;
        return "Il file multimediale selezionato è già in uso nella corrente pagina.\nScegliere un altro file.";
    }
    return error.text;
}

void ResetMediaErrorMessages() { shown263 = shown265 = false; }

}  // namespace ovik::platform
