#include "convert/html5_page.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "core/codepage.h"

namespace ovik {

namespace {

struct Attribute {
    std::string name;  // upper case
    std::string value;
    bool hasValue = false;
};

struct Tag {
    std::string name;  // upper case
    bool closing = false;
    std::vector<Attribute> attrs;

    const Attribute* Find(std::string_view n) const {
        for (const Attribute& a : attrs)
            if (a.name == n) return &a;
        return nullptr;
    }
    std::string Value(std::string_view n) const {
        const Attribute* a = Find(n);
        return a ? a->value : std::string();
    }
};

std::string Upper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = char(std::toupper(uint8_t(c)));
    return r;
}

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = char(std::tolower(uint8_t(c)));
    return r;
}

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the tag that starts at `lt` ("<"); `end` is set past its ">". False
// when no tag starts there.
bool ParseTag(std::string_view s, size_t lt, size_t& end, Tag& t) {
    size_t i = lt + 1;
    t = Tag();
    if (i < s.size() && s[i] == '/') {
        t.closing = true;
        ++i;
    }
    const size_t nameStart = i;
    while (i < s.size() && (std::isalnum(uint8_t(s[i])) || s[i] == '-')) ++i;
    if (i == nameStart) return false;
    t.name = Upper(s.substr(nameStart, i - nameStart));
    while (i < s.size()) {
        while (i < s.size() && Space(s[i])) ++i;
        if (i >= s.size()) break;
        if (s[i] == '>') {
            end = i + 1;
            return true;
        }
        if (s[i] == '/') {
            ++i;
            continue;
        }
        const size_t an = i;
        while (i < s.size() && !Space(s[i]) && s[i] != '=' && s[i] != '>') ++i;
        Attribute a;
        a.name = Upper(s.substr(an, i - an));
        while (i < s.size() && Space(s[i])) ++i;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && Space(s[i])) ++i;
            a.hasValue = true;
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                const char q = s[i++];
                const size_t close = s.find(q, i);
                const size_t stop = close == std::string_view::npos ? s.size() : close;
                a.value = std::string(s.substr(i, stop - i));
                i = stop == s.size() ? stop : stop + 1;
            } else {
                const size_t vs = i;
                while (i < s.size() && !Space(s[i]) && s[i] != '>') ++i;
                a.value = std::string(s.substr(vs, i - vs));
            }
        }
        if (!a.name.empty()) t.attrs.push_back(std::move(a));
    }
    end = s.size();
    return true;
}

// An attribute value between double quotes.
std::string Quoted(std::string_view v) {
    std::string r = "\"";
    for (char c : v) {
        if (c == '"') r += "&quot;";
        else r += c;
    }
    return r + "\"";
}

std::string Colour(std::string v) {
    if (!v.empty() && v.front() != '#' && v.size() == 6) v.insert(0, "#");
    return v;
}

// A length attribute: "50%" stays, a number is in pixels.
std::string Length(const std::string& v) {
    if (!v.empty() && v.back() == '%') return v;
    char* e = nullptr;
    const long n = std::strtol(v.c_str(), &e, 10);
    if (e == v.c_str()) return {};
    return std::to_string(n) + "px";
}

int Number(const std::string& v, int fallback) {
    char* e = nullptr;
    const long n = std::strtol(v.c_str(), &e, 10);
    return e == v.c_str() ? fallback : int(n);
}

// Font sizes 1 to 7 of FONT SIZE ("+n" and "-n" from 3).
std::string FontSizeCss(const std::string& v) {
    static const char* const kSizes[8] = {"", "x-small", "small", "medium", "large", "x-large", "xx-large", "xxx-large"};
    if (v.empty()) return {};
    int n = Number(v[0] == '+' ? v.substr(1) : v, 3);
    if (v[0] == '+' || v[0] == '-') n = 3 + (v[0] == '-' ? -std::abs(n) : n);
    if (n < 1) n = 1;
    if (n > 7) n = 7;
    return kSizes[n];
}

void AddStyle(std::string& style, const std::string& item) {
    if (item.empty()) return;
    if (!style.empty() && style.back() != ';') style += ';';
    style += item;
}

struct Frameset {
    std::vector<std::string> sizes;
    size_t next = 0;
};

