// HtmlReader: one HTML file read into box markup in a single pass.
//
// The file is decoded to Windows-1252 bytes (UTF-8 when it declares UTF-8 or
// declares nothing and is valid UTF-8, else Windows-1252), twenty zero bytes
// are appended, and the reader steps over the bytes once: text goes into the
// collected markup, tags act on a stack of formatting states and write
// paragraph tags, font tags, link tags and object tags directly. Objects
// (links, pictures, tables, form elements, markers, styles, keywords) are made
// in the linked set as they are met. A final pass puts the table cells in
// order. The reader never reads past the end of its buffer: every scan is
// bounded by the buffer's size, and the appended zero bytes end the reading.
//
// The work is split by concern: html_reader.cpp (context, text, escapes,
// attributes, values, the step loop), html_reader_head.cpp (the head rules),
// html_reader_body.cpp (body tags, links, pictures, forms, comments),
// html_reader_tables.cpp (tables and the cell pass), html_reader_css.cpp
// (linked style sheets and STYLE attributes), html_reader_forms.cpp (form
// elements and embedded programs).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/bytes.h"

namespace ovik {

class THQVset;
class THQVoggetto;

// Font style bits of a formatting state.
inline constexpr uint8_t kHtmlBold = 1, kHtmlItalic = 2, kHtmlUnderline = 4, kHtmlStrike = 8;

// The formatting in force while reading.
struct HtmlState {
    std::string face = "Times New Roman";
    int32_t size = 12;
    int32_t colour = 0;
    uint8_t styleBits = 0;
    uint8_t position = 0;  // 0 normal, 1 lowered, 2 raised
    uint8_t align = 0, listKind = 0;
    int16_t lineHeight = -32000, indent = 0, left = 10, right = 10, above = 0, below = 0;
    int32_t linkColour = 0xFF0000;
    int16_t linkSize = -1;
    uint8_t linkStyle = 4;
    int32_t styleNumber = 0;
    bool classFlag = false;
    THQVoggetto* table = nullptr;  // the table being read, or none

    // Takes the paragraph attributes and font of a paragraph style object.
    void TakeStyle(const THQVoggetto& style);
    void TakeParagraph(const HtmlState& from);
    void TakeFont(const HtmlState& from);
};

// What the reader keeps of a table while its cells are read.
struct HtmlTable {
    THQVoggetto* object = nullptr;
    int32_t cellsInRow = 0;     // cells seen in the current row
    int32_t expectedCells = 0;  // cells still expected from a marker table
    int32_t rowBackground = -1;
    int32_t rowsEnded = 0;      // rows ended so far (the object's row count)
    int32_t columns = 0;        // cells of the first row
    bool cellOpen = false;
    bool rowOpen = false;
    bool lastCellPending = false;  // the row's last cell ends with the row
    bool placed = false;        // made by a marker: its size is given
    size_t cellStart = 0;       // where the current cell's markup starts
    Bytes backgrounds;          // int32 per cell
};

// One tag's attributes: names upper case, values as written (quotes removed).
struct HtmlAttributes {
    std::vector<std::pair<std::string, std::string>> items;
    const std::string* Find(std::string_view upperName) const;
    bool Has(std::string_view upperName) const { return Find(upperName) != nullptr; }
    std::string Value(std::string_view upperName) const {
        const std::string* v = Find(upperName);
        return v ? *v : std::string();
    }
};

// Decoding of the file's bytes.
struct HtmlDecoding {
    bool utf8 = false;
    size_t replaced = 0;  // characters Windows-1252 cannot hold
};
// The file's bytes as Windows-1252: UTF-8 when the file declares UTF-8 (a
// META charset or Content-Type, or a UTF-8 byte-order mark) or declares no
// charset and is valid UTF-8 holding bytes above 127; otherwise taken as
// Windows-1252 already.
std::string DecodeHtmlBytes(std::string_view raw, HtmlDecoding& how);

// Values read from attributes.
int32_t HtmlNumber(std::string_view value, int32_t fallback);
// "#RRGGBB" as a platform colour (red in the low byte); a value of six
// characters or fewer gives black; any other value gives `fallback`.
int32_t HtmlColour(std::string_view value, int32_t fallback);
// Points of FONT SIZE ("+n"/"-n" relative to 3; sizes 1..7).
int32_t HtmlFontSize(std::string_view value);
// Points of heading level n (H0..H7).
int32_t HeadingSize(int level);
// The largest HTML size below `size`, or `size` when none is.
int32_t SmallerSize(int32_t size);
// The extension test of links and collected files: ".htm", ".html", ".txt".
bool IsPageFileName(std::string_view path);
// The page file that a link written by this program's export as a call of
// its window scripts ("javascript:OvikF_open('file', ...)" or
// "javascript:OvikF_openB('file')") opens; empty for any other reference.
std::string_view ExportedScriptTarget(std::string_view href);
// A reference of an HTML file that names a place of its own (a scheme such as
// "http:", "https:", "mailto:", "ftp:", "javascript:"), not a local file.
bool IsAddress(std::string_view ref);
// A local reference (fragment and query removed, "%XX" decoded, "\" as
// folder separator) resolved against `folder`; empty for an address.
std::filesystem::path ResolveHtmlPath(const std::filesystem::path& folder, std::string_view ref);
// Parses the attributes of a tag from `p` (after its name) up to `end`.
void ParseHtmlAttributes(const uint8_t* p, const uint8_t* end, HtmlAttributes& out);

// What the readers of one import share: the set's link addresses by their
// text, so that each link finds its equal address without a search of the
// whole object table.
// During an import only the readers add objects, so the lowest free slot of
// a kind is found by going on from the last slot taken, not by a search from
// the start for every new object.
struct HtmlImportCache {
    std::map<std::string, THQVoggetto*> addresses;
    bool filled = false;
    std::map<uint8_t, int32_t> nextSlot;
    // Styles given by the style sheets read so far: name and declarations.
    std::map<std::string, THQVoggetto*> styles;
};

class HtmlReader {
public:
    HtmlReader(THQVset& set, std::filesystem::path file, HtmlImportCache* cache = nullptr);

