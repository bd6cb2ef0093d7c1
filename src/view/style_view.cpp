#include "view/style_view.h"

#include <random>

#include "document/hqv_set.h"
#include "document/kinds.h"
#include "document/style_record.h"

namespace ovik {

namespace {

constexpr size_t kStyleRecordBytes = 668;

// Three paragraphs of the style, each the sample sentence twice with a link
// span in the middle (the link leads to the page itself).
Bytes SampleMarkup(int32_t pageId) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "<$%08x>", uint32_t(pageId));
    std::string markup;
    for (int i = 0; i < 3; ++i)
        markup += "<Z S" + std::to_string(THQVstyleView::kStyleNumber) + " >" + THQVstyleView::kSample + " " + tag +
                  THQVstyleView::kSample + "<%> " + THQVstyleView::kSample;
    Bytes out(markup.begin(), markup.end());
    out.push_back(0);
    return out;
}

}  // namespace

THQVstyleView::THQVstyleView(platform::TextMeasurer& measurer, platform::Messages& messages)
    : TInsiemeCornici(measurer), own_(std::make_unique<THQVset>(messages)) {
    own_->NewHypertext();
    // The default styles take numbers 0 and 1: the previewed one is the next.
    while (own_->ObjectCount(stileParagrafo) <= kStyleNumber) {
        THQVoggetto* s = own_->AddNewObject(stileParagrafo);
        if (!s) break;
        style_ = s;
    }
    style_ = own_->GetObject(stileParagrafo, kStyleNumber);
    SetStyleDefaults(*style_);
    THQVoggetto* page = own_->AddNewObject(testoHtml);
    page->SetContent(SampleMarkup(page->Id()));
    SetReadOnly(true);
    SetShowNested(false);
    SaveOnExit = false;
    SetLinkedHQVset(own_.get());
    SetMainPageNumber(page->Number());
    own_->SetModified(false);
}

THQVstyleView::~THQVstyleView() { SetLinkedHQVset(nullptr); }

void THQVstyleView::Refresh() {
    const int32_t page = MainPageNumber();
    SetMainPageNumber(-1);
    SetMainPageNumber(page);
    if (OnStyleChange) OnStyleChange();
}

void THQVstyleView::LoadStyle(const THQVoggetto& style) {
    for (size_t i = 0; i < kStyleRecordBytes; ++i) style_->SetU8(i, style.U8(i));
    style_->SetName(style.Name());
    Refresh();
}

void THQVstyleView::StoreStyle(THQVoggetto& style) const {
    for (size_t i = 0; i < kStyleRecordBytes; ++i) style.SetU8(i, style_->U8(i));
    style.SetName(style_->Name());
}

void THQVstyleView::NewStyle(int number) {
    if (number < 0) number = int(std::random_device{}() % 10000);
    style_->FillRecord(0xFF);
    SetStyleDefaults(*style_);
    style_->SetName("Nuovo stile " + std::to_string(number % 10000));
    Refresh();
}

}  // namespace ovik
