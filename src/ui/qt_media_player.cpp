#include "ui/qt_media_player.h"

#include <QUrl>
#include <QVideoFrame>
#include <algorithm>

namespace ovik::ui {

namespace {
// One step of the player's step buttons.
constexpr qint64 kStepMs = 1000;
}  // namespace

QtMediaPlayer::QtMediaPlayer(std::function<void()> onFrame) : onFrame_(std::move(onFrame)) {
    player_.setAudioOutput(&audio_);
    player_.setVideoSink(&sink_);
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &context_, [this](QMediaPlayer::MediaStatus s) {
        if (s == QMediaPlayer::EndOfMedia && onEnd) onEnd();
        if (s == QMediaPlayer::InvalidMedia) Fail(ErrorOf(QMediaPlayer::FormatError, player_.errorString()));
    });
    QObject::connect(&player_, &QMediaPlayer::errorOccurred, &context_,
                     [this](QMediaPlayer::Error e, const QString& text) {
                         if (e != QMediaPlayer::NoError) Fail(ErrorOf(e, text));
                     });
    QObject::connect(&sink_, &QVideoSink::videoFrameChanged, &context_, [this](const QVideoFrame& f) {
        frame_ = f.toImage();
        if (onFrame_) onFrame_();
    });
}

QtMediaPlayer::~QtMediaPlayer() {
    // No callback reaches the control being destroyed.
    QObject::disconnect(&player_, nullptr, &context_, nullptr);
    QObject::disconnect(&sink_, nullptr, &context_, nullptr);
    player_.stop();
    player_.setVideoSink(nullptr);
    player_.setAudioOutput(nullptr);
}

platform::MediaError QtMediaPlayer::ErrorOf(QMediaPlayer::Error error, const QString& text) {
    switch (error) {
        case QMediaPlayer::NoError: return {};
        case QMediaPlayer::FormatError: return {platform::kMediaNotRegistered, text.toStdString()};
        default: {
            std::string t = text.toStdString();
            if (t.empty()) t = "Errore del lettore multimediale (" + std::to_string(int(error)) + ")";
            return {int(error) + 1000, t};
        }
    }
}

void QtMediaPlayer::Fail(const platform::MediaError& error) {
    // A backend often reports one failure several times: the first is told.
    if (failed_) return;
    failed_ = true;
    player_.stop();
    if (onError) onError(error);
}

bool QtMediaPlayer::Open(const std::filesystem::path& file, platform::MediaError& error) {
    if (!player_.isAvailable()) {
        error = {platform::kMediaNotRegistered, "Qt Multimedia"};
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = {int(QMediaPlayer::ResourceError) + 1000, "File multimediale non trovato: " + file.string()};
        return false;
    }
    frame_ = QImage();
    failed_ = false;
    player_.setSource(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    return true;
}

void QtMediaPlayer::Close() {
    player_.stop();
    player_.setSource(QUrl());
    frame_ = QImage();
}

void QtMediaPlayer::Play() { player_.play(); }
void QtMediaPlayer::Pause() { player_.pause(); }
void QtMediaPlayer::Stop() { player_.stop(); }
void QtMediaPlayer::Rewind() { player_.setPosition(0); }

void QtMediaPlayer::Step(int direction) {
    const qint64 to = player_.position() + (direction > 0 ? kStepMs : -kStepMs);
    player_.setPosition(std::clamp<qint64>(to, 0, std::max<qint64>(0, player_.duration())));
}

bool QtMediaPlayer::Playing() const { return player_.playbackState() == QMediaPlayer::PlayingState; }

}  // namespace ovik::ui