    // Reads the decoded bytes; `preview` stops once the markup holds 5000
    // characters or more.
    void Read(std::string_view text, bool preview);

    // The page's markup after the cell pass, without the final zero byte.
    std::string FinalMarkup();

    // Results for the page.
    std::string title;
    bool hasTitle = false;
    std::string headExtras;
    std::vector<std::string> keywords;
    bool ownPage = false, extended = false;
    int32_t language = -1;  // the language marker read, or -1
    // The slide of a page this program exported: its delay and the file of
    // the next slide (full path, Windows-1252); -1 and empty when none.
    int32_t slideDelay = -1;
    std::string slideFile;
    size_t replacedChars = 0;  // escapes of characters Windows-1252 cannot hold
    // Page values set by BODY; unset when absent.
    struct Value {
        bool set = false;
        int32_t v = 0;
    } backColour, textColour, linkColour, visitedColour, backPicture;

    // Markers and tables are cut at this nesting depth.
    static constexpr size_t kMaxDepth = 256;
    static constexpr size_t kMaxParagraph = 1800;
    static constexpr size_t kPreviewLimit = 5000;

private:
    friend struct HtmlReaderTest;
    // --- context, text and the step loop (html_reader.cpp) ---------------------
    void Step();
    void Text(uint8_t c);
    void Escape();
    void TakeChar(uint8_t c, bool blank);
    void OpenParagraph();
    void OpenPendingParagraph() {
        if (counter_ < 0) OpenParagraph();
    }
    void WriteFontTag();
    static std::string FontTagText(const HtmlState& st);
    void WriteParagraphTag(const std::string& items);
    // In a page this program exported, the no-break space written at the end
    // of every paragraph and cell (so that an empty one keeps its height) is
    // not the author's text: it is dropped when its paragraph or cell ends.
    void DropEndSpace();
    void WriteObjectTag(const THQVoggetto& o);
    // Registers a new object in the lowest free slot of its kind (the set
    // takes it); the registered object, or null.
    THQVoggetto* Store(std::unique_ptr<THQVoggetto>& o);
    // The end of the tag at `from` (its first ">", or the end of the text).
    size_t TagEnd(size_t from) const;
    // Position of `needle` (case-insensitive) from `from`, or npos.
    size_t FindNoCase(size_t from, std::string_view needle) const;
    bool MatchNoCase(size_t at, std::string_view word) const;
    void ReadAttributes(size_t from, size_t end);
    // The text between two positions with its escapes decoded and the bytes
    // below 32 dropped.
    std::string DecodedText(size_t from, size_t to) const;
    std::filesystem::path Resolve(std::string_view ref) const;
    // Push with kind k and the close rules.
    void Push(int kind);
    void Close(int kind);
    // --- head (html_reader_head.cpp) -------------------------------------------
    void HeadTag(size_t lt);
    // --- body (html_reader_body.cpp) -------------------------------------------
    // Handles the tag at `lt` and returns the position after it.
    size_t BodyTag(size_t lt);
    size_t ClosingTag(size_t lt, std::string_view name, size_t end);
    size_t OpeningTag(size_t lt, std::string_view name, size_t nameEnd, size_t end);
    size_t Bang(size_t lt, size_t end);
    void Heading(int level);
    void Anchor();
    // The link object an HREF gives (registered or an equal one), or null;
    // `target` is the A tag's TARGET.
    THQVoggetto* LinkFor(std::string_view href, std::string_view target = {});
    void Picture();
    size_t Map(size_t end);
    // --- forms (html_reader_forms.cpp) -------------------------------------------
    void Input();
    size_t Select(size_t end);
    size_t TextArea(size_t end);
    void Form();
    size_t Embed(size_t end);
    void BodyValues();
    THQVoggetto* MakeMarker(uint8_t subtype, std::string_view content);
    // --- tables (html_reader_tables.cpp) ---------------------------------------
    void TableStart();
    void RowStart();
    void CellStart();
    void CellEnd();
    void RowEnd();
    void TableEnd();
    void CellMode();
    void FlushTables();
    void SplitTable();
    void EndLastCell(HtmlTable& t);
    void CellEndParagraph(const HtmlTable& t);
    void StoreTable(HtmlTable& t);
    HtmlTable* TableOf(THQVoggetto* o);
    void MarkerTable();
    void CellPass(std::string& markup);
    // --- styles (html_reader_css.cpp) ------------------------------------------
    void StyleSheet();
    void ApplyParagraphCss(std::string_view declarations, HtmlState& s) const;
    void ApplyLinkCss(std::string_view declarations, HtmlState& s) const;
    void RegisterClassStyle(const std::string& cls, const std::string& name,
                            std::unique_ptr<THQVoggetto> style);
    void StyleTable(size_t lt);
    std::string DivStyleItems(const std::string& css);

