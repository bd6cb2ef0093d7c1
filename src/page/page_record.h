// The page record: typed access to the fields of a page object's record, the
// state of a new page, the automatic title and the raising of the revision.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "document/hqv_object.h"

namespace ovik {

class THQVset;

// The title of a page nobody has named yet.
inline constexpr const char kUntitledPage[] = "Senza titolo";
inline constexpr int kPageKeywordSlots = 20;
inline constexpr size_t kPageTitleMax = 71, kContextNameMax = 20, kExtraHtmlNameMax = 40;

// Header and footer page fields: the hypertext's default, or none.
inline constexpr int32_t kDefaultHeaderPage = -1, kNoHeaderPage = -2;

// Accessors over the record of a page object (kind testoHtml). The record stays
// in the object; this only names its fields.
class PageRecord {
public:
    explicit PageRecord(THQVoggetto& page) : p_(&page) {}

    int32_t ContentPosition() const { return p_->I32(0); }
    uint8_t State() const { return p_->State(); }
    void SetState(uint8_t s) { p_->SetState(s); }
    std::string Title() const { return p_->Str(page_rec::kTitle, kPageTitleMax); }
    void SetTitle(std::string_view t) { p_->SetStr(page_rec::kTitle, kPageTitleMax, t); }
    int16_t BrowseGroup() const { return p_->I16(page_rec::kBrowseGroup); }
    void SetBrowseGroup(int16_t v) { p_->SetI16(page_rec::kBrowseGroup, v); }
    int16_t BrowseNumber() const { return p_->I16(page_rec::kBrowseNumber); }
    void SetBrowseNumber(int16_t v) { p_->SetI16(page_rec::kBrowseNumber, v); }
    // -1 ordinary page, -2 popup page, n >= 0 the frame layout it hosts.
    int32_t FrameLayout() const { return p_->I32(page_rec::kFrameLayout); }
    void SetFrameLayout(int32_t v) { p_->SetI32(page_rec::kFrameLayout, v); }
    int32_t BackgroundPicture() const { return p_->I32(page_rec::kBackPicture); }
    void SetBackgroundPicture(int32_t v) { p_->SetI32(page_rec::kBackPicture, v); }
    int32_t TextColour() const { return p_->I32(page_rec::kTextColour); }
    void SetTextColour(int32_t v) { p_->SetI32(page_rec::kTextColour, v); }
    int32_t LinkColour() const { return p_->I32(page_rec::kLinkColour); }
    void SetLinkColour(int32_t v) { p_->SetI32(page_rec::kLinkColour, v); }
    int32_t VisitedColour() const { return p_->I32(page_rec::kVisitedColour); }
    void SetVisitedColour(int32_t v) { p_->SetI32(page_rec::kVisitedColour, v); }
    int32_t BackgroundColour() const { return p_->I32(page_rec::kBackColour); }
    void SetBackgroundColour(int32_t v) { p_->SetI32(page_rec::kBackColour, v); }
    // Keyword slot i (0..19): a keyword object number, -1 = empty.
    int32_t Keyword(int i) const;
    void SetKeyword(int i, int32_t number);
    int32_t ContentLength() const { return p_->I32(page_rec::kContentLen); }
    bool OutsideBrowseSequence() const { return p_->U8(page_rec::kOutsideBrowse) == 1; }
    void SetOutsideBrowseSequence(bool v) { p_->SetU8(page_rec::kOutsideBrowse, v ? 1 : 0); }
    uint16_t Language() const { return p_->U16(page_rec::kLanguage); }
    void SetLanguage(uint16_t v) { p_->SetU16(page_rec::kLanguage, v); }
    uint8_t ContentFormat() const { return p_->U8(page_rec::kContentFormat); }
    int32_t Revision() const { return p_->I32(page_rec::kRevision); }
    void SetRevision(int32_t v) { p_->SetI32(page_rec::kRevision, v); }
    std::string ContextName() const { return p_->Str(page_rec::kContextName, kContextNameMax); }
    void SetContextName(std::string_view v) { p_->SetStr(page_rec::kContextName, kContextNameMax, v); }
    int16_t SlideDelay() const { return p_->I16(page_rec::kSlideDelay); }
    void SetSlideDelay(int16_t v) { p_->SetI16(page_rec::kSlideDelay, v); }
    int32_t SlideTarget() const { return p_->I32(page_rec::kSlideTarget); }
    void SetSlideTarget(int32_t v) { p_->SetI32(page_rec::kSlideTarget, v); }
    // -2 none, -1 the hypertext's default, n >= 0 that page.
    int32_t HeaderPage() const { return p_->I32(page_rec::kHeaderPage); }
    void SetHeaderPage(int32_t v) { p_->SetI32(page_rec::kHeaderPage, v); }
    int32_t FooterPage() const { return p_->I32(page_rec::kFooterPage); }
    void SetFooterPage(int32_t v) { p_->SetI32(page_rec::kFooterPage, v); }
    int32_t WrapperPosition() const { return p_->I32(page_rec::kWrapperPos); }
    int32_t WrapperLength() const { return p_->I32(page_rec::kWrapperLen); }
    std::string ExtraHtmlName() const { return p_->Str(page_rec::kExtraHtmlName, kExtraHtmlNameMax); }
    // A name made only of blanks is stored as empty.
    void SetExtraHtmlName(std::string_view v);
    bool FixedBackground() const { return p_->I32(page_rec::kFixedBackground) == 1; }
    void SetFixedBackground(bool v) { p_->SetI32(page_rec::kFixedBackground, v ? 1 : 0); }

private:
    THQVoggetto* p_;
};

// A new, unregistered page of `set` (colours and background from the
// hypertext's defaults), or of no hypertext (silver, black, blue, red).
std::unique_ptr<THQVtesto> NewPage(THQVset* set);

// The title the first words of `content` give (box markup), or "" when they
// give none.
std::string AutomaticTitle(const Bytes& content);
// Gives an untitled page the title its content suggests.
void ApplyAutomaticTitle(THQVtesto& page);

// Raises the page's revision to `revision` when it is lower; never lowers it.
void RaiseRevision(THQVtesto& page, int32_t revision);

}  // namespace ovik
