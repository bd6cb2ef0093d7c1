// The text model: boxes (THQVbox), paragraphs (THQVparag), character records,
// lines (THQVline), text positions, link values and placed objects; and the box
// markup that stores them.
//
// Grammar of the model
//   box        := paragraph+          header paragraphs, own paragraphs, footer paragraphs
//   paragraph  := text, records, run fonts, objects, lines, THQVParaStyle
//   text       := byte*               Windows-1252; a placed object is one blank
//   records    := record{len(text)+1} one per character, plus the end record
//   record     := width height ascent runFont object link
//     runFont  -1 = the run goes on; i >= 0 = a run starts here with runFonts[i]
//     object   -1 = ordinary character; i >= 0 = objects[i] stands here
//     link     -1 = none; else a link value (below)
//
// Invariants (THQVparag::CheckInvariants checks them):
//   - records.size() == text.size() + 1 (also for an empty paragraph);
//   - every runFont and object index is -1 or names an entry of its list;
//   - a character with an object is a blank; no object on the end record;
//   - the end record has no link;
//   - there is at least one line;
//   - every run font has the paragraph's style as base.
// The font of character i is the run font of the nearest record <= i that
// starts a run, or the paragraph's effective font when there is none.
//
// Link values: high byte = kind, low 24 bits = number. 0 (testoHtml) = a page,
// 3 (genLink) = a link object of the set, 0x6F = a page-local link by index.
// Object values in markup: 0xFF000000 + the control index of a placed object.
//
// Box markup (Windows-1252 bytes, a box stream ends at its first zero byte):
//   "<Z S" n " " items ">"   paragraph tag: style number, overridden attributes
//   "<Y " items ">"          font tag: a run starts here
//   "<$" 8 hex ">"           link tag;  "<%>" link end
//   "<$FF" 6 hex ">"         placed object; a table's cells may follow, each
//                            cell's paragraphs ended by "<T>", or "<@>"
//   "&amp;" "&lt;" "&gt;"    the escaped characters; readers decode every entity
// Items are a key letter, a value and one blank, in the key order of Attr.
//
// Typical use
//   THQVbox box(set, measurer);            // measurer: the host's, or a fixed one
//   box.LoadPage(page);                    // or: BoxStream s(bytes); box.LoadText(&s, 0, 0)
//   for (auto& p : box.Paragraphs())       // walk the text
//       for (int32_t i = 0; i < p->Length(); ++i) {
//           const CharRecord& r = p->Records()[i];
//           // p->Text()[i], p->FontAt(i), r.link, r.object >= 0 ? p->Objects()[r.object] ...
//       }
//   box.StoreText(page);                   // back into the page (content format 2)
// Header and footer paragraphs (origin 1 and 2) come first and last; the page's
// own paragraphs are headerCount .. ParagraphCount() - footerCount - 1.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/bytes.h"
#include "platform/messages.h"
#include "platform/text_measurer.h"
#include "text/text_attributes.h"

namespace ovik {

class THQVset;
class THQVoggetto;
class THQVtesto;
class THQVbox;
class THQVTextAttributes;
class THQVParaAttributes;
struct TextPosition;

inline constexpr int32_t kNoLink = -1;
inline constexpr uint32_t kObjectValueBase = 0xFF000000u;
inline constexpr int32_t kDefaultBoxColour = 12632256;  // 0xC0C0C0
// A table object's rows and columns (record bytes): its cells in markup are
// rows x columns.
inline constexpr size_t kTableRowsOffset = 93, kTableColumnsOffset = 94;

// Read access to a box stream: the bytes, the position, and the limit (the
// first zero byte at or after the starting position, or the end of the data).
// Readers never look at bytes at or past the limit.
class BoxStream {
public:
    BoxStream(const uint8_t* data, size_t size, size_t pos = 0);
    explicit BoxStream(const Bytes& b, size_t pos = 0) : BoxStream(b.data(), b.size(), pos) {}
    explicit BoxStream(std::string_view s, size_t pos = 0)
        : BoxStream(reinterpret_cast<const uint8_t*>(s.data()), s.size(), pos) {}

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    size_t Limit() const { return limit_; }
    size_t Position() const { return pos_; }
    void SetPosition(size_t p) { pos_ = p < limit_ ? p : limit_; }
    bool AtEnd() const { return pos_ >= limit_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t limit_;
    size_t pos_;
};

// Renumbering while reading: style numbers and page-local links through one
// table, object values through the other (both map old value -> new value).
//  - a style number n is looked up as 0x11000000 + n and replaced by the low 24
//    bits of its new value; it stays when not found;
//  - a link value of kind 0x6F is replaced, or becomes -1 when not found;
//  - an object value is replaced and stays when not found.
struct Renumbering {
    std::unordered_map<int32_t, int32_t> stylesAndLinks;
    std::unordered_map<int32_t, int32_t> objects;

