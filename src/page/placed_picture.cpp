#include "page/placed_picture.h"

#include <algorithm>
#include <cstdlib>

#include "core/bytes.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"
#include "page/thqv_page.h"
#include "page/working_copy.h"

namespace ovik {

// --- zone slots ------------------------------------------------------------------------------

ZoneSlot ZoneSlot::FromBytes(const uint8_t* p) {
    ZoneSlot s;
    s.link = GetI32(p);
    s.reserved = GetI32(p + 4);
    s.left = int16_t(GetU16(p + 8));
    s.top = int16_t(GetU16(p + 10));
    s.width = int16_t(GetU16(p + 12));
    s.height = int16_t(GetU16(p + 14));
    return s;
}

std::array<uint8_t, ZoneSlot::kSize> ZoneSlot::Bytes16() const {
    std::array<uint8_t, kSize> b{};
    PutI32(b.data(), link);
    PutI32(b.data() + 4, reserved);
    PutU16(b.data() + 8, uint16_t(left));
    PutU16(b.data() + 10, uint16_t(top));
    PutU16(b.data() + 12, uint16_t(width));
    PutU16(b.data() + 14, uint16_t(height));
    return b;
}

ZoneSlot ZoneSlot::Read(const THQVoggetto& o, int slot) {
    uint8_t b[kSize];
    o.CopyRecordBytes(kFirst + kSize * size_t(slot), kSize, b);
    return FromBytes(b);
}

void ZoneSlot::Write(THQVoggetto& o, int slot) const {
    const auto b = Bytes16();
    o.WriteRecordBytes(kFirst + kSize * size_t(slot), b.data(), kSize);
}

std::string WrapperText(const THQVoggetto& o) {
    const Bytes* w = o.Wrapper();
    if (!w || w->size() < 4) return {};
    const int32_t n = GetI32(w->data());
    if (n < 0 || size_t(n) > w->size() - 4) return {};
    std::string text(w->begin() + 4 + n, w->end());
    if (const size_t z = text.find('\0'); z != std::string::npos) text.resize(z);
    return text;
}

namespace {
int16_t ToI16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }
bool IsLinkKind(uint8_t k) { return k == internetLink || k == speclink || k == shortObj; }
}  // namespace

// --- fields ----------------------------------------------------------------------------------

PlacedPictureFields PlacedPictureFields::Read(const THQVoggetto& o) {
    PlacedPictureFields f;
    f.picture = o.I32(0);
    f.lowRes = o.I32(5);
    f.rollover = o.I32(9);
    f.alignment = o.U8(13);
    f.border = o.U8(14) == 1;
    f.width = o.I16(19);
    f.height = o.I16(21);
    f.percent = o.U8(23) == 1;
    f.alt = o.Str(28, 32);
    return f;
}

void PlacedPictureFields::Write(THQVoggetto& o) const {
    if (picture != o.I32(0)) {
        THQVset* set = o.Owner();
        const THQVoggetto* p = set && picture >= 0 ? set->GetObject(immagine, picture) : nullptr;
        if (p && !p->IsFree()) {
            o.SetU16(15, p->U16(85));
            o.SetU16(17, p->U16(87));
        }
    }
    o.SetI32(0, picture);
    o.SetI32(5, lowRes);
    o.SetI32(9, rollover);
    o.SetU8(13, alignment);
    o.SetU8(14, border ? 1 : 0);
    o.SetI16(19, int16_t(std::clamp(width, 1, 32767)));
    o.SetI16(21, int16_t(std::clamp(height, 1, 32767)));
    o.SetU8(23, percent ? 1 : 0);
    o.SetStr(28, 32, alt.substr(0, 32));
}

// --- TMyyImage ---------------------------------------------------------------------------------

TMyyImage::TMyyImage(WorkingObject w, THQVpage* page, PageWorkingCopy* links)
    : TMyyVisual(std::move(w), page), links_(links) {
    LoadFromObject();
}

THQVoggetto* TMyyImage::PictureObject() const {
    const THQVoggetto* o = working_.object.get();
    THQVset* set = o ? o->Owner() : nullptr;
    if (!set || o->I32(0) < 0) return nullptr;
    THQVoggetto* p = set->GetObject(immagine, o->I32(0));
    return p && !p->IsFree() ? p : nullptr;
}

const THQVoggetto* TMyyImage::LinkObject(int32_t link) const {
    if (IdKind(link) == kPageLocalKind) {
        const size_t i = size_t(IdNumber(link));
        if (!links_ || i >= links_->localLinks.size()) return nullptr;
        return links_->localLinks[i].object.get();
    }
    const THQVoggetto* o = working_.object.get();
    THQVset* set = o ? o->Owner() : nullptr;
    if (!set || link < 0) return nullptr;
    const THQVoggetto* target = set->GetObjectById(link);
    return target && !target->IsFree() ? target : nullptr;
}

