#include "convert/hqv_to_txt.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "convert/conv_modes.h"
#include "core/codepage.h"
#include "document/format1.h"
#include "document/hqv_set.h"
#include "document/open_file.h"
#include "document/output_file.h"
#include "document/style_record.h"
#include "text/hqv_box.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

// Wrapper placeholders: marker subtype and the text that stands for it.
struct Placeholder {
    uint8_t subtype;
    const char* text;
};
constexpr Placeholder kPlaceholders[] = {{21, "!RefI:"}, {22, "!RefL:"}, {23, "!RefP:"},
                                         {24, "!RefF:"}, {25, "!RefX:"}, {26, "!RefY:"},
                                         {28, "!ReCF:"}};

void AppendHex8(std::string& out, uint32_t v) {
    uint8_t d[8];
    WriteTagDigits(d, v);
    out.append(reinterpret_cast<const char*>(d), 8);
}

// Position just after the next ">" from i, or the end.
size_t SkipTag(const uint8_t* p, size_t n, size_t i) {
    const void* gt = std::memchr(p + i, '>', n - i);
    return gt ? size_t(static_cast<const uint8_t*>(gt) - p) + 1 : n;
}

}  // namespace

bool ReadWholeFile(const fs::path& path, std::string& out) {
    auto file = OpenFile::Open(path);
    if (!file) return false;
    out.resize(size_t(file->Size()));
    return file->ReadAt(0, out.data(), out.size());
}

bool LooksBinary(std::string_view bytes) {
    if (cp1252::HasUtf16Bom(bytes)) return false;
    return bytes.substr(0, 8192).find('\0') != std::string_view::npos;
}

void AppendEscapedLine(std::string& out, std::string_view line, size_t* dropped) {
    // Plain stretches are appended whole; only the special bytes are expanded
    // (TAB, "&", "<", ">") or dropped (the other control characters).
    size_t start = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (uint8_t(c) >= 32 && c != '&' && c != '<' && c != '>') continue;
        out.append(line.data() + start, i - start);
        start = i + 1;
        switch (c) {
            case '\t': out.append(8, ' '); break;
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default:
                if (dropped) ++*dropped;
                break;
        }
    }
    out.append(line.data() + start, line.size() - start);
}

void THQVtoTxt::PageText(const uint8_t* p, size_t n, std::string& out) {
    if (const void* z = std::memchr(p, 0, n)) n = size_t(static_cast<const uint8_t*>(z) - p);
    struct OpenTable {
        int32_t remaining, total, columns;
    };
    std::vector<OpenTable> tables;
    bool firstParagraph = true;
    bool skipNextBreak = false;
    size_t i = 0;
    while (i < n) {
        uint8_t c = p[i];
        if (c == '&') {
            size_t next = i + 1;
            out += char(DecodeEntity(p, i, n, next));
            i = next > i ? next : i + 1;
            continue;
        }
        if (c != '<') {
            // Copy the run of plain characters up to the next tag or escape.
            size_t j = i + 1;
            while (j < n && p[j] != '<' && p[j] != '&') ++j;
            out.append(reinterpret_cast<const char*>(p + i), j - i);
            i = j;
            continue;
        }
        uint8_t t = i + 1 < n ? p[i + 1] : 0;
        if (t == 'Z') {
            if (!firstParagraph && tables.empty() && !skipNextBreak) out += "\r\n";
            firstParagraph = false;
            skipNextBreak = false;
            i = SkipTag(p, n, i);
        } else if (t == '$' && n - i >= 11) {
            int32_t id = int32_t(ParseTagDigits(p + i + 2));
            if (THQVoggetto* o = ResolveId(id)) {
                if (o->Kind() == tabellaHtml) {
                    int32_t rows = o->U8(93), cols = o->U8(94);
                    if (rows * cols > 0) {
                        if (tables.empty()) skipNextBreak = true;
                        tables.push_back({rows * cols, rows * cols, cols});
                    }
                } else if (o->Kind() == shortObj) {
                    uint8_t sub = o->State();
                    for (auto& ph : kPlaceholders)
                        if (ph.subtype == sub) {
                            out += ph.text;
                            AppendHex8(out, uint32_t(o->I32(5)));
                        }
                    if (sub == 27) {
                        Bytes text;
                        o->ReadContent(text);
                        out += "!ReCP:";
                        out.append(text.begin(), text.end());
                        out += "!";
                    }
                }
            }
            i = SkipTag(p, n, i);
        } else if (t == 'T' && i + 2 < n && p[i + 2] == '>' && !tables.empty()) {
            OpenTable& tb = tables.back();
            int32_t cell = tb.total - tb.remaining;
            out += (cell % tb.columns + 1 == tb.columns) ? "\r\n" : "\t";
            if (--tb.remaining <= 0) tables.pop_back();
            i += 3;
        } else if (t == 'D' || t == 'F' || t == 'R') {
            // A block without printable text, up to its closing tag.
            const char close[4] = {'<', char(t + 32), '>', 0};
            size_t j = i + 2;
            while (j + 3 <= n && std::memcmp(p + j, close, 3) != 0) ++j;
            i = j + 3 <= n ? j + 3 : n;
        } else {
            i = SkipTag(p, n, i);
        }
    }
}

