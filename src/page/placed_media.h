// Multimedia objects (sounds, videos, embedded programs, custom objects) and
// database elements on a page (TMyyMultimedia).
//
// Sounds and videos get a media player from the page's host. The embedded
// file is played from a private copy in the hypertext's temporary folder. A
// cyclic ("Azione ciclica") object plays by itself in a read-only view with
// AutoJump off, once and then once for each loop (-1: without end); an object
// with the player's buttons ("Visualizza pulsanti") waits for the reader.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "page/placed_controls.h"
#include "platform/media_player.h"

namespace ovik {

// The icon and width of a database element of the given element type.
IconLook DbLookOf(uint8_t elementType);

class TMyyMultimedia : public TMyyControl {
public:
    static constexpr int32_t kPlayerWidth = 141;
    static constexpr int32_t kPlayerHeight = 30;
    static constexpr int32_t kIconSize = 18;

    TMyyMultimedia(WorkingObject w, THQVpage* page);
    ~TMyyMultimedia() override;

    void LoadFromObject() override;
    void SizeFromObject() override;
    bool HandlesEnabled() const override;
    std::string IconName() const override;

    bool Database() const;
    bool Sound() const;
    bool Video() const;
    bool Program() const;
    bool Custom() const;
    bool Cyclic() const;
    int16_t Loops() const;
    int16_t LoopsLeft() const { return loopsLeft_; }
    // The player, when the object has one, and whether its buttons show.
    platform::MediaPlayer* Player() const { return player_.get(); }
    bool PlayerShown() const { return player_ && !Cyclic(); }
    // The private copy the player opened (empty when none).
    const std::filesystem::path& OpenedFile() const { return opened_; }
    // The area of a video's picture within the control.
    PixelRect PictureArea() const;
    // The alternative picture (picture object), or null.
    THQVoggetto* AlternativePicture() const;
    // A video or embedded program resized with its handles.
    void Resize(int32_t width, int32_t height);
    // The reader starts playing (the player's play button); false when the
    // view does not allow it.
    bool Play();
    // The buttons of the player's bar, left to right, each a fifth of it.
    enum class PlayerButton : uint8_t { Play, Pause, Stop, Step, Back, None };
    // The button under (x, y) of the control; None outside the bar.
    PlayerButton PlayerButtonAt(int32_t x, int32_t y) const;
    // The reader presses a button of the player; false when the view does
    // not allow playing or nothing was opened.
    bool PressPlayerButton(PlayerButton button);

private:
    void OpenMedia();
    void PlayEnded();
    // A failure the media interface reported: told (device errors once per
    // run), and no loops are left.
    void ReportFailure(const platform::MediaError& error);
    bool MayPlay() const;
    int32_t RecordWidth() const;
    int32_t RecordHeight() const;

    std::unique_ptr<platform::MediaPlayer> player_;
    std::filesystem::path opened_;
    int32_t openedFile_ = -1;
    int16_t loopsLeft_ = 0;
};

}  // namespace ovik
