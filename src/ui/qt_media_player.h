// Sounds and videos played through Qt Multimedia: a QMediaPlayer with an audio
// output, and a video sink whose frames the page widget paints where the
// control shows its picture.
//
//   QtMediaPlayers players([&] { viewport->update(); });  // repaint on a new frame
//   auto p = players.NewPlayer();
//   p->Open(privateCopy, error); p->Play();
#pragma once

#include <QAudioOutput>
#include <QImage>
#include <QMediaPlayer>
#include <QObject>
#include <QVideoSink>
#include <functional>
#include <memory>

#include "platform/media_player.h"

namespace ovik::ui {

class QtMediaPlayer : public platform::MediaPlayer {
public:
    explicit QtMediaPlayer(std::function<void()> onFrame);
    ~QtMediaPlayer() override;
    bool Open(const std::filesystem::path& file, platform::MediaError& error) override;
    void Close() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Rewind() override;
    void Step(int direction) override;
    bool Playing() const override;
    void SetShown(bool shown) override { shown_ = shown; }
    bool Shown() const { return shown_; }
    // The newest frame of a video (null for sounds and before the first).
    const QImage& Frame() const { return frame_; }

    // How a failure of Qt Multimedia reaches the engine: an unknown format
    // or a missing backend is the "player not registered" device error; the
    // others keep Qt's own text.
    static platform::MediaError ErrorOf(QMediaPlayer::Error error, const QString& text);

private:
    void Fail(const platform::MediaError& error);
    QObject context_;
    QMediaPlayer player_;
    QAudioOutput audio_;
    QVideoSink sink_;
    QImage frame_;
    std::function<void()> onFrame_;
    bool shown_ = true;
    bool failed_ = false;  // a failure of the file opened last was told
};

class QtMediaPlayers : public platform::MediaPlayers {
public:
    explicit QtMediaPlayers(std::function<void()> onFrame = {}) : onFrame_(std::move(onFrame)) {}
    std::unique_ptr<platform::MediaPlayer> NewPlayer() override {
        return std::make_unique<QtMediaPlayer>(onFrame_);
    }

private:
    std::function<void()> onFrame_;
};

}  // namespace ovik::ui