void THQVtoTxt::ConvertFragment(const Bytes& source, Bytes& target) {
    std::string text;
    PageText(source.data(), source.size(), text);
    target.insert(target.end(), text.begin(), text.end());
    target.push_back(0);
}

bool THQVtoTxt::ExportPages(const std::vector<int32_t>& pages) {
    LastError.clear();
    std::string text;
    int32_t index = 0;
    for (int32_t number : pages) {
        Progress(index++, int32_t(pages.size()), kPhaseMain);
        AppendPage(number, text);
    }
    return WriteOutput(text);
}

bool THQVtoTxt::ExportPage(int32_t number) {
    LastError.clear();
    std::string text;
    AppendPage(number, text);
    return WriteOutput(text);
}

bool THQVtoTxt::WriteOutput(const std::string& text) {
    std::vector<fs::path> keep;
    if (LinkedHQVset) keep.push_back(LinkedHQVset->HQVFileName());
    if (Encoding == TextEncoding::Windows1252 && CrLf) return WriteOutputFile(ExportFileName, text, LastError, keep);
    std::string bytes = text;
    if (!CrLf) {
        std::string lf;
        lf.reserve(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i)
            if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) lf += bytes[i];
        bytes = std::move(lf);
    }
    if (Encoding == TextEncoding::Utf8) bytes = cp1252::ToUtf8(bytes);
    return WriteOutputFile(ExportFileName, bytes, LastError, keep);
}

void THQVtoTxt::AppendPage(int32_t number, std::string& text) {
    THQVtesto* page = LinkedHQVset ? LinkedHQVset->Page(number) : nullptr;
    if (!page || page->IsFree()) return;
    page->ConvertFormat1();
    CurrentPageText = page;
    Bytes content;
    if (page->ReadContent(content)) PageText(content.data(), content.size(), text);
    CurrentPageText = nullptr;
}

namespace {

// A line break ends a line: LF, CR LF or a lone CR; a final line break adds no
// line. Each line becomes a paragraph of style 0.
std::string MarkupOfText(std::string_view text, size_t& dropped) {
    std::string markup;
    markup.reserve(text.size() + text.size() / 4 + 16);
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        size_t j = i;
        while (j < n && text[j] != '\n' && text[j] != '\r') ++j;
        markup += "<Z S0 >";
        AppendEscapedLine(markup, text.substr(i, j - i), &dropped);
        if (j < n && text[j] == '\r' && j + 1 < n && text[j + 1] == '\n') ++j;
        i = j + 1;
    }
    if (markup.compare(0, 4, "<Z S") != 0) markup.insert(0, "<Z S0 >");
    return markup;
}

std::string Name(const fs::path& file) { return file.string(); }

}  // namespace

int32_t THQVtoTxt::ImportFiles(const std::vector<fs::path>& files, int /*mode*/) {
    Report = ImportReport();
    int32_t first = -1;
    int32_t index = 0;
    for (const fs::path& file : files) {
        Progress(index++, int32_t(files.size()), kPhaseMain);
        if (ImportFormatNotAvailable(file)) {
            Report.Skip(file, Name(file) + ": " + kNotAvailableText);
            continue;
        }
        try {
            // Opened without waiting and only when it is a regular file: a pipe
            // or a device under the name is left out.
            auto in = OpenFile::Open(file);
            if (!in) {
                std::error_code ec;
                const bool other = fs::exists(file, ec) && !fs::is_regular_file(file, ec);
                Report.Skip(file, other ? Name(file) + " non è un file normale: saltato."
                                        : "File non leggibile, saltato: " + Name(file));
                continue;
            }
            std::string raw(size_t(std::min<uint64_t>(in->Size(), 8192)), '\0');
            bool read = in->ReadAt(0, raw.data(), raw.size());
            if (read && LooksBinary(raw)) {
                Report.Skip(file, Name(file) + " non è un file di testo: saltato.");
                continue;
            }
            if (read && in->Size() > raw.size()) {
                raw.resize(size_t(in->Size()));
                read = in->ReadAt(0, raw.data(), raw.size());
            }
            in.reset();
            if (!read) {
                Report.Skip(file, "File non leggibile, saltato: " + Name(file));
                continue;
            }
            std::string text = cp1252::FromFileText(raw, &Report.replacedCharacters);
            std::string().swap(raw);
            std::string markup = MarkupOfText(text, Report.droppedControls);
            std::string().swap(text);
            // A page's text is counted in 32 bits in the file.
            if (markup.size() >= size_t(INT32_MAX)) {
                Report.Skip(file, "Il file " + Name(file) + " è troppo grande per una pagina: saltato.");
                continue;
            }
            Bytes content(markup.begin(), markup.end());
            content.push_back(0);
            std::string().swap(markup);
            THQVtesto* page = NewImportPage();
            if (!page) break;
            page->SetContent(std::move(content));
            ++Report.pagesMade;
            if (first < 0) first = page->Number();
        } catch (const std::bad_alloc&) {
            Report.Skip(file, "Memoria insufficiente per importare il file " + Name(file) + ": saltato.");
        }
    }
    return first < 0 ? 0 : first;
}