class Writer {
public:
    explicit Writer(std::string_view page) : s_(page) { out_.reserve(page.size() + page.size() / 8 + 512); }

    std::string Run() {
        PreScan();
        size_t i = 0;
        while (i < s_.size()) {
            const size_t lt = s_.find('<', i);
            if (lt == std::string_view::npos) {
                out_.append(s_.substr(i));
                break;
            }
            out_.append(s_.substr(i, lt - i));
            i = Markup(lt);
        }
        return cp1252::ToUtf8(out_);
    }

private:
    // The body's colours and the BASE tag belong in the head in HTML5: they
    // are read before the head is written.
    void PreScan() {
        // Only three tags matter here: their names are matched without
        // reading every tag's attributes.
        auto named = [&](size_t at, std::string_view name) {
            if (at + 1 + name.size() >= s_.size()) return false;
            for (size_t k = 0; k < name.size(); ++k)
                if (std::toupper(uint8_t(s_[at + 1 + k])) != name[k]) return false;
            const char after = s_[at + 1 + name.size()];
            return Space(after) || after == '>';
        };
        for (size_t at = 0; (at = s_.find('<', at)) != std::string_view::npos; ++at) {
            const bool body = !haveBody_ && named(at, "BODY");
            const bool base = base_.empty() && named(at, "BASE");
            if (named(at, "FRAMESET")) haveFrames_ = true;
            if (!body && !base) continue;
            Tag t;
            size_t end;
            if (!ParseTag(s_, at, end, t)) continue;
            if (body) {
                body_ = t;
                haveBody_ = true;
            } else {
                base_ = "<base";
                if (const Attribute* a = t.Find("TARGET")) base_ += " target=" + Quoted(a->value);
                if (const Attribute* a = t.Find("HREF")) base_ += " href=" + Quoted(a->value);
                base_ += ">\r\n";
            }
        }
    }

    size_t Markup(size_t lt) {
        if (s_.compare(lt, 4, "<!--") == 0) {
            const size_t close = s_.find("-->", lt + 4);
            const size_t end = close == std::string_view::npos ? s_.size() : close + 3;
            out_.append(s_.substr(lt, end - lt));
            return end;
        }
        if (s_.compare(lt, 2, "<!") == 0) {
            // "<!lisnum>" and other declarations are not HTML5.
            const size_t gt = s_.find('>', lt);
            return gt == std::string_view::npos ? s_.size() : gt + 1;
        }
        Tag t;
        size_t end = lt + 1;
        if (!ParseTag(s_, lt, end, t)) {
            out_ += "&lt;";
            return lt + 1;
        }
        Element(t);
        if (!t.closing && (t.name == "SCRIPT" || t.name == "TEXTAREA" || t.name == "STYLE")) {
            // Their content is text up to their end tag.
            const std::string closeTag = "</" + t.name;
            size_t close = end;
            while ((close = s_.find("</", close)) != std::string_view::npos &&
                   Upper(s_.substr(close, closeTag.size())) != closeTag)
                ++close;
            const size_t stop = close == std::string_view::npos ? s_.size() : close;
            out_.append(s_.substr(end, stop - end));
            return stop;
        }
        return end;
    }

    // Writes `<name attrs style>`, the attributes given as name and value.
    void Open(const char* name, const std::vector<std::pair<std::string, std::string>>& attrs,
              const std::string& style = {}, bool rememberStyle = false) {
        out_ += "<";
        out_ += name;
        for (const auto& [n, v] : attrs) out_ += " " + n + (v.empty() && n != "alt" ? std::string() : "=" + Quoted(v));
        if (rememberStyle && style.empty()) {
            styleAt_ = out_.size();
            styleEmpty_ = true;
        } else if (rememberStyle) {
            out_ += " style=\"";
            styleAt_ = out_.size();
            styleEmpty_ = false;
            out_ += Quoted(style).substr(1);
        } else if (!style.empty()) {
            out_ += " style=" + Quoted(style);
        }
        out_ += ">";
    }