    // Builds the tables from the parallel lists (old[i] -> new[i]).
    static Renumbering FromLists(const std::vector<int32_t>& oldStylesLinks,
                                 const std::vector<int32_t>& newStylesLinks,
                                 const std::vector<int32_t>& oldObjects,
                                 const std::vector<int32_t>& newObjects);
    int32_t Style(int32_t n) const;
    int32_t Link(int32_t v) const;
    int32_t Object(int32_t v) const;
};

// What the markup readers of one load dropped or changed. Every read opens a
// report; the reads nested in it (the paragraphs of a box, the cells of its
// tables, pasted paragraphs) add to the one opened outermost, which shows one
// message when it closes. So a page with thousands of bad items shows one box
// that says how many there were, never one box per item.
class MarkupReadReport {
public:
    explicit MarkupReadReport(platform::Messages& messages);
    ~MarkupReadReport();
    MarkupReadReport(const MarkupReadReport&) = delete;
    MarkupReadReport& operator=(const MarkupReadReport&) = delete;

    // An item cut short ("Truncated line!"): an error for numbers and colours,
    // information for a face name.
    static void TruncatedItem(bool error);
    // A table nested past the limit whose cells were read as text of the
    // paragraph that holds it.
    static void FlattenedTable();
    // The text of the message for `errors` + `infos` truncated items and
    // `tables` flattened tables ("" when there is nothing to say).
    static std::string Text(int64_t errors, int64_t infos, int64_t tables);

private:
    platform::Messages* messages_;
    bool outermost_;
};

enum class WriteMode : uint8_t {
    Whole = 0,         // paragraph tag, text, table cells
    Flat = 1,          // like Whole without table cells
    Continuation = 2,  // a font tag instead of the paragraph tag; no table cells
    Range = 3,         // whole text; cells only for tables inside from..to-1, "<@>" for others
};
enum class ReadKind : uint8_t {
    Full,  // a table's object tag is followed by its cells (or "<@>")
    Flat,  // table tags refer to the table controls that already exist
};

// A placed object as the text sees it: pictures, tables, form elements and the
// other controls implement this. The text never owns one.
class PlacedObject {
public:
    virtual ~PlacedObject() = default;
    // The object of the set it shows (for a table, the table object).
    virtual THQVoggetto* Object() const = 0;
    // Index of its control in the page's index list (written in object tags).
    virtual int32_t ControlIndex() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;

    // Tables: their cells follow the object tag in box markup.
    virtual bool IsTable() const { return false; }
    // Reads the cells row by row, each column by column, from the stream's
    // position (each cell with THQVbox::ReadParagraphs) and leaves the stream
    // after the last cell.
    virtual void ReadCells(BoxStream& /*s*/, const Renumbering* /*renumber*/) {}
    // The origin of the paragraph that holds the table, told before its cells
    // are read: the cells' paragraphs take it.
    virtual void SetCellOrigin(uint8_t /*origin*/) {}
    // Appends the cells: each cell box's own paragraphs in mode Whole, then "<T>".
    virtual void WriteCells(Bytes& /*out*/) const {}
    // The cell boxes, row by row and column by column.
    virtual int32_t CellCount() const { return 0; }
    virtual THQVbox* Cell(int32_t /*i*/) const { return nullptr; }