    THQVset& set_;
    HtmlImportCache* cache_;
    std::filesystem::path file_, folder_;
    const uint8_t* d_ = nullptr;
    size_t n_ = 0;  // the text's size; d_[n_ .. n_+19] are zero bytes
    size_t i_ = 0;
    std::string buffer_;
    std::string markup_;
    HtmlState cur_;
    std::vector<std::pair<int, HtmlState>> stack_;
    int64_t counter_ = 0;
    bool lastBlank_ = false;
    size_t endSpace_ = std::string::npos;  // where the last "&nbsp;" was written
    size_t lineBreakBlank_ = std::string::npos;  // where a line break was written as a blank
    size_t fontTagAt_ = std::string::npos;  // where the last font tag starts, while nothing follows it
    std::string fontInForce_;  // the font tag of the text written last
    std::string fontBeforeTag_;  // the one before the last font tag
    bool pre_ = false;
    bool head_ = false, titleFlag_ = false, script_ = false;
    size_t scriptStart_ = 0, titleStart_ = 0, headScriptStart_ = std::string::npos;
    bool linkOpen_ = false;
    HtmlAttributes attrs_;
    std::map<std::string, THQVoggetto*> classMap_;
    std::map<std::string, std::vector<uint8_t>> maps_;  // 30 zones of 16 bytes
    THQVoggetto* currentStyle_ = nullptr;
    THQVoggetto* markerTable_ = nullptr;
    std::vector<std::unique_ptr<HtmlTable>> tables_;
    size_t tableDepth_ = 0;
    int32_t stepsWithoutProgress_ = 0;
};

}  // namespace ovik