int32_t TMyyImage::CheckedLink(int32_t link) const {
    // A zone whose target is gone leads to page 0.
    return LinkObject(link) ? link : 0;
}

TMyyZona TMyyImage::ZoneFromSlot(const ZoneSlot& s, int slot) const {
    TMyyZona z;
    z.slot = slot;
    z.link = CheckedLink(s.link);
    z.left = s.left;
    z.top = s.top;
    z.width = s.width;
    z.height = s.height;
    return z;
}

void TMyyImage::LoadFromObject() {
    zones_.clear();
    selectedZone_ = -1;
    SizeFromObject();
    const THQVoggetto* o = working_.object.get();
    if (!o) return;
    // Only the link field tells an empty slot: slots copied from an empty map
    // may hold any bytes.
    for (int slot = ZoneSlot::kCount - 1; slot >= 0; --slot) {
        ZoneSlot s = ZoneSlot::Read(*o, slot);
        if (s.link == -1) continue;
        zones_.push_back(ZoneFromSlot(s, slot));
    }
}

void TMyyImage::SizeFromObject() {
    THQVoggetto* o = working_.object.get();
    if (!o) return;
    if (THQVoggetto* pic = PictureObject()) {
        const uint16_t w = pic->U16(85), h = pic->U16(87);
        if (w != o->U16(15) || h != o->U16(17)) {
            o->SetU16(15, w);
            o->SetU16(17, h);
            o->SetI16(19, ToI16(w));
            o->SetI16(21, ToI16(h));
        }
    }
    // A size of 0 (or one no picture can have) shows at 100.
    const int32_t w = o->I16(19), h = o->I16(21);
    SetSize(w > 0 ? w : 100, h > 0 ? h : 100);
}

void TMyyImage::UpdateObject() {
    THQVoggetto* o = working_.object.get();
    if (!o) return;
    int slot = 0;
    for (auto it = zones_.rbegin(); it != zones_.rend() && slot < ZoneSlot::kCount; ++it, ++slot) {
        ZoneSlot s;
        s.link = it->link;
        s.left = ToI16(it->left);
        s.top = ToI16(it->top);
        s.width = ToI16(it->width);
        s.height = ToI16(it->height);
        s.Write(*o, slot);
        it->slot = slot;
    }
    for (; slot < ZoneSlot::kCount; ++slot) ZoneSlot::Empty().Write(*o, slot);
}

// --- size ----------------------------------------------------------------------------------------

void TMyyImage::Scale(int32_t percent) {
    THQVoggetto* o = working_.object.get();
    if (!o || Working().inactive) return;
    CreateUndoRecord("Dimensiona immagine");
    if (PictureObject()) {
        o->SetI16(19, ToI16(int64_t(o->U16(15)) * percent / 100));
        o->SetI16(21, ToI16(int64_t(o->U16(17)) * percent / 100));
    } else {
        o->SetI16(19, 100);
        o->SetI16(21, 100);
    }
    SizeFromObject();
    MarkForRelayout();
    selected = true;
}

void TMyyImage::Resize(int32_t width, int32_t height) {
    THQVoggetto* o = working_.object.get();
    if (!o || width <= 0 || height <= 0) return;
    CreateUndoRecord("Dimensiona immagine");
    const int32_t oldW = Width(), oldH = Height();
    const int64_t fx = oldW > 0 ? int64_t(width) * 1000 / oldW : 1000;
    const int64_t fy = oldH > 0 ? int64_t(height) * 1000 / oldH : 1000;
    for (TMyyZona& z : zones_) {
        z.left = int32_t(z.left * fx / 1000);
        z.width = int32_t(z.width * fx / 1000);
        z.top = int32_t(z.top * fy / 1000);
        z.height = int32_t(z.height * fy / 1000);
    }
    o->SetI16(19, ToI16(width));
    o->SetI16(21, ToI16(height));
    SizeFromObject();
    MarkForRelayout();
    selected = true;
}

bool TMyyImage::SetFields(const PlacedPictureFields& f, const std::vector<std::pair<int32_t, int32_t>>& zoneTargets) {
    THQVoggetto* o = working_.object.get();
    if (!o || ReadOnly() || working_.inactive) return false;
    CreateUndoRecord();
    f.Write(*o);
    for (const auto& [zone, id] : zoneTargets) SetZoneLink(zone, id);
    SizeFromObject();
    MarkForRelayout();
    return true;
}

