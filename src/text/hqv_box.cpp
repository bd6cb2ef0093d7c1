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
}

THQVparag::~THQVparag() = default;

void THQVparag::ResetToEmpty() {
    text_.clear();
    records_.assign(1, CharRecord{});
    extras_.reset();
    lines_.reset();
    MeasureBaseHeight();
}

const std::string& THQVparag::SpellMask() const {
    static const std::string none;
    return extras_ ? extras_->spellMask : none;
}

const std::vector<std::unique_ptr<THQVFontStyle>>& THQVparag::RunFonts() const {
    static const std::vector<std::unique_ptr<THQVFontStyle>> none;
    return extras_ ? extras_->runFonts : none;
}

const std::vector<PlacedObject*>& THQVparag::Objects() const {
    static const std::vector<PlacedObject*> none;
    return extras_ ? extras_->objects : none;
}

std::vector<THQVline>& THQVparag::LineList() const {
    if (!lines_) {
        lines_ = std::make_unique<std::vector<THQVline>>(1);
        THQVline& l = lines_->front();
        l.left = ClampToInt32(int64_t(LeftMargin()) + Indent());
        l.count = Length();
        l.height = baseHeight > 0 ? baseHeight : 20;
    }
    return *lines_;
}

int32_t THQVparag::AvailableWidth() const {
    return ClampToInt32(int64_t(box_->geometry.layoutWidth) - LeftMargin() - RightMargin() - Indent());
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
    if (r >= 0 && size_t(r) < RunFonts().size()) return RunFonts()[size_t(r)]->Font();
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
        if (run >= 0 && size_t(run) < RunFonts().size()) font = RunFonts()[size_t(run)]->Font();
        MeasureChar(i, font);
    }
}

THQVline& THQVparag::NewLine() {
    THQVline l;
    l.left = ClampToInt32(int64_t(LeftMargin()) + Indent());
    if (!lines_) lines_ = std::make_unique<std::vector<THQVline>>();
    lines_->push_back(l);
    return lines_->back();
}

void THQVparag::ClearRuns() {
    for (auto& r : records_) r.runFont = -1;
    if (extras_) extras_->runFonts.clear();
}

int32_t THQVparag::AddRunFont(const THQVFontStyle& f) {
    auto& fonts = X().runFonts;
    fonts.push_back(std::make_unique<THQVFontStyle>(style_.Base()));
    fonts.back()->Assign(f);
    fonts.back()->SetBase(style_.Base());
    return int32_t(fonts.size() - 1);
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
    if (lines_ && !lines_->empty()) lines_->back().count++;
}

void THQVparag::InsertChar(int32_t at, uint8_t c, const CharRecord& r) {
    at = std::clamp(at, 0, Length());
    text_.insert(text_.begin() + at, char(c));
    records_.insert(records_.begin() + at, r);
    ClearSpellMask();
}

void THQVparag::EraseChars(int32_t from, int32_t to) {
    from = std::clamp(from, 0, Length());
    to = std::clamp(to, from, Length());
    if (from == to) return;
    text_.erase(size_t(from), size_t(to - from));
    records_.erase(records_.begin() + from, records_.begin() + to);
    ClearSpellMask();
}

void THQVparag::SplitInto(int32_t at, THQVparag& tail) {
    at = std::clamp(at, 0, Length());
    tail.text_ = text_.substr(size_t(at));
    tail.records_.assign(records_.begin() + at, records_.end());
    tail.extras_.reset();
    if (extras_) {
        for (auto& f : extras_->runFonts) {
            auto& fonts = tail.X().runFonts;
            fonts.push_back(std::make_unique<THQVFontStyle>(tail.style_.Base()));
            fonts.back()->Assign(*f);
            fonts.back()->SetBase(tail.style_.Base());
        }
        if (!extras_->objects.empty()) tail.X().objects = extras_->objects;
    }
    CharRecord end = records_.back();
    end.runFont = -1;
    end.object = -1;
    end.link = kNoLink;
    text_.resize(size_t(at));
    records_.resize(size_t(at));
    records_.push_back(end);
    ClearSpellMask();
    tail.ClearSpellMask();
}

void THQVparag::MeasureChar(int32_t i) {
    if (i < 0 || i >= Length()) return;
    MeasureChar(i, FontAt(i));
}

void THQVparag::MeasureChar(int32_t i, const TMyFont& font) {
    if (i < 0 || i >= Length()) return;
    CharRecord& r = records_[size_t(i)];
    if (r.object >= 0) {
        const PlacedObject* o = Objects()[size_t(r.object)];
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
    if (Lines().empty()) return "no line";
    for (size_t i = 0; i < records_.size(); ++i) {
        const CharRecord& r = records_[i];
        const std::string at = " at " + std::to_string(i);
        if (r.runFont < -1 || r.runFont >= int32_t(RunFonts().size()))
            return "run font index " + std::to_string(r.runFont) + at;
        if (r.object < -1 || r.object >= int32_t(Objects().size()))
            return "object index " + std::to_string(r.object) + at;
        if (r.object >= 0 && (i == text_.size() || text_[i] != ' '))
            return "object not on a blank" + at;
    }
    if (records_.back().link != kNoLink) return "end record has a link";
    for (auto& f : RunFonts())
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
    // Content in memory is read where it lies; only content still in the file
    // is copied first.
    Bytes copy, head, foot;
    const Bytes* main = page.MemContent();
    if (!main) {
        page.ReadContent(copy);
        main = &copy;
    }
    BoxStream ms(*main);
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

Bytes THQVbox::OwnText(size_t expectedSize) const {
    Bytes out;
    out.reserve(expectedSize);
    WriteParagraphs(out, headerCount, ParagraphCount() - footerCount - 1, WriteMode::Whole);
    out.push_back(0);
    return out;
}

void THQVbox::StoreText(THQVtesto& page) const {
    // The stored text is about as long as the text read: room for it and a
    // little more is taken at once, and the old text goes before the new one
    // is written, so a large page is not held three times over.
    const uint64_t old = page.ContentLength();
    page.ClearContent();
    page.SetContent(OwnText(size_t(std::min<uint64_t>(old + old / 16 + 64, uint64_t(1) << 32))));
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