    // --- layout and painting (text/layout.h, text/display_list.h) ---------------
    // Every call has a default, so a control only overrides what it supports.
    //
    // Vertical alignment against the baseline: 3 = the object's top on the
    // baseline (it hangs below), 4 = centred on the baseline, 5 and every other
    // value = standing on the baseline. The default: a picture placement
    // (immagineNew) reads its alignment byte (record byte 13); every other
    // object counts as 4.
    virtual int32_t VerticalAlignment() const;
    // True when the control does not show in the box's mode (read-only or
    // editing); layout then counts it as 0 wide and 10 high.
    virtual bool HiddenInMode(bool /*readOnly*/) const { return false; }
    // Layout tells the control the width a line offers before it asks its size:
    // tables lay their columns out for it, other controls may fit it.
    virtual void SetAvailableWidth(int32_t /*width*/) {}
    // A control without a parent is given the box as its parent before it is
    // measured, and is told so.
    virtual bool HasParent() const { return true; }
    virtual void SetParentBox(THQVbox& /*box*/) {}
    // Layout marks the control as needing placing and moves it out of sight
    // (x = kUnplacedX); painting places it again where its character lands.
    virtual void Unplace() {}
    virtual bool NeedsPlacing() const { return false; }
    virtual bool MustTakeFocus() const { return false; }
    virtual bool IsVisible() const { return true; }
    // Moves the control to box coordinates (its top left), with the box as
    // parent, and shows it; a control that must take the focus takes it.
    virtual void Place(int32_t /*x*/, int32_t /*y*/) {}
    // Whether the control lies in the selection (it draws a selection frame).
    virtual void SetInSelection(bool /*selected*/) {}
};

// Where controls waiting to be placed stand.
inline constexpr int32_t kUnplacedX = -20000;

// The page's list of controls by index, through which object tags are resolved.
class PlacedObjectIndex {
public:
    virtual ~PlacedObjectIndex() = default;
    // The control with index `n`, or null.
    virtual PlacedObject* ControlAt(int32_t n) = 0;
};

// Records the undo entry of a box change before it happens (filled by the
// editing layer; a box without one records nothing).
class BoxUndoRecorder {
public:
    virtual ~BoxUndoRecorder() = default;
    // A snapshot of paragraphs first..last of the box, described by `text`.
    virtual void RecordBoxEntry(THQVbox& box, const std::string& text, int32_t first,
                                int32_t last) = 0;
    // The entry of deleting the selection start..end (both resolved).
    virtual void RecordDeletionEntry(THQVbox& /*box*/, const std::string& /*text*/,
                                     const TextPosition& /*start*/,
                                     const TextPosition& /*end*/) {}
    // The newest entry's change now occupies paragraphs first..last.
    virtual void SetCurrentRange(THQVbox& /*box*/, int32_t /*first*/, int32_t /*last*/) {}
};

struct CharRecord {
    int32_t width = 0;
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t runFont = -1;
    int32_t object = -1;
    int32_t link = kNoLink;
    int32_t layoutWord = 0;  // scratch for layout and painting
};

class THQVparag;

// v limited to the int32 range.
int32_t ClampToInt32(int64_t v);

// One laid-out line of a paragraph.
struct THQVline {
    int32_t first = 0;
    int32_t count = 0;
    int32_t ascent = 0;
    int32_t height = 0;
    int32_t y = 0;
    int32_t alignOffset = 0;
    int32_t left = 0;
    int32_t usedWidth = 0;
};

// The layout state of a box: the widths it is laid out for and, for a page
// box, the page's client area and scroll bars (text/layout.h fills them).
struct BoxGeometry {
    // The width paragraphs are laid out for: the page's client width for a page
    // box, the cell's width for a cell box.
    int32_t layoutWidth = 0;
    // The greatest width any line needed (layout width plus overflow); at least
    // the layout width.
    int32_t neededWidth = 0;
    // Cell boxes: added to every paragraph's left and right margin and to the
    // first paragraph's top; and the width of the border drawn round the cell.
    int32_t cellInset = 0;
    int32_t cellBorder = 0;
    // The box's size (never narrower than kMinBoxWidth once laid out) and the
    // height asked for by its owner (the box is never lower than that).
    int32_t width = 0;
    int32_t height = 0;
    int32_t requestedHeight = 0;
    // Page boxes: the page's client area and scroll bars. The horizontal range is
    // 0 when nothing overflows; the vertical range is the text height.
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t hScrollRange = 0;
    int32_t hScrollPos = 0;
    int32_t vScrollRange = 0;
    int32_t vScrollPos = 0;
    // The box is shown read-only (placed objects may hide; header and footer
    // paragraphs are not hatched).
    bool readOnly = false;
};

// A caret position or one end of a selection.
struct TextPosition {
    THQVparag* paragraph = nullptr;
    int32_t paragraphIndex = 0;
    int32_t lineIndex = -1;
    int32_t charIndex = 0;
    int32_t y = 0;
    int32_t height = -1;  // -1 = not laid out
    int32_t x = 0;
    int32_t preferredX = 0;
};
// Positions compare by paragraph index, then character index.
inline bool Before(const TextPosition& a, const TextPosition& b) {
    return a.paragraphIndex != b.paragraphIndex ? a.paragraphIndex < b.paragraphIndex
                                                : a.charIndex < b.charIndex;
}

class THQVparag {
public:
    // An empty paragraph of style 0: the end record, base height 0 until
    // measured (so its one line is 20 pixels high).
    explicit THQVparag(THQVbox& box, uint8_t origin = 0);
    ~THQVparag();
    THQVparag(const THQVparag&) = delete;
    THQVparag& operator=(const THQVparag&) = delete;

