// Playing sounds and videos: what the multimedia objects of a page ask of the
// host. A player opens one file by name, plays it, stops, rewinds, tells when a
// play ended, and reports failures with a code and a text. Files are always
// private copies the engine wrote; a player never starts a program.
//
// RecordingMediaPlayers (tests, batch tool) keep every call and let a test end
// a play or make opening fail with a chosen error.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ovik::platform {

struct MediaError {
    int code = 0;  // 0 = no error
    std::string text;
};

// Device errors with messages of their own.
inline constexpr int kMediaNotRegistered = 263;
inline constexpr int kMediaInUse = 265;

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;
    // Opens `file`; false with `error` filled when it cannot be played.
    virtual bool Open(const std::filesystem::path& file, MediaError& error) = 0;
    virtual void Close() = 0;
    virtual void Play() = 0;
    // Stops where the play is (Play goes on from there).
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Rewind() = 0;
    // Moves one step forward (direction > 0) or back.
    virtual void Step(int direction) = 0;
    virtual bool Playing() const = 0;
    // The player's buttons are shown (false: it plays hidden).
    virtual void SetShown(bool shown) = 0;
    // Called by the player when a play reached its end.
    std::function<void()> onEnd;
    // Called by the player when a file it opened turns out not to play
    // (players that find out only while loading or playing).
    std::function<void(const MediaError&)> onError;
};

class MediaPlayers {
public:
    virtual ~MediaPlayers() = default;
    virtual std::unique_ptr<MediaPlayer> NewPlayer() = 0;
};

// A player that opens everything and plays nothing (hosts without media).
class NullMediaPlayer : public MediaPlayer {
public:
    bool Open(const std::filesystem::path&, MediaError&) override { return true; }
    void Close() override {}
    void Play() override {}
    void Pause() override {}
    void Stop() override {}
    void Rewind() override {}
    void Step(int) override {}
    bool Playing() const override { return false; }
    void SetShown(bool) override {}
};

class NullMediaPlayers : public MediaPlayers {
public:
    std::unique_ptr<MediaPlayer> NewPlayer() override { return std::make_unique<NullMediaPlayer>(); }
};

// Keeps the calls of every player it made ("open NAME", "play", "stop",
// "rewind", "pause", "step +1"/"step -1", "close", "shown"/"hidden") in one log.
class RecordingMediaPlayers : public MediaPlayers {
public:
    class Player : public MediaPlayer {
    public:
        explicit Player(RecordingMediaPlayers& owner) : owner_(owner) {}
        bool Open(const std::filesystem::path& file, MediaError& error) override;
        void Close() override;
        void Play() override;
        void Pause() override;
        void Stop() override;
        void Rewind() override;
        void Step(int direction) override;
        bool Playing() const override { return playing_; }
        void SetShown(bool shown) override;
        // The play reaches its end (the player tells its owner).
        void FinishPlay();
        // The file turns out not to play after it was opened.
        void FailPlay(const MediaError& error);
        std::filesystem::path file;
        std::string openedBytes;  // what the file held when it was opened

    private:
        RecordingMediaPlayers& owner_;
        bool playing_ = false;
    };

    std::unique_ptr<MediaPlayer> NewPlayer() override;
    // The next Open fails with this error (code 0: opening succeeds).
    MediaError failNextOpen;
    std::vector<std::string> log;
    std::vector<Player*> players;  // in order made; null once destroyed
};

// The text a failure to open a media file shows, or empty when this run has
// shown it already (the two device errors are told once per program run).
std::string MediaErrorMessage(const MediaError& error);
// Forgets which device errors this run has shown (tests).
void ResetMediaErrorMessages();

}  // namespace ovik::platform
