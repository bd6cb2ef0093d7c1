// The two editing interfaces of a box - THQVTextAttributes for runs and
// THQVParaAttributes for paragraphs - on their reading side, and the
// style-sheet operations: applying a style by name, copying a font into a
// style, a style from a paragraph, and importing styles from another hypertext.
// The commands that change attributes with undo come with the editing layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/hqv_box.h"
#include "text/text_attributes.h"

namespace ovik {

class THQVset;
class THQVoggetto;

// Run attributes at the reference position: the selection start when there is
// a selection, else the character before the caret. Pending values (chosen with
// no selection, for the next typed characters) win over the text.
class THQVTextAttributes {
public:
    explicit THQVTextAttributes(THQVbox& box) : box_(box) {}

    THQVbox& Box() const { return box_; }

    int32_t Colour() const;
    std::string Face() const;
    int32_t Size() const;
    uint8_t Style() const;
    uint8_t Position() const;
    // The link value at the reference position (-1 = none).
    int32_t LinkValue() const;
    // The link object it names: a page (kind 0) or a link object (kind 3) of the
    // set; null for none and for page-local links (those belong to the page).
    THQVoggetto* Link() const;
    // The selected text, the paragraphs' texts joined without separators.
    std::string CurrentText() const;

    // The places whose attributes reading and editing look at. Reference is
    // the selection start with a selection, else the character before the caret.
    enum class At : uint8_t {
        Reference,
        Caret,                // the character at the caret
        AfterCaret,           // the character after the caret
        BeforeSelectionStart,
        SelectionEnd,
        BeforeSelectionEnd,
    };
    // The font at a place (links not applied): the paragraph's font scanned
    // back to the nearest run start; before the first character, the
    // paragraph's font; beyond the text, the end record's.
    TMyFont FontAt(At where = At::Reference) const;
    // The link value at a place (-1 = none).
    int32_t LinkAt(At where = At::Reference) const;
    TMyFont ReferenceFont() const { return FontAt(At::Reference); }
    // True unless the font at the reference position equals the named style's
    // size, colour, face, style bits and position and the reference paragraph
    // overrides nothing. True for a name the set does not hold.
    bool DiffersFromStyle(std::string_view styleName) const;
    // Writes the current face (at most 32 characters), size, colour and style
    // bits into `style` and sets its vertical position to 0.
    void CopyFontIntoStyle(THQVoggetto& style) const;

    // Pending attributes for the next typed characters.
    struct Pending {
        int32_t colour = 0, size = 0;
        std::string face;
        uint8_t style = 0, position = 0;
        bool colourSet = false, sizeSet = false, faceSet = false, styleSet = false,
             positionSet = false;
    } pending;
    bool typingGroup = false;
    bool deletionGroup = false;

private:
    // Paragraph and character index of a place (the index may be -1).
    const THQVparag* Place(At where, int32_t& index) const;

    THQVbox& box_;
};

// Paragraph attributes of the caret's paragraph; lengths in its unit.
class THQVParaAttributes {
public:
    explicit THQVParaAttributes(THQVbox& box) : box_(box) {}

    uint8_t Alignment() const { return uint8_t(Value(Attr::Align)); }
    uint8_t ListKind() const { return uint8_t(Value(Attr::ListKind)); }
    uint8_t Unit() const { return uint8_t(Value(Attr::Unit)); }
    double LineHeight() const { return Length(Attr::LineHeight); }
    double SpaceAbove() const { return Length(Attr::Above); }
    double SpaceBelow() const { return Length(Attr::Below); }
    double FirstIndent() const { return Length(Attr::Indent); }
    double LeftMargin() const { return Length(Attr::Left); }
    double RightMargin() const { return Length(Attr::Right); }
    int32_t LinkColour() const { return Value(Attr::LinkColour); }
    int32_t LinkSize() const { return Value(Attr::LinkSize); }
    uint8_t LinkStyle() const { return uint8_t(Value(Attr::LinkStyle)); }
    // The name of the caret paragraph's style object.
    std::string StyleName() const;
    // The number of the caret paragraph's style object (what text pasted from
    // other programs takes); 0 without a caret paragraph.
    int32_t StyleNumber() const;

    // A new, unregistered style object: a copy of the caret paragraph's style
    // with every attribute replaced by the paragraph's effective value (lengths
    // through its unit) and vertical position 0.
    std::unique_ptr<THQVoggetto> StyleFromParagraph() const;

    // Applies the style named `name` to the paragraphs of the selection (the
    // caret's paragraph without one), recording the box undo entry "Stile " +
    // name first. A paragraph that already has the style loses its runs;
    // otherwise only its base changes. All paragraph overrides are cleared.
    // Returns false when the set holds no such style (the entry is recorded).
    bool ApplyStyle(std::string_view name);

private:
    const THQVparag* Caret() const;
    int32_t Value(Attr a) const;
    // A length in the paragraph's unit; 0 when there is no caret paragraph.
    double Length(Attr a) const;

    THQVbox& box_;
};

// What choosing a style name in the style box does. A name other than the
// caret paragraph's style is applied at once. The paragraph's own style is
// applied at once too when the text looks like the style; when it does not,
// the user is asked whether to change the style after the text or to format
// the text after the style.
enum class StyleBoxAction { Apply, Ask };
StyleBoxAction StyleBoxChoice(THQVbox& box, std::string_view name);

// The style window's example for changing the caret paragraph's style after
// its text: the style from the paragraph, with the font at the reference
// position.
std::unique_ptr<THQVoggetto> StyleExampleFromText(THQVbox& box);

// Applies a style object to paragraphs first..last of a box (no undo entry):
// the rule of THQVParaAttributes::ApplyStyle.
void ApplyStyleToParagraphs(THQVbox& box, int32_t first, int32_t last, THQVoggetto& style);

// Imports the styles with the given numbers of `from` into `into`: each is
// copied through its object stream; a copy equal to a registered style of
// `into` is dropped, any other gets a unique name and a new number. Returns the
// styles added to `into`, in order.
std::vector<THQVoggetto*> ImportStyles(THQVset& into, const THQVset& from,
                                       const std::vector<int32_t>& numbers);

}  // namespace ovik