// --- zones --------------------------------------------------------------------------------------

bool TMyyImage::AddZone() {
    if (!CanAddZone()) return false;
    int32_t x = lastMouseX, y = lastMouseY;
    if (x > Width()) x = Width() - 10;
    if (y > Height()) y = Height() - 10;
    CreateUndoRecord("Aggiungi zona cliccabile");
    TMyyZona z;
    z.left = std::max(x, 0);
    z.top = std::max(y, 0);
    zones_.insert(zones_.begin(), z);
    selectedZone_ = 0;
    MarkForRelayout();
    return true;
}

bool TMyyImage::AddZone(PixelRect r) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, Width());
    r.bottom = std::min(r.bottom, Height());
    if (r.IsEmpty() || !CanAddZone()) return false;
    CreateUndoRecord("Aggiungi zona cliccabile");
    TMyyZona z;
    z.left = r.left;
    z.top = r.top;
    z.width = r.right - r.left;
    z.height = r.bottom - r.top;
    zones_.insert(zones_.begin(), z);
    selectedZone_ = 0;
    MarkForRelayout();
    return true;
}

bool TMyyImage::DeleteZone(int32_t i) {
    if (i < 0 || size_t(i) >= zones_.size() || ReadOnly() || working_.inactive) return false;
    CreateUndoRecord("Cancella zona cliccabile");
    zones_.erase(zones_.begin() + i);
    selectedZone_ = -1;
    focused = true;
    MarkForRelayout();
    return true;
}

bool TMyyImage::BringZoneToFront() {
    if (selectedZone_ < 0 || ReadOnly() || working_.inactive) return false;
    CreateUndoRecord("Poni zona in primo piano");
    TMyyZona z = zones_[size_t(selectedZone_)];
    zones_.erase(zones_.begin() + selectedZone_);
    zones_.push_back(z);
    selectedZone_ = int32_t(zones_.size()) - 1;
    MarkForRelayout();
    return true;
}

bool TMyyImage::SendZoneToBack() {
    if (selectedZone_ < 0 || ReadOnly() || working_.inactive) return false;
    CreateUndoRecord("Poni zona in secondo piano");
    TMyyZona z = zones_[size_t(selectedZone_)];
    zones_.erase(zones_.begin() + selectedZone_);
    zones_.insert(zones_.begin(), z);
    selectedZone_ = 0;
    MarkForRelayout();
    return true;
}

void TMyyImage::SetZoneLink(int32_t i, int32_t id) {
    if (i < 0 || size_t(i) >= zones_.size()) return;
    TMyyZona& z = zones_[size_t(i)];
    if (IdKind(id) == kPageLocalKind && links_ && size_t(IdNumber(id)) < links_->localLinks.size()) {
        z.link = id;
        return;
    }
    const THQVoggetto* o = working_.object.get();
    THQVset* set = o ? o->Owner() : nullptr;
    const THQVoggetto* target = set && id >= 0 ? set->GetObjectById(id) : nullptr;
    if (!target || target->IsFree()) {
        z.link = 0;
        return;
    }
    if (IsLinkKind(target->Kind()) && links_) {
        auto copy = THQVoggetto::Create(set, target->Kind());
        copy->Assign(*target);
        copy->SetOwner(set);
        links_->localLinks.push_back({std::move(copy), target->Number(), false});
        z.link = MakeId(kPageLocalKind, int32_t(links_->localLinks.size() - 1));
        return;
    }
    z.link = id;
}

bool TMyyImage::LinkZone(int32_t i, int32_t id) {
    if (i < 0 || size_t(i) >= zones_.size() || ReadOnly() || working_.inactive) return false;
    CreateUndoRecord();
    SetZoneLink(i, id);
    selectedZone_ = i;
    MarkForRelayout();
    return true;
}

void TMyyImage::SetZoneLinkObject(int32_t i, std::unique_ptr<THQVoggetto> link) {
    if (i < 0 || size_t(i) >= zones_.size()) return;
    if (!link || !links_) {
        zones_[size_t(i)].link = 0;
        return;
    }
    links_->localLinks.push_back({std::move(link), -1, false});
    zones_[size_t(i)].link = MakeId(kPageLocalKind, int32_t(links_->localLinks.size() - 1));
}

const THQVoggetto* TMyyImage::ZoneTarget(int32_t i) const {
    if (i < 0 || size_t(i) >= zones_.size()) return nullptr;
    return LinkObject(zones_[size_t(i)].link);
}

