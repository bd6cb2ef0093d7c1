// THQVstyleView: a read-only view that previews a paragraph style. It keeps a
// hypertext of its own holding one paragraph style (number 2) and one page of
// three sample paragraphs in that style, each with a link span. Loading a style
// copies it into the private one and shows the page again; storing copies it
// back.
//
//   THQVstyleView preview(measurer, messages);
//   preview.LoadStyle(*set.FindStyle("Titolo"));   // shown in that style
//   ... the user changes the private style through Style() ...
//   preview.StoreStyle(*set.FindStyle("Titolo"));
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "view/editing_view.h"

namespace ovik {

namespace platform {
class Messages;
}

class THQVstyleView : public TInsiemeCornici {
public:
    static constexpr int32_t kStyleNumber = 2;
    static constexpr const char* kSample = "The quick brown fox jumps over the lazy dog.";

    THQVstyleView(platform::TextMeasurer& measurer, platform::Messages& messages);
    ~THQVstyleView();

    // The private hypertext and its style.
    THQVset& Set() { return *own_; }
    THQVoggetto& Style() const { return *style_; }
    // Copies `style` (its record and name) into the private style, shows the
    // page again and fires OnStyleChange.
    void LoadStyle(const THQVoggetto& style);
    // Copies the private style into `style`.
    void StoreStyle(THQVoggetto& style) const;
    // Resets the private style to a new one named "Nuovo stile " and a number
    // below 10000 (`number`; negative: a random one), and shows it.
    void NewStyle(int number = -1);
    // Shows the page again after the private style was changed in place.
    void Refresh();

    std::function<void()> OnStyleChange;

private:
    std::unique_ptr<THQVset> own_;
    THQVoggetto* style_ = nullptr;
};

}  // namespace ovik