    THQVbox& Box() const { return *box_; }

    // 0 = the box's own text, 1 = from the header page, 2 = from the footer page.
    uint8_t origin = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t baseHeight = 0;

    // Misspelling marks, one byte per character: blank = correct, "!" =
    // misspelt; empty = not checked yet.
    const std::string& SpellMask() const;
    std::string& MutableSpellMask() { return X().spellMask; }
    void ClearSpellMask() {
        if (extras_) extras_->spellMask.clear();
    }

    const std::string& Text() const { return text_; }
    int32_t Length() const { return int32_t(text_.size()); }
    const std::vector<CharRecord>& Records() const { return records_; }
    std::vector<CharRecord>& Records() { return records_; }
    THQVParaStyle& Style() { return style_; }
    const THQVParaStyle& Style() const { return style_; }
    const std::vector<std::unique_ptr<THQVFontStyle>>& RunFonts() const;
    const std::vector<PlacedObject*>& Objects() const;
    // The lines of the last layout; before the first layout, one line that
    // holds the whole text (base height high, 20 when that is not known).
    std::vector<THQVline>& Lines() { return LineList(); }
    const std::vector<THQVline>& Lines() const { return LineList(); }

    // Reads one paragraph from box markup at the stream's position. True when it
    // ended at a cell end tag or at the end of the data; false when the next
    // paragraph tag follows (the stream is left at it). Never reads past the
    // stream's limit. Malformed markup shows "Truncated line!" where a value is
    // cut short; the paragraph always ends with its end record.
    bool Read(BoxStream& s, ReadKind kind = ReadKind::Full, const Renumbering* renumber = nullptr);
    // Appends the markup of characters from..to-1 (mode Range: all characters,
    // cells of tables in from..to-1) to `out`.
    void Write(Bytes& out, WriteMode mode, int32_t from, int32_t to) const;
    void Write(Bytes& out, WriteMode mode = WriteMode::Whole) const {
        Write(out, mode, 0, Length());
    }