    // The attributes of `t` not named in `skip`, names in lower case.
    static std::vector<std::pair<std::string, std::string>> Others(const Tag& t,
                                                                   std::initializer_list<std::string_view> skip) {
        std::vector<std::pair<std::string, std::string>> r;
        for (const Attribute& a : t.attrs) {
            bool skipped = false;
            for (std::string_view k : skip) skipped = skipped || a.name == k;
            if (!skipped) r.emplace_back(Lower(a.name), a.value);
        }
        return r;
    }

    static std::string Backgrounds(const Tag& t) {
        std::string style;
        if (const Attribute* a = t.Find("BGCOLOR")) AddStyle(style, "background-color:" + Colour(a->value));
        if (const Attribute* a = t.Find("BACKGROUND")) AddStyle(style, "background-image:url('" + a->value + "')");
        return style;
    }

    // The body's start tag, once: its colours as styles (the link colours
    // are in the head).
    void Body(const Tag& t) {
        if (bodyWritten_) return;
        bodyWritten_ = true;
        std::string style;
        if (const Attribute* a = t.Find("TEXT")) AddStyle(style, "color:" + Colour(a->value));
        AddStyle(style, Backgrounds(t));
        AddStyle(style, framesets_.empty() && haveFrames_ ? "margin:0" : "");
        Open("body", Others(t, {"TEXT", "LINK", "VLINK", "ALINK", "BGCOLOR", "BACKGROUND"}), style);
    }

    // Inserts into what is written so far; the places kept move with it.
    void InsertAt(size_t pos, const std::string& text) {
        out_.insert(pos, text);
        for (auto& [name, at] : mapEnds_)
            if (at >= pos) at += text.size();
        if (aStart_ >= pos) aStart_ += text.size();
        if (aEnd_ >= pos) aEnd_ += text.size();
    }

    // The flexible-box item style of the next child of the frame set being written.
    std::string FrameItem() {
        if (framesets_.empty()) return {};
        Frameset& f = framesets_.back();
        const std::string size = f.next < f.sizes.size() ? f.sizes[f.next] : "*";
        ++f.next;
        if (size == "*" || size.empty()) return "flex:1 1 0;min-width:0;min-height:0";
        return "flex:0 0 " + (size.back() == '%' ? size : size + "px") + ";min-width:0;min-height:0";
    }

