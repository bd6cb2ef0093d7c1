#include "page/placed_media.h"

#include <algorithm>
#include <cstdio>

#include "document/hqv_set.h"
#include "page/thqv_page.h"
#include "platform/messages.h"

namespace ovik {

IconLook DbLookOf(uint8_t type) {
    switch (type) {
        case 9: return {"dbtesto", 36};
        case 10: return {"dbdb", 18};
        case 12: return {"dbquery", 18};
        case 13: return {"dbbegin", 18};
        case 14: return {"dbend", 18};
        case 15: return {"dbcount", 18};
        case 16: return {"dbfirst", 18};
        case 17: return {"dblast", 18};
        case 19: return {"dbrep", 27};
        case 21: return {"dbsalto", 36};
        default: return {"", 18};
    }
}

TMyyMultimedia::TMyyMultimedia(WorkingObject w, THQVpage* page) : TMyyControl(std::move(w), page) {}

TMyyMultimedia::~TMyyMultimedia() {
    if (player_) {
        player_->onEnd = nullptr;
        player_->onError = nullptr;
        player_->Close();
    }
    std::error_code ec;
    if (!opened_.empty()) std::filesystem::remove(opened_, ec);
}

bool TMyyMultimedia::Database() const { return Object() && Object()->Kind() == dbloc; }
bool TMyyMultimedia::Sound() const { return !Database() && Object() && (Object()->State() == 1 || Object()->State() == 2); }
bool TMyyMultimedia::Video() const { return !Database() && Object() && (Object()->State() == 3 || Object()->State() == 4); }
bool TMyyMultimedia::Program() const { return !Database() && Object() && Object()->State() == media_rec::kProgram; }
bool TMyyMultimedia::Custom() const { return !Database() && Object() && Object()->State() == media_rec::kCustom; }
bool TMyyMultimedia::Cyclic() const { return !Database() && Object() && Object()->U8(media_rec::kCyclic) == 1; }
int16_t TMyyMultimedia::Loops() const { return Object() ? Object()->I16(media_rec::kLoops) : 0; }

bool TMyyMultimedia::MayPlay() const { return page_ && page_->ReadOnly() && !page_->Host().AutoJump; }

std::string TMyyMultimedia::IconName() const {
    if (Database()) return DbLookOf(Object()->U8(media_rec::kDbType)).icon;
    if (Sound() && Cyclic()) return "nota";
    return {};
}

THQVoggetto* TMyyMultimedia::AlternativePicture() const {
    const THQVoggetto* o = Object();
    THQVset* set = o ? o->Owner() : nullptr;
    if (!set) return nullptr;
    const int32_t id = Database() ? o->I32(media_rec::kDbPicture) : o->I32(media_rec::kAltPicture);
    if (id < 0) return nullptr;
    THQVoggetto* p = set->GetObject(immagine, IdNumber(id));
    return p && !p->IsFree() ? p : nullptr;
}

int32_t TMyyMultimedia::RecordWidth() const {
    const int32_t w = Object()->I16(media_rec::kWidth);
    return Object()->U8(media_rec::kPercent) == 1 ? AvailableWidth() * w / 100 : w;
}

int32_t TMyyMultimedia::RecordHeight() const {
    const int32_t h = Object()->I16(media_rec::kHeight);
    return Object()->U8(media_rec::kPercent) == 1 ? AvailableHeight() * h / 100 : h;
}

void TMyyMultimedia::SizeFromObject() {
    const THQVoggetto* o = Object();
    if (!o) return;
    auto positive = [](int32_t v) { return std::max<int32_t>(v, 1); };
    if (Database()) {
        if (o->U8(media_rec::kDbType) == 18) {
            if (const THQVoggetto* p = AlternativePicture()) {
                SetSize(positive(p->U16(85)), positive(p->U16(87)));
                return;
            }
        }
        SetSize(DbLookOf(o->U8(media_rec::kDbType)).width, kIconSize);
    } else if (Sound()) {
        if (Cyclic()) SetSize(kIconSize, kIconSize);
        else SetSize(kPlayerWidth, kPlayerHeight);
    } else if (Video()) {
        if (Cyclic()) SetSize(positive(RecordWidth()), positive(RecordHeight()));
        else SetSize(std::max(RecordWidth(), kPlayerWidth), positive(RecordHeight()) + kPlayerHeight);
    } else if (Program()) {
        SetSize(positive(RecordWidth()), positive(RecordHeight()));
    } else {
        SetSize(kIconSize, kIconSize);
    }
}

bool TMyyMultimedia::HandlesEnabled() const { return Video() || Program(); }

PixelRect TMyyMultimedia::PictureArea() const {
    if (Video() && !Cyclic()) return {0, kPlayerHeight, width_, height_};
    return {0, 0, width_, height_};
}

void TMyyMultimedia::LoadFromObject() {
    SizeFromObject();
    if (!Sound() && !Video()) {
        if (player_) player_->Close();
        player_.reset();
        return;
    }
    if (!player_ && page_ && page_->Host().mediaPlayers) {
        player_ = page_->Host().mediaPlayers->NewPlayer();
        if (player_) player_->SetShown(false);
    }
    if (!player_) return;
    player_->SetShown(!Cyclic());
    OpenMedia();
}

void TMyyMultimedia::OpenMedia() {
    const THQVoggetto* o = Object();
    THQVset* set = o ? o->Owner() : nullptr;
    if (!set || !player_ || (page_ && page_->Host().AutoJump)) return;
    const int32_t id = o->I32(media_rec::kFile);
    const THQVoggetto* file = id >= 0 ? set->GetObjectById(id) : nullptr;
    if (!file || file->IsFree() || file->Kind() != genLink) return;
    if (openedFile_ != id || opened_.empty() || !std::filesystem::exists(opened_)) {
        // The player gets a private copy of the embedded file, never a path
        // the hypertext names.
        Bytes bytes;
        if (!file->ReadContent(bytes)) return;
        const std::filesystem::path copy =
            set->UniqueTempName(file->FileName().empty() ? std::string("media") : file->FileName());
        if (copy.empty()) return;
        FILE* f = std::fopen(copy.c_str(), "wb");
        if (!f) return;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        std::fclose(f);
        if (!written) return;
        std::error_code ec;
        if (!opened_.empty()) std::filesystem::remove(opened_, ec);
        opened_ = copy;
        openedFile_ = id;
    }
    player_->onEnd = nullptr;
    player_->onError = [this](const platform::MediaError& e) { ReportFailure(e); };
    platform::MediaError error;
    if (!player_->Open(opened_, error)) {
        ReportFailure(error);
        return;
    }
    if (!Cyclic()) return;
    player_->onEnd = [this] { PlayEnded(); };
    loopsLeft_ = Loops();
    if (MayPlay() && loopsLeft_ != 0) player_->Play();
}

void TMyyMultimedia::ReportFailure(const platform::MediaError& error) {
    loopsLeft_ = 0;
    THQVset* set = Object() ? Object()->Owner() : nullptr;
    const std::string text = platform::MediaErrorMessage(error);
    if (set && !text.empty()) set->Messages().Error(text);
}

void TMyyMultimedia::PlayEnded() {
    if (!player_ || player_->Playing()) return;
    player_->Rewind();
    if (!MayPlay()) return;
    if (loopsLeft_ == -1) {
        player_->Play();
    } else if (loopsLeft_ > 0) {
        --loopsLeft_;
        player_->Play();
    }
}

bool TMyyMultimedia::Play() {
    if (!player_ || !MayPlay() || opened_.empty()) return false;
    player_->Play();
    return true;
}

TMyyMultimedia::PlayerButton TMyyMultimedia::PlayerButtonAt(int32_t x, int32_t y) const {
    if (!PlayerShown() || x < 0 || y < 0 || x >= kPlayerWidth || y >= kPlayerHeight) return PlayerButton::None;
    return PlayerButton(std::min<int32_t>(x * 5 / kPlayerWidth, 4));
}

bool TMyyMultimedia::PressPlayerButton(PlayerButton button) {
    if (!player_ || !MayPlay() || opened_.empty()) return false;
    switch (button) {
        case PlayerButton::Play: player_->Play(); break;
        case PlayerButton::Pause: player_->Pause(); break;
        case PlayerButton::Stop:
            player_->Stop();
            player_->Rewind();
            break;
        case PlayerButton::Step: player_->Step(1); break;
        case PlayerButton::Back: player_->Step(-1); break;
        case PlayerButton::None: return false;
    }
    return true;
}

void TMyyMultimedia::Resize(int32_t width, int32_t height) {
    THQVoggetto* o = Object();
    if (!o || !(Video() || Program()) || !Editable()) return;
    CreateUndoRecord(ResizeUndoText());
    if (Video() && !Cyclic()) {
        height -= kPlayerHeight;
        width = std::max(width, kPlayerWidth);
    }
    StoreSize(media_rec::kWidth, media_rec::kHeight, o->U8(media_rec::kPercent) == 1, width, height);
    SizeFromObject();
    MarkForRelayout(true);
}

}  // namespace ovik