    // The run font index in force at character i (-1 = the paragraph's font).
    int32_t RunFontIndexAt(int32_t i) const;
    // The font of character i (i beyond the text = the end record), not changed
    // by links.
    TMyFont FontAt(int32_t i) const;
    // The paragraph's effective font (what the paragraph style reads).
    TMyFont Font() const { return style_.Font(); }

    // Sets the base height from the effective font's cell height.
    void MeasureBaseHeight();
    // Measures the base height and every character again (after a change of
    // style, fonts or links), in one pass.
    void Remeasure();
    // Appends an empty line whose left is the left margin plus the indent.
    THQVline& NewLine();
    // Geometry for layout.
    int32_t LeftMargin() const { return style_.Get(Attr::Left); }
    int32_t RightMargin() const { return style_.Get(Attr::Right); }
    int32_t Indent() const { return style_.Get(Attr::Indent); }
    // The width the box lays its paragraphs out for, less the margins and the
    // indent. Lengths come from documents and may be extreme: the sums saturate.
    int32_t AvailableWidth() const;

    // Removes every run start and frees the run fonts (the text then takes the
    // paragraph's font).
    void ClearRuns();
    // Makes the paragraph empty with one end record and one line (style kept).
    void ResetToEmpty();

    // Describes the first broken invariant of the model, or "" when all hold.
    std::string CheckInvariants() const;

    // Building access for editing code and importers.
    // Appends a character under `link`, measured in the font in force at the
    // end (pairwise after the previous character unless a run or link starts).
    void AppendChar(uint8_t c, int32_t link = kNoLink);
    // Adds a run font (its base becomes the paragraph's style); returns its index.
    int32_t AddRunFont(const THQVFontStyle& f);
    // Starts a run with run font `runFontIndex` at record i (0 .. Length()).
    void StartRunAt(int32_t i, int32_t runFontIndex) { records_[size_t(i)].runFont = runFontIndex; }

    // Editing access. Inserts character c with record r before character `at`
    // (0 .. Length()); the spell mask is emptied.
    void InsertChar(int32_t at, uint8_t c, const CharRecord& r);
    // Removes characters from..to-1 with their records (run fonts and objects
    // stay in their lists, so the indexes other records hold stay valid).
    void EraseChars(int32_t from, int32_t to);
    // Replaces character i (its record stays).
    void SetChar(int32_t i, uint8_t c) { text_[size_t(i)] = char(c); }
    THQVFontStyle& RunFont(int32_t i) { return *X().runFonts[size_t(i)]; }
    // Adds a placed object to the list; returns its index.
    int32_t AddObject(PlacedObject* o) {
        X().objects.push_back(o);
        return int32_t(X().objects.size() - 1);
    }
    // Moves characters from `at` on, with their records and the end record, to
    // the empty paragraph `tail` (run fonts and objects are copied so the
    // indexes stay valid); this paragraph gets a copy of the end record without
    // a run font.
    void SplitInto(int32_t at, THQVparag& tail);
    // Width, height and ascent of record i from its font and link.
    void MeasureChar(int32_t i);
    // The same when the font of character i (links not applied) is known.
    void MeasureChar(int32_t i, const TMyFont& font);

private:
    friend class MarkupReader;
    friend class MarkupWriter;

    // What only some paragraphs have. A page may hold a million paragraphs, so
    // a paragraph's fixed part is kept small: the run fonts, the placed objects
    // and the spell marks live in one block made on first use, and the lines
    // are made by the first layout (or the first look at them).
    struct Extras {
        std::vector<std::unique_ptr<THQVFontStyle>> runFonts;
        std::vector<PlacedObject*> objects;
        std::string spellMask;
    };
    Extras& X() {
        if (!extras_) extras_ = std::make_unique<Extras>();
        return *extras_;
    }
    std::vector<THQVline>& LineList() const;