    void Element(const Tag& t) {
        const std::string& n = t.name;
        if (t.closing) {
            if (n == "A") {
                aOpen_ = false;
                if (dropAClose_) {
                    dropAClose_ = false;
                    return;
                }
                out_ += "</a>";
            } else if (n == "FORM") {
                form_.clear();  // the form was closed where it started
            } else if (n == "MAP") {
                if (!map_.empty()) mapEnds_[map_] = out_.size();
                map_.clear();
                out_ += "</map>";
            } else if (n == "FONT") out_ += "</span>";
            else if (n == "LI" || n == "BASE" || n == "EMBED" || n == "FRAME") return;
            else if (n == "FRAMESET" || n == "NOFRAME") {
                if (n == "FRAMESET" && !framesets_.empty()) framesets_.pop_back();
                out_ += "</div>";
            } else if (n == "TABLE") {
                if (!tables_.empty()) tables_.pop_back();
                out_ += "</table>";
            } else if (n == "HEAD") {
                out_ += base_;
                std::string links;
                if (const Attribute* a = body_.Find("LINK")) links += "a:link{color:" + Colour(a->value) + "}";
                if (const Attribute* a = body_.Find("VLINK")) links += "a:visited{color:" + Colour(a->value) + "}";
                if (!links.empty()) out_ += "<style>" + links + "</style>\r\n";
                out_ += "</head>";
            } else if (n == "STRIKE") out_ += "</s>";
            else out_ += "</" + Lower(n) + ">";
            return;
        }
        if (n == "HTML") {
            out_ += "<!DOCTYPE html>\r\n<html>";
        } else if (n == "HEAD") {
            out_ += "<head>\r\n<meta charset=\"utf-8\">\r\n"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
        } else if (n == "META") {
            const std::string equiv = Upper(t.Value("HTTP-EQUIV"));
            if (equiv == "CONTENT-TYPE" || t.Find("CHARSET")) return;
            auto attrs = Others(t, {});
            // A refresh names its page after "; ".
            if (equiv == "REFRESH")
                for (auto& [an, av] : attrs)
                    if (an == "content")
                        if (size_t semi = av.find(';'); semi != std::string::npos && semi + 1 < av.size() && av[semi + 1] != ' ')
                            av.insert(semi + 1, " ");
            Open("meta", attrs);
        } else if (n == "LINK") {
            Open("link", Others(t, {"TYPE"}));
        } else if (n == "BASE") {
            return;  // written in the head
        } else if (n == "BODY") {
            Body(t);
        } else if (n == "DIV") {
            std::string style;
            if (const Attribute* a = t.Find("ALIGN")) AddStyle(style, "text-align:" + Lower(a->value));
            AddStyle(style, t.Value("STYLE"));
            Open("div", Others(t, {"ALIGN", "STYLE"}), style, true);
        } else if (n == "LI") {
            // A list item is its paragraph shown as one.
            if (styleAt_ != std::string::npos) {
                InsertAt(styleAt_, styleEmpty_ ? " style=\"display:list-item\"" : "display:list-item;");
                styleAt_ = std::string::npos;
            }
        } else if (n == "FONT") {
            std::string style = t.Value("STYLE");
            if (style.empty()) {
                if (const Attribute* a = t.Find("COLOR")) AddStyle(style, "color:" + Colour(a->value));
                if (const Attribute* a = t.Find("FACE")) AddStyle(style, "font-family:'" + a->value + "'");
                if (const Attribute* a = t.Find("SIZE")) AddStyle(style, "font-size:" + FontSizeCss(a->value));
            }
            Open("span", {}, style);
        } else if (n == "STRIKE") {
            out_ += "<s>";
        } else if (n == "A") {
            auto attrs = Others(t, {"NAME"});
            // An id names one place of a page: a second anchor of the same
            // number (the first is the one a link reaches) goes without.
            if (const Attribute* a = t.Find("NAME"); a && ids_.insert(a->value).second) attrs.emplace_back("id", a->value);
            aStart_ = out_.size();
            Open("a", attrs);
            aEnd_ = out_.size();
            aTag_ = t;
            aOpen_ = true;
        } else if (n == "MAP") {
            map_ = Lower(t.Value("NAME"));
            Open("map", Others(t, {}));
        } else if (n == "FORM") {
            // Form elements stand in several paragraphs: the form is closed
            // where it starts and its elements name it.
            form_ = "ovikform" + std::to_string(++forms_);
            auto attrs = Others(t, {"ID"});
            attrs.emplace_back("id", form_);
            Open("form", attrs);
            out_ += "</form>";
        } else if (n == "SELECT" || n == "TEXTAREA" || n == "BUTTON") {
            auto attrs = Others(t, {});
            if (!form_.empty()) attrs.emplace_back("form", form_);
            Open(Lower(n).c_str(), attrs);
        } else if (n == "IMG") {
            std::string style;
            if (const Attribute* a = t.Find("BORDER")) AddStyle(style, "border:" + std::to_string(Number(a->value, 0)) + "px solid");
            const std::string align = Upper(t.Value("ALIGN"));
            if (align == "LEFT" || align == "RIGHT") AddStyle(style, "float:" + Lower(align));
            else if (align == "TOP" || align == "BOTTOM") AddStyle(style, "vertical-align:" + Lower(align));
            else if (!align.empty()) AddStyle(style, "vertical-align:middle");
            if (const Attribute* a = t.Find("HSPACE")) AddStyle(style, "margin-left:" + Length(a->value) + ";margin-right:" + Length(a->value));
            if (const Attribute* a = t.Find("VSPACE")) AddStyle(style, "margin-top:" + Length(a->value) + ";margin-bottom:" + Length(a->value));
            auto attrs = Others(t, {"BORDER", "ALIGN", "HSPACE", "VSPACE", "LOWSRC", "NAME", "ALT"});
            attrs.emplace_back("alt", t.Value("ALT"));
            if (const Attribute* a = t.Find("NAME"); a && ids_.insert(a->value).second) attrs.emplace_back("id", a->value);
            // A picture with click zones may not stand inside a link: the
            // link becomes the map's area for the rest of the picture, and
            // its mouse handlers go onto the picture.
            const std::string usemap = Lower(t.Value("USEMAP"));
            auto map = mapEnds_.find(usemap.empty() ? usemap : usemap.substr(usemap[0] == '#' ? 1 : 0));
            if (aOpen_ && aEnd_ == out_.size() && map != mapEnds_.end() && map->second < aStart_) {
                out_.erase(aStart_);
                std::vector<std::pair<std::string, std::string>> area = {{"shape", "default"}};
                for (const Attribute& a : aTag_.attrs) {
                    if (a.name == "HREF" || a.name == "TARGET" || a.name == "ONCLICK") area.emplace_back(Lower(a.name), a.value);
                    else if (a.name == "ONMOUSEOVER" || a.name == "ONMOUSEOUT") attrs.emplace_back(Lower(a.name), a.value);
                }
                area.emplace_back("alt", aTag_.Value("TITLE").empty() ? "collegamento" : aTag_.Value("TITLE"));
                std::string areaTag;
                std::swap(out_, areaTag);
                Open("area", area);
                std::swap(out_, areaTag);
                InsertAt(map->second, areaTag);
                dropAClose_ = true;
                aOpen_ = false;
            }
            Open("img", attrs, style);
        } else if (n == "AREA") {
            auto attrs = Others(t, {"ALT", "NOHREF"});
            std::string alt = t.Value("ALT");
            if (alt.empty()) alt = t.Value("TITLE");
            if (alt.empty()) alt = "collegamento";
            attrs.emplace_back("alt", alt);
            Open("area", attrs);
        } else if (n == "TABLE") {
            TableLook look;
            look.border = t.Find("BORDER") ? Number(t.Value("BORDER"), 1) : 0;
            look.padding = Number(t.Value("CELLPADDING"), 1);
            std::string style;
            if (const Attribute* a = t.Find("WIDTH")) AddStyle(style, "width:" + Length(a->value));
            if (const Attribute* a = t.Find("HEIGHT")) AddStyle(style, "height:" + Length(a->value));
            if (look.border > 0) AddStyle(style, "border:" + std::to_string(look.border) + "px outset");
            AddStyle(style, "border-spacing:" + std::to_string(Number(t.Value("CELLSPACING"), 2)) + "px");
            AddStyle(style, Backgrounds(t));
            tables_.push_back(look);
            Open("table", Others(t, {"WIDTH", "HEIGHT", "BORDER", "CELLPADDING", "CELLSPACING", "BGCOLOR", "BACKGROUND", "ALIGN"}), style);
        } else if (n == "TR") {
            Open("tr", Others(t, {"BGCOLOR", "BACKGROUND", "VALIGN", "ALIGN"}), Backgrounds(t));
        } else if (n == "TD" || n == "TH") {
            std::string style;
            if (const Attribute* a = t.Find("WIDTH")) AddStyle(style, "width:" + Length(a->value));
            if (const Attribute* a = t.Find("VALIGN")) AddStyle(style, "vertical-align:" + Lower(a->value));
            if (const Attribute* a = t.Find("ALIGN")) AddStyle(style, "text-align:" + Lower(a->value));
            if (t.Find("NOWRAP")) AddStyle(style, "white-space:nowrap");
            AddStyle(style, Backgrounds(t));
            if (!tables_.empty()) {
                AddStyle(style, "padding:" + std::to_string(tables_.back().padding) + "px");
                if (tables_.back().border > 0) AddStyle(style, "border:1px inset");
            }
            Open(n == "TD" ? "td" : "th", Others(t, {"WIDTH", "VALIGN", "ALIGN", "NOWRAP", "BGCOLOR", "BACKGROUND", "HEIGHT"}), style);
        } else if (n == "SCRIPT") {
            Open("script", Others(t, {"LANGUAGE", "TYPE"}));
        } else if (n == "INPUT") {
            std::string style;
            if (const Attribute* a = t.Find("BORDER")) AddStyle(style, "border:" + std::to_string(Number(a->value, 0)) + "px solid");
            const std::string type = Lower(t.Value("TYPE"));
            const bool image = type == "image";
            auto attrs = Others(t, image || type == "file" ? std::initializer_list<std::string_view>{"BORDER", "ALIGN", "VALUE", "ALT"}
                                                           : std::initializer_list<std::string_view>{"BORDER", "ALIGN"});
            if (image) {
                std::string alt = t.Value("ALT");
                if (alt.empty()) alt = t.Value("VALUE");
                if (alt.empty()) alt = t.Value("NAME");
                attrs.emplace_back("alt", alt.empty() ? "pulsante" : alt);
            }
            if (!form_.empty()) attrs.emplace_back("form", form_);
            Open("input", attrs, style);
        } else if (n == "EMBED") {
            Open("embed", Others(t, {}));
        } else if (n == "IFRAME") {
            std::string style;
            if (const Attribute* a = t.Find("FRAMEBORDER"); a && (a->value == "0" || Lower(a->value) == "no"))
                AddStyle(style, "border:0");
            if (const Attribute* a = t.Find("BORDERCOLOR")) AddStyle(style, "border-color:" + Colour(a->value));
            Open("iframe", Others(t, {"FRAMEBORDER", "SCROLLING", "MARGINWIDTH", "MARGINHEIGHT", "ALIGN", "HSPACE", "VSPACE",
                                      "TARGET", "BORDERCOLOR"}), style);
        } else if (n == "FRAMESET") {
            // A frame set stands before the page's BODY: the body starts here.
            if (framesets_.empty()) Body(body_);
            const bool rows = t.Find("ROWS") != nullptr;
            std::string style = FrameItem();
            AddStyle(style, std::string("display:flex;flex-direction:") + (rows ? "column" : "row"));
            AddStyle(style, framesets_.empty() ? "width:100%;height:100vh" : "width:100%;height:100%");
            Frameset f;
            const std::string sizes = t.Value(rows ? "ROWS" : "COLS");
            for (size_t s = 0; s <= sizes.size();) {
                size_t comma = sizes.find(',', s);
                if (comma == std::string::npos) comma = sizes.size();
                std::string item = sizes.substr(s, comma - s);
                while (!item.empty() && Space(item.back())) item.pop_back();
                while (!item.empty() && Space(item.front())) item.erase(0, 1);
                f.sizes.push_back(item);
                s = comma + 1;
            }
            framesets_.push_back(std::move(f));
            Open("div", {}, style);
        } else if (n == "FRAME") {
            std::string style = FrameItem();
            const std::string border = Lower(t.Value("FRAMEBORDER"));
            AddStyle(style, border == "no" || border == "0" ? "border:0" : "border:1px solid #808080");
            AddStyle(style, "width:100%;height:100%;box-sizing:border-box");
            std::vector<std::pair<std::string, std::string>> attrs;
            if (const Attribute* a = t.Find("NAME")) attrs.emplace_back("name", a->value);
            if (const Attribute* a = t.Find("SRC")) attrs.emplace_back("src", a->value);
            if (const Attribute* a = t.Find("TITLE")) attrs.emplace_back("title", a->value);
            Open("iframe", attrs, style);
            out_ += "</iframe>";
        } else if (n == "NOFRAME") {
            // The page's own content for browsers without frames: the frames
            // above show the page.
            out_ += "<div hidden>";
        } else {
            std::vector<std::pair<std::string, std::string>> attrs = Others(t, {});
            const std::string low = Lower(n);
            Open(low.c_str(), attrs);
        }
    }

    struct TableLook {
        int border = 0, padding = 1;
    };

    std::string_view s_;
    std::string out_;
    Tag body_;
    bool haveBody_ = false, haveFrames_ = false, bodyWritten_ = false;
    std::string base_;
    size_t styleAt_ = std::string::npos;  // where the last DIV's style value starts
    bool styleEmpty_ = false;             // that DIV has no style: one is added there
    std::vector<TableLook> tables_;
    // The link being written (where its start tag is), for a picture with
    // zones inside it; the MAP being written and where each map ends.
    bool aOpen_ = false, dropAClose_ = false;
    size_t aStart_ = 0, aEnd_ = 0;
    Tag aTag_;
    std::string map_;
    std::map<std::string, size_t> mapEnds_;
    std::set<std::string> ids_;  // the ids given so far
    // The form whose elements are being written, and how many there were.
    std::string form_;
    int forms_ = 0;
    std::vector<Frameset> framesets_;
};

}  // namespace

std::string Html5Page(std::string_view page) { return Writer(page).Run(); }

std::string Html5Text(std::string_view text) { return cp1252::ToUtf8(text); }

}  // namespace ovik