int32_t TMyyImage::ZoneTargetId(int32_t i) const {
    if (i < 0 || size_t(i) >= zones_.size()) return -1;
    const int32_t link = zones_[size_t(i)].link;
    if (IdKind(link) != kPageLocalKind) return link;
    const size_t n = size_t(IdNumber(link));
    if (!links_ || n >= links_->localLinks.size()) return -1;
    const WorkingObject& w = links_->localLinks[n];
    return w.storedNumber >= 0 && w.object ? MakeId(w.object->Kind(), w.storedNumber) : -1;
}

std::string TMyyImage::ZoneHint(int32_t i) const {
    const THQVoggetto* t = ZoneTarget(i);
    return t ? links::Describe(*t) : std::string();
}

bool TMyyImage::ResizeZone(int32_t i, const PixelRect& r) {
    if (i < 0 || size_t(i) >= zones_.size() || ReadOnly() || working_.inactive || r.IsEmpty()) return false;
    TMyyZona& z = zones_[size_t(i)];
    if (!z.moving) CreateUndoRecord("Dimensiona zona cliccabile");
    z.left = r.left;
    z.top = r.top;
    z.width = r.right - r.left;
    z.height = r.bottom - r.top;
    MarkForRelayout();
    return true;
}

VisualActions TMyyImage::ZonePress(int32_t i, MouseButton b, int32_t x, int32_t y) {
    if (i < 0 || size_t(i) >= zones_.size()) return {};
    TMyyZona& z = zones_[size_t(i)];
    if (b != MouseButton::Left || ReadOnly() || working_.inactive) return {};
    selectedZone_ = i;
    z.pressed = true;
    z.moving = false;
    z.pressX = x;
    z.pressY = y;
    return {VisualAction::TakeFocus};
}

VisualActions TMyyImage::ZoneMove(int32_t i, int32_t x, int32_t y) {
    if (i < 0 || size_t(i) >= zones_.size()) return {};
    TMyyZona& z = zones_[size_t(i)];
    VisualActions out;
    const int32_t dx = x - z.pressX, dy = y - z.pressY;
    if (z.pressed && !z.moving && (std::abs(dx) > 4 || std::abs(dy) > 4)) {
        CreateUndoRecord("Muovi zona cliccabile");
        z.moving = true;
        out.push_back(VisualAction::StartZoneMove);
    }
    if (z.moving) {
        band_ = {z.left + dx, z.top + dy, z.left + dx + z.width, z.top + dy + z.height};
    } else if (!z.hintShown) {
        z.hintShown = true;
        out.push_back(VisualAction::ShowZoneHint);
    }
    return out;
}

VisualActions TMyyImage::ZoneRelease(int32_t i, MouseButton b, int32_t x, int32_t y) {
    if (i < 0 || size_t(i) >= zones_.size()) return {};
    VisualActions out;
    TMyyZona& z = zones_[size_t(i)];
    const bool wasMoving = z.moving;
    if (z.moving) {
        ZoneMove(i, x, y);
        z.left = band_.left;
        z.top = band_.top;
        z.moving = false;
        out.push_back(VisualAction::EndZoneMove);
        MarkForRelayout();
    }
    z.pressed = false;
    if (z.doubleClicked) {
        z.doubleClicked = false;
        return out;
    }
    if (b == MouseButton::Right) {
        if (!ReadOnly()) {
            selectedZone_ = i;
            out.push_back(VisualAction::ShowOwnPopup);
            out.push_back(VisualAction::TakeFocus);
        }
        return out;
    }
    if (ReadOnly() || working_.inactive) {
        out.push_back(VisualAction::FollowZoneLink);
        return out;
    }
    if (!wasMoving && selectedZone_ == i) out.push_back(VisualAction::SelectInFrameSet);
    return out;
}

VisualActions TMyyImage::ZoneDoubleClick(int32_t i) {
    if (i < 0 || size_t(i) >= zones_.size()) return {};
    zones_[size_t(i)].doubleClicked = true;
    if (ReadOnly() || working_.inactive) return {};
    return {VisualAction::FollowZoneLink};
}

VisualActions TMyyImage::ZoneKeyDown(int32_t i, EditKey k, bool shift) {
    if (i < 0 || size_t(i) >= zones_.size() || shift || k != EditKey::Delete) return {};
    if (ReadOnly() || working_.inactive) return {};
    return {VisualAction::PostDeleteZone};
}

// --- hint and rollover --------------------------------------------------------------------------

int32_t TMyyImage::EnclosingLink() const {
    if (!page_) return kNoLink;
    THQVbox* box = nullptr;
    int32_t paragraph = 0, ch = 0;
    if (!page_->FindControl(this, box, paragraph, ch)) return kNoLink;
    return box->Paragraph(paragraph).Records()[size_t(ch)].link;
}