    THQVbox* box_;
    std::string text_;
    std::vector<CharRecord> records_;
    THQVParaStyle style_;
    mutable std::unique_ptr<std::vector<THQVline>> lines_;
    std::unique_ptr<Extras> extras_;
};

// A text box: the paragraphs of a page's main text (with those of its header
// and footer) or of a table cell.
class THQVbox {
public:
    THQVbox(THQVset& set, platform::TextMeasurer& measurer = platform::DefaultMeasurer());
    ~THQVbox();
    THQVbox(const THQVbox&) = delete;
    THQVbox& operator=(const THQVbox&) = delete;

    THQVset& Set() const { return *set_; }
    platform::TextMeasurer& Measurer() const { return *measurer_; }

    // --- paragraphs ----------------------------------------------------------
    std::vector<std::unique_ptr<THQVparag>>& Paragraphs() { return paragraphs_; }
    const std::vector<std::unique_ptr<THQVparag>>& Paragraphs() const { return paragraphs_; }
    int32_t ParagraphCount() const { return int32_t(paragraphs_.size()); }
    THQVparag& Paragraph(int32_t i) const { return *paragraphs_[size_t(i)]; }
    THQVparag& AddParagraph(uint8_t origin = 0);
    void ClearParagraphs();
    int32_t headerCount = 0;
    int32_t footerCount = 0;

    // --- markup ----------------------------------------------------------------
    // Reads paragraphs from the stream until a read ends with a cell end tag or
    // the end of the data (or the stream stops moving). Returns how many were read.
    int32_t ReadParagraphs(BoxStream& s, uint8_t origin, const Renumbering* renumber = nullptr,
                           ReadKind kind = ReadKind::Full);
    // Reads paragraphs as ReadParagraphs does (at most `maxCount`) and inserts
    // them before paragraph `at` (clamped). Returns how many.
    int32_t InsertParagraphsAt(BoxStream& s, int32_t at, ReadKind kind,
                               const Renumbering* renumber = nullptr, int32_t maxCount = INT32_MAX,
                               uint8_t origin = 0);
    // Loads the box: header paragraphs (origin 1), the main stream from its
    // position, footer paragraphs (origin 2). Nothing happens without a main stream.
    void LoadText(BoxStream* main, BoxStream* header, BoxStream* footer, uint8_t origin = 0,
                  const Renumbering* renumber = nullptr);
    // Loads a page's main box from its content (a new page gets "<Z S0 >"), with
    // the contents of the header and footer copies. Content still in format 1
    // shows "baco; testo ver 1 ancora pres in hqvBox!" and leaves the box empty.
    void LoadPage(THQVtesto& page, THQVtesto* headerCopy = nullptr, THQVtesto* footerCopy = nullptr);
    // The box's own paragraphs in mode Whole, ended by a zero byte.
    // `expectedSize` is room to take at once.
    Bytes OwnText(size_t expectedSize = 0) const;
    // Stores the own paragraphs into the page's content (content format 2).
    void StoreText(THQVtesto& page) const;
    // Writes paragraphs first..last in `mode` (whole paragraphs).
    void WriteParagraphs(Bytes& out, int32_t first, int32_t last, WriteMode mode) const;
    // Every paragraph (header and footer ones too) in `mode`, each limited to
    // characters from..to-1 (clamped to its length); no zero byte.
    Bytes Markup(WriteMode mode = WriteMode::Whole, int32_t from = 0, int32_t to = INT32_MAX) const;

    // --- update lock -----------------------------------------------------------
    void Lock() { ++updateLock_; }
    // Releasing the last lock lays the box out again through OnLayout.
    void Unlock();
    int32_t LockCount() const { return updateLock_; }