void THQVtoTxt::ImportFragment(const Bytes& source, Bytes& target, bool asCode, int32_t style) {
    std::vector<std::unique_ptr<THQVoggetto>> objects;
    if (asCode && LinkedHQVset) {
        style = LinkedHQVset->StyleIndex("Codice");
        if (style < 0) {
            auto s = LinkedHQVset->NewObject(stileParagrafo);
            s->SetName("Codice");
            s->SetStr(style_rec::kFace, style_rec::kFaceMax, "Courier New");
            s->SetI16(style_rec::kSize, 10);
            THQVoggetto* reg = THQVoggetto::Register(s, -1);
            style = reg ? reg->Number() : 0;
        }
    }
    const std::string paraTag = "<Z S" + std::to_string(style) + " >";
    std::string text(source.begin(), source.end());
    if (auto z = text.find('\0'); z != std::string::npos) text.resize(z);
    std::string markup;
    int32_t paragraphs = 0;
    size_t i = 0;
    auto addObject = [&](uint8_t subtype, int32_t ref, const std::string* stored) {
        auto o = LinkedHQVset ? LinkedHQVset->NewObject(shortObj)
                              : THQVoggetto::Create(nullptr, shortObj);
        o->SetState(subtype);
        o->SetI32(5, ref);
        if (stored) o->SetContent(Bytes(stored->begin(), stored->end()));
        objects.push_back(std::move(o));
        markup += "<$ff";
        uint8_t d[8];
        WriteTagDigits(d, uint32_t(objects.size() - 1));
        markup.append(reinterpret_cast<const char*>(d) + 2, 6);
        markup += ">";
    };
    do {
        size_t j = i;
        while (j < text.size() && text[j] != '\n' && text[j] != '\r') ++j;
        std::string_view line = std::string_view(text).substr(i, j - i);
        markup += paraTag;
        ++paragraphs;
        if (!asCode) {
            AppendEscapedLine(markup, line);
        } else {
            size_t k = 0;
            while (k < line.size()) {
                bool done = false;
                if (line[k] == '!' && line.size() - k >= 6) {
                    std::string_view head = line.substr(k, 6);
                    for (auto& ph : kPlaceholders) {
                        if (head == ph.text && line.size() - k >= 14) {
                            uint32_t ref = ParseTagDigits(reinterpret_cast<const uint8_t*>(line.data() + k + 6));
                            addObject(ph.subtype, int32_t(ref), nullptr);
                            k += 14;
                            done = true;
                            break;
                        }
                    }
                    if (!done && head == "!ReCP:") {
                        size_t end = line.find('!', k + 6);
                        if (end != std::string_view::npos) {
                            std::string stored(line.substr(k + 6, end - k - 6));
                            addObject(27, -1, &stored);
                            k = end + 1;
                            done = true;
                        }
                    }
                }
                if (!done) {
                    AppendEscapedLine(markup, line.substr(k, 1));
                    ++k;
                }
            }
        }
        if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
        i = j + 1;
    } while (i < text.size());

    AppendI32(target, 1);
    AppendI32(target, 0);
    AppendI32(target, 0);
    AppendI32(target, int32_t(objects.size()));
    for (size_t k = 0; k < objects.size(); ++k) {
        AppendI32(target, objects[k]->Kind());
        AppendI32(target, int32_t(k));
        objects[k]->SaveToTransfer(target);
    }
    AppendI32(target, paragraphs);
    AppendString(target, markup);
    target.push_back(0);
}

}  // namespace ovik