PictureCursor TMyyImage::Cursor() {
    const int32_t link = EnclosingLink();
    if (link == kNoLink || !LinkObject(link)) return PictureCursor::Default;
    return ReadOnly() || working_.inactive ? PictureCursor::Link : PictureCursor::Number5;
}

std::string TMyyImage::Hint() {
    const THQVoggetto* o = working_.object.get();
    if (!o) return {};
    const bool editable = !ReadOnly();
    std::string description;
    const int32_t link = EnclosingLink();
    if (editable && link != kNoLink)
        if (const THQVoggetto* l = LinkObject(link)) description = links::Describe(*l);
    std::string second = o->Str(28, 32);
    if (editable) {
        const std::string wrapper = WrapperText(*o);
        if (wrapper.size() > 5) second += "\r\n----------\r\n" + wrapper.substr(0, 400);
    }
    if (description.empty()) return second;
    second = " - " + second;
    // The short hint stays before the "|" that separates the long one.
    if (const size_t bar = description.find('|'); bar != std::string::npos)
        return description.insert(bar, second);
    return description + second;
}

bool TMyyImage::MouseEnter(bool applicationShowsHints) {
    const THQVoggetto* o = working_.object.get();
    if (selected || !o || o->I32(9) < 0 || !applicationShowsHints) return false;
    rollover_ = true;
    return true;
}

bool TMyyImage::MouseLeave() {
    MouseLeft();
    return EndRollover();
}

bool TMyyImage::EndRollover() {
    if (!rollover_) return false;
    rollover_ = false;
    return true;
}

int32_t TMyyImage::ShownPictureNumber() const {
    const THQVoggetto* o = working_.object.get();
    if (!o) return -1;
    return rollover_ && o->I32(9) >= 0 ? o->I32(9) : o->I32(0);
}

// --- clipboard ------------------------------------------------------------------------------------

bool TMyyImage::AcceptsFormat(const std::string& name) {
    return name == platform::kObjectsFormat || name == platform::kZoneFormat ||
           name == platform::kPictureFormat || name == platform::kBitmapFormat ||
           name == platform::kMetafileFormat;
}

bool TMyyImage::CopyZone(platform::Clipboard& clipboard) const {
    if (selectedZone_ < 0) return false;
    const TMyyZona& z = zones_[size_t(selectedZone_)];
    ZoneSlot s;
    // A page-local link means nothing on another page: the zone carries its
    // target's identifier when it has one.
    const int32_t id = ZoneTargetId(selectedZone_);
    s.link = id >= 0 ? id : z.link;
    s.left = ToI16(z.left);
    s.top = ToI16(z.top);
    s.width = ToI16(z.width);
    s.height = ToI16(z.height);
    std::string data(4, '\0');
    PutI32(reinterpret_cast<uint8_t*>(data.data()), 2);
    const auto b = s.Bytes16();
    data.append(b.begin(), b.end());
    platform::ClipboardData d;
    d.formats[platform::kZoneFormat] = data;
    clipboard.Set(d);
    return true;
}

PictureTarget TMyyImage::Paste(const platform::Clipboard& clipboard) {
    const platform::ClipboardData d = clipboard.Get();
    if (d.formats.count(platform::kObjectsFormat)) return PictureTarget::ObjectsIgnored;
    if (auto it = d.formats.find(platform::kZoneFormat); it != d.formats.end()) {
        const std::string& bytes = it->second;
        if (bytes.size() < 4 + ZoneSlot::kSize ||
            GetI32(reinterpret_cast<const uint8_t*>(bytes.data())) != 2)
            return PictureTarget::None;
        if (!CanAddZone()) return PictureTarget::ZoneRefused;
        const ZoneSlot s = ZoneSlot::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()) + 4);
        CreateUndoRecord("Inserimento da Cartella appunti");
        TMyyZona z;
        z.left = s.left + 5;
        z.top = s.top + 5;
        z.width = s.width;
        z.height = s.height;
        zones_.insert(zones_.begin(), z);
        // A registered target is made page-local again; a page-local index is
        // kept only when this page holds it.
        if (IdKind(s.link) == kPageLocalKind) zones_.front().link = CheckedLink(s.link);
        else SetZoneLink(0, s.link);
        selectedZone_ = 0;
        MarkForRelayout();
        return PictureTarget::ZonePasted;
    }
    // The editor replaces the picture from the clipboard, then lays it out again.
    if (d.bitmap || clipboard.HasBitmap()) return PictureTarget::PictureFromClipboard;
    return PictureTarget::None;
}

}  // namespace ovik