    // --- positions and selection --------------------------------------------
    THQVparag* Resolve(TextPosition& p) const;
    bool IsValid(const TextPosition& p) const;
    TextPosition MakePosition(int32_t paragraph, int32_t charIndex) const;
    TextPosition FirstEditable() const;
    TextPosition LastEditable() const;
    TextPosition AbsoluteFirst() const;
    TextPosition AbsoluteLast() const;
    TextPosition caret;
    TextPosition selectionAnchor, selectionEnd;
    bool hasSelection = false;
    TextPosition SelectionStart() const {
        return Before(selectionEnd, selectionAnchor) ? selectionEnd : selectionAnchor;
    }
    TextPosition SelectionEnd() const {
        return Before(selectionEnd, selectionAnchor) ? selectionAnchor : selectionEnd;
    }
    void SetCaret(int32_t paragraph, int32_t charIndex) { caret = MakePosition(paragraph, charIndex); }
    void Select(const TextPosition& anchor, const TextPosition& end) {
        selectionAnchor = anchor;
        selectionEnd = end;
        hasSelection = true;
        caret = end;
    }

    // --- background -------------------------------------------------------------
    int32_t BackgroundColour() const { return backgroundColour_; }
    void SetBackgroundColour(int32_t c);
    THQVoggetto* BackgroundPicture() const { return backgroundPicture_; }
    void SetBackgroundPicture(THQVoggetto* p);
    bool FixedBackground() const { return fixedBackground_; }
    void SetFixedBackground(bool f);
    bool noBackground = false;

    // --- links to the page and editing layers --------------------------------------
    THQVoggetto* cellOwner = nullptr;  // the table of a cell box; null for a page box
    // The box's index in the page's index list; -1 until the list hands one out.
    int32_t controlIndex = -1;
    bool IsCellBox() const { return cellOwner != nullptr; }
    PlacedObjectIndex* controls = nullptr;  // resolves object tags; null = none exist
    BoxUndoRecorder* undo = nullptr;
    // Lays paragraphs first..last out again (line layout); called when the last
    // update lock is released and after style changes.
    std::function<void(THQVbox&, int32_t first, int32_t last)> OnLayout;
    // The box's content changed (tells the editing view).
    std::function<void(THQVbox&)> OnChanged;
    // The box wants repainting (background changes).
    std::function<void(THQVbox&)> OnRepaint;

    // Layout state (text/layout.h).
    BoxGeometry geometry;
    // A cell box whose height (or width: a word wider than its column) changed
    // in a relayout tells its table, which lays its rows (or columns) out again.
    std::function<void(THQVbox&)> OnCellHeightChanged;

    THQVTextAttributes& TextAttributes() { return *textAttributes_; }
    THQVParaAttributes& ParaAttributes() { return *paraAttributes_; }

    // The style object with number n, or style 0 when there is none.
    THQVoggetto* StyleObject(int32_t n) const;

private:
    THQVset* set_;
    platform::TextMeasurer* measurer_;
    std::vector<std::unique_ptr<THQVparag>> paragraphs_;
    int32_t updateLock_ = 0;
    bool layoutPending_ = false;
    int32_t backgroundColour_ = kDefaultBoxColour;
    THQVoggetto* backgroundPicture_ = nullptr;
    bool fixedBackground_ = false;
    std::unique_ptr<THQVTextAttributes> textAttributes_;
    std::unique_ptr<THQVParaAttributes> paraAttributes_;
};

// --- markup helpers shared with exporters -------------------------------------------------

// Decodes the entity or character reference at data[i] (data[i] == '&'), not
// reading at or past `limit`. Returns the byte and sets `next` after what was
// consumed.
uint8_t DecodeEntity(const uint8_t* data, size_t i, size_t limit, size_t& next);
// The byte an entity name stands for (exact match), or -1.
int EntityByte(std::string_view name);
// Appends the byte escaped for character data (bytes below 32 are dropped).
void AppendEscaped(Bytes& out, uint8_t c);

// Writes a colour as six upper-case hexadecimal digits RRGGBB.
void AppendColour(Bytes& out, int32_t colour);

}  // namespace ovik
