#include "text/hqv_box.h"

#include <algorithm>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/box_attributes.h"

namespace ovik {

int32_t ClampToInt32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// --- THQVparag ------------------------------------------------------------------------------

THQVparag::THQVparag(THQVbox& box, uint8_t org) : origin(org), box_(&box), style_(box.StyleObject(0)) {
    // Empty, unmeasured: a paragraph is normally filled by a read right away.
    records_.assign(1, CharRecord{});
    NewLine().height = 20;
}

THQVparag::~THQVparag() = default;

void THQVparag::ResetToEmpty() {
    text_.clear();
    records_.assign(1, CharRecord{});
    runFonts_.clear();
    objects_.clear();
    lines_.clear();
    spellMask.clear();
    MeasureBaseHeight();
    NewLine().height = baseHeight > 0 ? baseHeight : 20;
}

int32_t THQVparag::RunFontIndexAt(int32_t i) const {
    if (records_.empty()) return -1;
    int32_t k = std::min<int32_t>(i, int32_t(records_.size()) - 1);
    for (; k >= 0; --k)
        if (records_[size_t(k)].runFont >= 0) return records_[size_t(k)].runFont;
    return -1;
}

TMyFont THQVparag::FontAt(int32_t i) const {
    int32_t r = RunFontIndexAt(i);
    if (r >= 0 && size_t(r) < runFonts_.size()) return runFonts_[size_t(r)]->Font();
    return style_.Font();
}

void THQVparag::MeasureBaseHeight() {
    TMyFont f = style_.Font();
    baseHeight = box_->Measurer().Cell(f.Desc(), f.position).height;
}

void THQVparag::Remeasure() {
    MeasureBaseHeight();
    TMyFont font = style_.Font();
    for (int32_t i = 0; i < Length(); ++i) {
        const int32_t run = records_[size_t(i)].runFont;
        if (run >= 0 && size_t(run) < runFonts_.size()) font = runFonts_[size_t(run)]->Font();
        MeasureChar(i, font);
    }
}

THQVline& THQVparag::NewLine() {
    THQVline l;
    l.left = ClampToInt32(int64_t(LeftMargin()) + Indent());
    lines_.push_back(l);
    return lines_.back();
}

void THQVparag::ClearRuns() {
    for (auto& r : records_) r.runFont = -1;
    runFonts_.clear();
}

int32_t THQVparag::AddRunFont(const THQVFontStyle& f) {
    runFonts_.push_back(std::make_unique<THQVFontStyle>(style_.Base()));
    runFonts_.back()->Assign(f);
    runFonts_.back()->SetBase(style_.Base());
    return int32_t(runFonts_.size() - 1);
}

void THQVparag::AppendChar(uint8_t c, int32_t link) {
    CharRecord& r = records_.back();
    TMyFont f = FontAt(Length());
    const platform::FontDesc d = f.Desc();
    const bool fontChange = Length() == 0 || r.runFont >= 0 || records_[records_.size() - 2].link != link;
    int prev = fontChange ? -1 : uint8_t(text_.back());
    platform::FontCell cell = box_->Measurer().Cell(d, f.position);
    r.width = box_->Measurer().CharWidth(d, prev, c);
    r.height = cell.height;
    r.ascent = cell.ascent;
    r.link = link;
    text_.push_back(char(c));
    records_.push_back(CharRecord{});
    if (!lines_.empty()) lines_.back().count++;
}

void THQVparag::InsertChar(int32_t at, uint8_t c, const CharRecord& r) {
    at = std::clamp(at, 0, Length());
    text_.insert(text_.begin() + at, char(c));
    records_.insert(records_.begin() + at, r);
    spellMask.clear();
}

void THQVparag::EraseChars(int32_t from, int32_t to) {
    from = std::clamp(from, 0, Length());
    to = std::clamp(to, from, Length());
    if (from == to) return;
    text_.erase(size_t(from), size_t(to - from));
    records_.erase(records_.begin() + from, records_.begin() + to);
    spellMask.clear();
}

void THQVparag::SplitInto(int32_t at, THQVparag& tail) {
    at = std::clamp(at, 0, Length());
    tail.text_ = text_.substr(size_t(at));
    tail.records_.assign(records_.begin() + at, records_.end());
    tail.runFonts_.clear();
    for (auto& f : runFonts_) {
        tail.runFonts_.push_back(std::make_unique<THQVFontStyle>(tail.style_.Base()));
        tail.runFonts_.back()->Assign(*f);
        tail.runFonts_.back()->SetBase(tail.style_.Base());
    }
    tail.objects_ = objects_;
    CharRecord end = records_.back();
    end.runFont = -1;
    end.object = -1;
    end.link = kNoLink;
    text_.resize(size_t(at));
    records_.resize(size_t(at));
    records_.push_back(end);
    spellMask.clear();
    tail.spellMask.clear();
}

void THQVparag::MeasureChar(int32_t i) {
    if (i < 0 || i >= Length()) return;
    MeasureChar(i, FontAt(i));
}

void THQVparag::MeasureChar(int32_t i, const TMyFont& font) {
    if (i < 0 || i >= Length()) return;
    CharRecord& r = records_[size_t(i)];
    if (r.object >= 0) {
        const PlacedObject* o = objects_[size_t(r.object)];
        if (o) {
            r.width = o->Width();
            r.height = o->Height();
            r.ascent = o->Height();
        }
        return;
    }
    const TMyFont f = r.link != kNoLink ? style_.LinkFont(font) : font;
    const platform::FontDesc d = f.Desc();
    const bool alone = i == 0 || r.runFont >= 0 || records_[size_t(i - 1)].link != r.link;
    const platform::FontCell cell = box_->Measurer().Cell(d, f.position);
    r.width = box_->Measurer().CharWidth(d, alone ? -1 : uint8_t(text_[size_t(i - 1)]),
                                         uint8_t(text_[size_t(i)]));
    r.height = cell.height;
    r.ascent = cell.ascent;
}

std::string THQVparag::CheckInvariants() const {
    if (records_.size() != text_.size() + 1)
        return "records: " + std::to_string(records_.size()) + " for " +
               std::to_string(text_.size()) + " characters";
    if (lines_.empty()) return "no line";
    for (size_t i = 0; i < records_.size(); ++i) {
        const CharRecord& r = records_[i];
        const std::string at = " at " + std::to_string(i);
        if (r.runFont < -1 || r.runFont >= int32_t(runFonts_.size()))
            return "run font index " + std::to_string(r.runFont) + at;
        if (r.object < -1 || r.object >= int32_t(objects_.size()))
            return "object index " + std::to_string(r.object) + at;
        if (r.object >= 0 && (i == text_.size() || text_[i] != ' '))
            return "object not on a blank" + at;
    }
    if (records_.back().link != kNoLink) return "end record has a link";
    for (auto& f : runFonts_)
        if (f->Base() != style_.Base()) return "run font with another base";
    return "";
}

// --- THQVbox --------------------------------------------------------------------------------

THQVbox::THQVbox(THQVset& set, platform::TextMeasurer& measurer)
    : set_(&set), measurer_(&measurer),
      textAttributes_(std::make_unique<THQVTextAttributes>(*this)),
      paraAttributes_(std::make_unique<THQVParaAttributes>(*this)) {}

THQVbox::~THQVbox() = default;

THQVoggetto* THQVbox::StyleObject(int32_t n) const {
    THQVoggetto* s = set_->GetObject(stileParagrafo, n);
    if (!s) s = set_->GetObject(stileParagrafo, 0);
    return s;
}

THQVparag& THQVbox::AddParagraph(uint8_t origin) {
    paragraphs_.push_back(std::make_unique<THQVparag>(*this, origin));
    return *paragraphs_.back();
}

void THQVbox::ClearParagraphs() {
    paragraphs_.clear();
    headerCount = footerCount = 0;
}

void THQVbox::Unlock() {
    if (updateLock_ > 0) --updateLock_;
    if (updateLock_ == 0 && layoutPending_) {
        layoutPending_ = false;
        if (OnLayout && !paragraphs_.empty()) OnLayout(*this, 0, ParagraphCount() - 1);
    }
}

int32_t THQVbox::ReadParagraphs(BoxStream& s, uint8_t origin, const Renumbering* renumber,
                                ReadKind kind) {
    MarkupReadReport report(set_->Messages());
    int32_t n = 0;
    for (;;) {
        THQVparag& p = AddParagraph(origin);
        ++n;
        size_t before = s.Position();
        bool end = p.Read(s, kind, renumber);
        if (!end && s.Position() == before && n > 1) {
            // Nothing more to read: no paragraph tag follows the last paragraph.
            paragraphs_.pop_back();
            --n;
            break;
        }
        if (end || s.Position() == before || s.AtEnd()) break;
    }
    return n;
}

int32_t THQVbox::InsertParagraphsAt(BoxStream& s, int32_t at, ReadKind kind,
                                    const Renumbering* renumber, int32_t maxCount, uint8_t origin) {
    MarkupReadReport report(set_->Messages());
    std::vector<std::unique_ptr<THQVparag>> read;
    while (int32_t(read.size()) < maxCount) {
        auto p = std::make_unique<THQVparag>(*this, origin);
        size_t before = s.Position();
        bool end = p->Read(s, kind, renumber);
        if (!end && s.Position() == before && !read.empty()) break;
        read.push_back(std::move(p));
        if (end || s.Position() == before || s.AtEnd()) break;
    }
    at = std::clamp<int32_t>(at, 0, ParagraphCount());
    paragraphs_.insert(paragraphs_.begin() + at, std::make_move_iterator(read.begin()),
                       std::make_move_iterator(read.end()));
    return int32_t(read.size());
}

void THQVbox::LoadText(BoxStream* main, BoxStream* header, BoxStream* footer, uint8_t origin,
                       const Renumbering* renumber) {
    if (!main) return;
    MarkupReadReport report(set_->Messages());
    Lock();
    if (header) {
        header->SetPosition(0);
        ReadParagraphs(*header, 1, renumber);
        headerCount = ParagraphCount();
    }
    ReadParagraphs(*main, origin, renumber);
    if (footer) {
        footer->SetPosition(0);
        footerCount = ReadParagraphs(*footer, 2, renumber);
    }
    if (!IsCellBox()) layoutPending_ = true;
    Unlock();
}

void THQVbox::LoadPage(THQVtesto& page, THQVtesto* headerCopy, THQVtesto* footerCopy) {
    ClearParagraphs();
    if (!page.HasContent()) {
        // The content of a new page.
        Bytes fresh;
        AppendString(fresh, "<Z S0 >");
        fresh.push_back(0);
        page.SetContent(std::move(fresh));
    }
    if (page.ContentFormat() == 1) {
        set_->Messages().Error("baco; testo ver 1 ancora pres in hqvBox!");
        return;
    }
    Bytes main, head, foot;
    page.ReadContent(main);
    BoxStream ms(main);
    std::unique_ptr<BoxStream> hs, fs;
    if (headerCopy && headerCopy->HasContent() && headerCopy->ReadContent(head))
        hs = std::make_unique<BoxStream>(head);
    if (footerCopy && footerCopy->HasContent() && footerCopy->ReadContent(foot))
        fs = std::make_unique<BoxStream>(foot);
    LoadText(&ms, hs.get(), fs.get(), 0);
    caret = FirstEditable();
    hasSelection = false;
    if (OnChanged) OnChanged(*this);
}

void THQVbox::WriteParagraphs(Bytes& out, int32_t first, int32_t last, WriteMode mode) const {
    first = std::max(first, 0);
    last = std::min(last, ParagraphCount() - 1);
    for (int32_t i = first; i <= last; ++i) paragraphs_[size_t(i)]->Write(out, mode);
}

Bytes THQVbox::Markup(WriteMode mode, int32_t from, int32_t to) const {
    Bytes out;
    for (auto& p : paragraphs_) p->Write(out, mode, from, std::min(to, p->Length()));
    return out;
}

Bytes THQVbox::OwnText() const {
    Bytes out;
    WriteParagraphs(out, headerCount, ParagraphCount() - footerCount - 1, WriteMode::Whole);
    out.push_back(0);
    return out;
}

void THQVbox::StoreText(THQVtesto& page) const {
    page.SetContent(OwnText());
    page.SetU8(195, 2);  // content format 2: current box markup
}

THQVparag* THQVbox::Resolve(TextPosition& p) const {
    if (p.paragraphIndex < 0 || p.paragraphIndex >= ParagraphCount()) {
        p.paragraph = nullptr;
        return nullptr;
    }
    p.paragraph = paragraphs_[size_t(p.paragraphIndex)].get();
    if (p.lineIndex < 0 || p.lineIndex >= int32_t(p.paragraph->Lines().size())) p.lineIndex = -1;
    return p.paragraph;
}

bool THQVbox::IsValid(const TextPosition& p) const {
    return p.paragraphIndex >= 0 && p.paragraphIndex < ParagraphCount() && p.charIndex >= 0 &&
           p.charIndex <= paragraphs_[size_t(p.paragraphIndex)]->Length();
}

TextPosition THQVbox::MakePosition(int32_t paragraph, int32_t charIndex) const {
    TextPosition p;
    p.paragraphIndex = paragraph;
    p.charIndex = charIndex;
    Resolve(p);
    return p;
}

TextPosition THQVbox::FirstEditable() const {
    int32_t i = std::min(headerCount, std::max(ParagraphCount() - 1, 0));
    return MakePosition(i, 0);
}

TextPosition THQVbox::LastEditable() const {
    int32_t i = std::max(ParagraphCount() - footerCount - 1, 0);
    return MakePosition(i, i < ParagraphCount() ? paragraphs_[size_t(i)]->Length() : 0);
}

TextPosition THQVbox::AbsoluteFirst() const { return MakePosition(0, 0); }

TextPosition THQVbox::AbsoluteLast() const {
    int32_t i = std::max(ParagraphCount() - 1, 0);
    return MakePosition(i, i < ParagraphCount() ? paragraphs_[size_t(i)]->Length() : 0);
}

void THQVbox::SetBackgroundColour(int32_t c) {
    if (c == backgroundColour_) return;
    backgroundColour_ = c;
    if (OnRepaint) OnRepaint(*this);
}

void THQVbox::SetBackgroundPicture(THQVoggetto* p) {
    if (p == backgroundPicture_) return;
    backgroundPicture_ = p;
    if (OnRepaint) OnRepaint(*this);
}

void THQVbox::SetFixedBackground(bool f) {
    if (f == fixedBackground_) return;
    fixedBackground_ = f;
    if (OnRepaint) OnRepaint(*this);
}

}  // namespace ovik
