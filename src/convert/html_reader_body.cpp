// Body tags of an HTML file: formatting, paragraphs, links and anchors,
// pictures and image maps, comments and markers, BODY's page values.
#include <algorithm>
#include <cstring>

#include "convert/html_reader.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "links/link_objects.h"

namespace ovik {

namespace fs = std::filesystem;

namespace {

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return r;
}

bool NameChar(uint8_t c) { return std::isalnum(c) != 0; }

// The anchor number of a fragment "anN", or -1.
int32_t AnchorOfFragment(std::string_view frag) {
    if (frag.size() < 3 || frag[0] != 'a' || frag[1] != 'n') return -1;
    for (size_t i = 2; i < frag.size(); ++i)
        if (frag[i] < '0' || frag[i] > '9') return -1;
    return HtmlNumber(frag.substr(2), -1);
}

// Alignment of P, DIV and headings: 0, 1, 2 or -1 when not given or unknown.
int AlignOf(const HtmlAttributes& a) {
    const std::string* v = a.Find("ALIGN");
    if (!v) return -1;
    const std::string low = LowerAscii(*v);
    if (low == "left") return 0;
    if (low == "right") return 1;
    if (low == "center") return 2;
    return -1;
}

}  // namespace

void HtmlReader::BodyValues() {
    auto take = [&](const char* name, Value& v, int32_t fallback) {
        if (const std::string* s = attrs_.Find(name)) {
            v.set = true;
            v.v = HtmlColour(*s, fallback);
        }
    };
    take("BGCOLOR", backColour, 0xFFFFFF);
    take("TEXT", textColour, 0);
    take("LINK", linkColour, 255);
    take("VLINK", visitedColour, 255);
    if (const std::string* bg = attrs_.Find("BACKGROUND")) {
        fs::path p = Resolve(*bg);
        if (THQVoggetto* pic = p.empty() ? nullptr : set_.AddPictureFile(p)) {
            backPicture.set = true;
            backPicture.v = pic->Number();
        }
    }
}

THQVoggetto* HtmlReader::MakeMarker(uint8_t subtype, std::string_view content) {
    auto m = set_.NewObject(shortObj);
    m->SetState(subtype);
    m->SetContent(Bytes(content.begin(), content.end()));
    THQVoggetto* reg = Store(m);
    if (reg) WriteObjectTag(*reg);
    return reg;
}

namespace {

// The second quoted argument of an exported script call (the window name of
// "javascript:OvikF_open('file','name',...)").
std::string ScriptWindowName(std::string_view href) {
    size_t q = href.find('\'');  // the file argument
    if (q == std::string_view::npos) return {};
    q = href.find('\'', q + 1);
    if (q == std::string_view::npos) return {};
    const size_t open = href.find('\'', q + 1);
    if (open == std::string_view::npos) return {};
    const size_t close = href.find('\'', open + 1);
    if (close == std::string_view::npos) return {};
    return std::string(href.substr(open + 1, close - open - 1));
}

// A page file that export wrote for pages shown alone (its secondary file):
// the name ends in "-index" or "-" and six hexadecimal digits.
bool SecondaryPageFile(std::string_view path) {
    std::string stem = std::filesystem::path(std::string(path)).stem().string();
    for (char& c : stem)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (stem.size() >= 6 && stem.compare(stem.size() - 6, 6, "-index") == 0) return true;
    if (stem.size() < 7 || stem[stem.size() - 7] != '-') return false;
    for (size_t k = stem.size() - 6; k < stem.size(); ++k)
        if (!std::isxdigit(uint8_t(stem[k]))) return false;
    return true;
}

}  // namespace

THQVoggetto* HtmlReader::LinkFor(std::string_view href, std::string_view target) {
    // How a page this program exported opens its link: in a named window or
    // frame, a new browser or a separate window (the exported scripts). The
    // "Auto import" link keeps it, and becomes that link once resolved.
    uint8_t action = links::kActJump;
    std::string window;
    const std::string_view full = href;
    if (std::string_view inner = ExportedScriptTarget(href); !inner.empty()) {
        const bool browser = LowerAscii(full.substr(0, 24)) == "javascript:ovikf_openb('";
        action = browser ? links::kActNewBrowser : links::kActSeparateWindow;
        if (!browser) window = ScriptWindowName(full);
        href = inner;
    } else if (ownPage && !target.empty()) {
        const std::string t = LowerAscii(target);
        if (t == "_self") action = links::kActReplaceFrame;
        else if (t != "_top" && t != "_blank" && t != "_parent") {
            action = links::kActNamedFrame;
            window = std::string(target);
        }
    }
    const size_t hash = href.find('#');
    const std::string_view path = href.substr(0, hash);
    const std::string_view frag = hash == std::string_view::npos ? std::string_view() : href.substr(hash + 1);
    const int32_t anchor = AnchorOfFragment(frag);
    if (path.empty() && anchor >= 0) {
        // An anchor of this page.
        auto s = links::NewSpecialLink(set_, links::kSpecGoTo);
        links::SpecialLink l{*s};
        l.SetAction(links::kActAnchorInPage);
        l.SetAnchor(anchor);
        return Store(s);
    }
    std::string pathNoQuery(path.substr(0, path.find('?')));
    if (IsAddress(href) || !IsPageFileName(pathNoQuery)) {
        auto l = set_.NewInternetLink(href.substr(0, 127));
        if (!cache_) return set_.EqualOrRegistered(l);
        if (!cache_->filled) {
            cache_->filled = true;
            for (int32_t k = set_.ObjectCount(internetLink) - 1; k >= 0; --k)
                if (THQVoggetto* o = set_.GetObject(internetLink, k); o && !o->IsFree())
                    cache_->addresses[o->Name()] = o;
        }
        const std::string address = l->Name();
        auto it = cache_->addresses.find(address);
        if (it != cache_->addresses.end() && !it->second->IsFree() && it->second->Name() == address)
            return it->second;
        // The cache holds every address of the set: this one is new.
        THQVoggetto* reg = Store(l);
        if (reg) cache_->addresses[address] = reg;
        return reg;
    }
    fs::path file = Resolve(path);
    if (file.empty()) return nullptr;
    auto s = links::NewSpecialLink(set_, links::kSpecAutoImport);
    links::SpecialLink l{*s};
    l.SetImportPath(cp1252::FromUtf8(file.string()));
    if (anchor >= 0) l.SetAnchor(anchor);
    if (ownPage) {
        l.SetAction(action);
        l.SetWindowName(window.substr(0, links::spec_rec::kWindowNameLen));
        l.SetDisplayMode(SecondaryPageFile(pathNoQuery) ? 0 : 1);
    }
    return Store(s);
}

void HtmlReader::Anchor() {
    const std::string* href = attrs_.Find("HREF");
    if (!href) {
        // A named place: "anN" is the anchor marker N.
        const int32_t n = AnchorOfFragment(attrs_.Value("NAME"));
        if (n < 0) return;
        auto a = links::NewAnchor(set_, n);
        if (THQVoggetto* reg = Store(a)) WriteObjectTag(*reg);
        return;
    }
    THQVoggetto* link = LinkFor(*href, attrs_.Value("TARGET"));
    if (!link) return;
    WriteObjectTag(*link);
    linkOpen_ = true;
}

void HtmlReader::Picture() {
    const std::string src = attrs_.Value("SRC");
    fs::path p = src.empty() ? fs::path() : Resolve(src);
    THQVoggetto* pic = p.empty() ? nullptr : set_.AddPictureFile(p);
    if (!pic) {
        // The mark of a missing picture, then its alternative text.
        std::string text = "[i] ";
        if (const std::string* alt = attrs_.Find("ALT"); alt && !alt->empty()) text += *alt + " ";
        for (char c : text) {
            if (c == ' ') {
                const size_t keep = i_;
                Text(' ');
                i_ = keep;
            } else {
                TakeChar(uint8_t(c), false);
            }
        }
        return;
    }
    auto placement = set_.AddImmagineNew(pic);
    if (!placement) return;
    if (const std::string* w = attrs_.Find("WIDTH")) placement->SetI16(19, int16_t(std::clamp(HtmlNumber(*w, 100), 0, 32767)));
    if (const std::string* h = attrs_.Find("HEIGHT")) placement->SetI16(21, int16_t(std::clamp(HtmlNumber(*h, 100), 0, 32767)));
    if (const std::string* low = attrs_.Find("LOWSRC")) {
        fs::path lp = Resolve(*low);
        if (THQVoggetto* lpic = lp.empty() ? nullptr : set_.AddPictureFile(lp)) placement->SetI32(5, lpic->Number());
    }
    if (const std::string* use = attrs_.Find("USEMAP")) {
        std::string name = LowerAscii(*use);
        name.erase(std::remove(name.begin(), name.end(), '#'), name.end());
        auto m = maps_.find(name);
        if (m != maps_.end()) placement->WriteRecordBytes(73, m->second.data(), m->second.size());
    }
    if (const std::string* alt = attrs_.Find("ALT")) placement->SetStr(28, 32, alt->substr(0, 32));
    if (const std::string* al = attrs_.Find("ALIGN")) {
        static const char* names[] = {"LEFT", "RIGHT", "CENTER", "TOP", "MIDDLE", "BOTTOM"};
        const std::string up = UpperAscii(*al);
        for (uint8_t k = 0; k < 6; ++k)
            if (up == names[k]) placement->SetU8(13, k);
    }
    placement->SetU8(14, 0);
    if (THQVoggetto* reg = Store(placement)) WriteObjectTag(*reg);
}

size_t HtmlReader::Map(size_t end) {
    const std::string name = LowerAscii(attrs_.Value("NAME"));
    std::vector<uint8_t> slots(30 * 16, 0xFF);
    int index = 0;
    size_t k = std::min(end + 1, n_);
    while (k < n_) {
        const size_t lt = FindNoCase(k, "<");
        if (lt == std::string::npos) return n_;
        const size_t e = TagEnd(lt);
        if (MatchNoCase(lt, "</MAP")) {
            k = std::min(e + 1, n_);
            break;
        }
        if (MatchNoCase(lt, "<AREA") && index < 30) {
            ReadAttributes(lt + 5, e);
            if (const std::string* href = attrs_.Find("HREF")) {
                uint8_t* z = slots.data() + index * 16;
                THQVoggetto* link = LinkFor(*href);
                PutI32(z, link ? link->Id() : 0);
                PutI32(z + 4, 0);
                int32_t c[4];
                int got = 0;
                const std::string coords = attrs_.Value("COORDS");
                size_t s = 0;
                while (got < 4 && s < coords.size()) {
                    size_t comma = coords.find(',', s);
                    if (comma == std::string::npos) comma = coords.size();
                    int32_t v = HtmlNumber(coords.substr(s, comma - s), INT32_MIN);
                    if (v == INT32_MIN) break;
                    c[got++] = v;
                    s = comma + 1;
                }
                const std::string shape = LowerAscii(attrs_.Value("SHAPE"));
                int32_t left = 10 * index, top = 0, width = 20, height = 20;
                if ((shape.empty() || shape == "rect") && got == 4) {
                    left = c[0];
                    top = c[1];
                    width = std::max(5, c[2] - c[0]);
                    height = std::max(5, c[3] - c[1]);
                }
                auto clamp16 = [](int32_t v) { return uint16_t(int16_t(std::clamp(v, -32768, 32767))); };
                PutU16(z + 8, clamp16(left));
                PutU16(z + 10, clamp16(top));
                PutU16(z + 12, clamp16(width));
                PutU16(z + 14, clamp16(height));
                ++index;
            }
        }
        k = std::min(e + 1, n_);
    }
    maps_[name] = std::move(slots);
    return k;
}

void HtmlReader::Heading(int level) {
    int a = AlignOf(attrs_);
    if (cur_.styleNumber <= 1) cur_.align = uint8_t(a < 0 ? 0 : a);
    OpenParagraph();
    Push(3);
    cur_.size = HeadingSize(level);
    WriteFontTag();
}

size_t HtmlReader::Bang(size_t lt, size_t end) {
    const size_t after = std::min(end + 1, n_);
    if (MatchNoCase(lt, "<!--")) {
        const size_t close = FindNoCase(lt + 4, "-->");
        size_t stop = close == std::string::npos ? end : close;
        std::string content = "n.n.\r\n";
        content.append(reinterpret_cast<const char*>(d_ + lt + 4), stop > lt + 4 ? stop - lt - 4 : 0);
        MakeMarker(10, content);
        return close == std::string::npos ? after : std::min(close + 3, n_);
    }
    if (MatchNoCase(lt, "<!lisnum>")) {
        const size_t close = FindNoCase(lt + 9, "<!/lisnum>");
        return close == std::string::npos ? after : std::min(close + 10, n_);
    }
    if (MatchNoCase(lt, "<!OVIK")) {
        extended = true;
        return after;
    }
    if (MatchNoCase(lt, "<!ov_z")) {
        StyleTable(lt);
        return i_;
    }
    if (MatchNoCase(lt, "<!ov_t")) {
        if (extended) {
            ReadAttributes(lt + 6, end);
            MarkerTable();
        }
        return after;
    }
    if (MatchNoCase(lt, "<!ov_s")) {
        if (extended) {
            const int32_t n = std::max(0, HtmlNumber(std::string_view(reinterpret_cast<const char*>(d_ + lt + 6),
                                                                      end - lt - 6), 0));
            cur_.styleNumber = n;
            cur_.classFlag = false;
            if (THQVoggetto* s = set_.GetObject(stileParagrafo, n)) cur_.TakeStyle(*s);
            WriteParagraphTag("");
        }
        return after;
    }
    if (MatchNoCase(lt, "<!ov_l")) {
        if (extended)
            language = HtmlNumber(std::string_view(reinterpret_cast<const char*>(d_ + lt + 6), end - lt - 6), 1033);
        return after;
    }
    if (MatchNoCase(lt, "<!ov_c")) {
        std::string content;
        for (size_t k = lt + 6; k <= end && k < n_; ++k) {
            const uint8_t c = d_[k];
            if (c == '&') content += "&amp;";
            else if (c == '<') content += "&lt;";
            else if (c == '>') content += "&gt;";
            else content += char(c);
        }
        MakeMarker(10, content);
        return after;
    }
    std::string content = "n.n.\r\n";
    content.append(reinterpret_cast<const char*>(d_ + lt + 2), end > lt + 2 ? end - lt - 2 : 0);
    MakeMarker(10, content);
    return after;
}

size_t HtmlReader::BodyTag(size_t lt) {
    const uint8_t next = d_[lt + 1];
    const size_t end = TagEnd(lt);
    const size_t after = std::min(end + 1, n_);
    if (next == '!') return Bang(lt, end);
    if (next == '?') {
        ReadAttributes(lt + 2, end);
        auto m = set_.NewObject(shortObj);
        m->SetState(15);
        m->SetI32(5, HtmlNumber(attrs_.Value("ORDER"), 0));
        if (THQVoggetto* reg = Store(m)) WriteObjectTag(*reg);
        return after;
    }
    const bool closing = next == '/';
    size_t k = lt + (closing ? 2 : 1);
    if (!std::isalpha(d_[k])) {
        // A "<" that opens no tag is text.
        ++i_;
        TakeChar('<', false);
        return lt + 1;
    }
    const size_t nameStart = k;
    while (k < n_ && NameChar(d_[k])) ++k;
    const std::string name =
        UpperAscii(std::string_view(reinterpret_cast<const char*>(d_ + nameStart), k - nameStart));
    if (closing) return ClosingTag(lt, name, end);
    return OpeningTag(lt, name, k, end);
}

size_t HtmlReader::ClosingTag(size_t /*lt*/, std::string_view name, size_t end) {
    const size_t after = std::min(end + 1, n_);
    if (name == "A") {
        if (linkOpen_) markup_ += "<%>";
        linkOpen_ = false;
    } else if (name == "B" || name == "I" || name == "U" || name == "EM" || name == "STRONG" ||
               name == "SMALL" || name == "FONT") {
        Close(3);
        WriteFontTag();
    } else if (name.size() == 2 && name[0] == 'H' && name[1] >= '0' && name[1] <= '7') {
        Close(3);
        WriteFontTag();
        OpenParagraph();
    } else if (name == "P") {
        Close(2);
        OpenParagraph();
    } else if (name == "DIV") {
        Close(2);
        counter_ = -1;
    } else if (name == "PRE" || name == "LISTING") {
        pre_ = false;
        Close(3);
        WriteFontTag();
        OpenParagraph();
    } else if (name == "SUB" || name == "SUP") {
        Close(4);
        WriteFontTag();
    } else if (name == "TD" || name == "TH") {
        CellEnd();
    } else if (name == "TR") {
        RowEnd();
    } else if (name == "TABLE") {
        TableEnd();
    }
    return after;
}

size_t HtmlReader::OpeningTag(size_t lt, std::string_view name, size_t nameEnd, size_t end) {
    const size_t after = std::min(end + 1, n_);
    auto attrs = [&] { ReadAttributes(nameEnd, end); };
    auto inlineBits = [&](uint8_t bit) {
        Push(3);
        cur_.styleBits |= bit;
        WriteFontTag();
    };
    if (name == "A") {
        attrs();
        Anchor();
    } else if (name == "B" || name == "EM" || name == "STRONG") {
        inlineBits(kHtmlBold);
    } else if (name == "I") {
        inlineBits(kHtmlItalic);
    } else if (name == "U") {
        inlineBits(kHtmlUnderline);
    } else if (name == "SMALL") {
        Push(3);
        cur_.size = SmallerSize(cur_.size);
        WriteFontTag();
    } else if (name == "FONT") {
        attrs();
        Push(3);
        if (!cur_.classFlag) {
            if (const std::string* c = attrs_.Find("COLOR")) cur_.colour = HtmlColour(*c, cur_.colour);
            if (const std::string* f = attrs_.Find("FACE")) {
                std::string face = f->substr(0, f->find_first_of(",;"));
                while (!face.empty() && uint8_t(face.back()) <= 32) face.pop_back();
                cur_.face = face.substr(0, 32);
            }
            if (const std::string* s = attrs_.Find("SIZE")) cur_.size = HtmlFontSize(*s);
        }
        if (const std::string* css = attrs_.Find("STYLE")) ApplyParagraphCss(*css, cur_);
        WriteFontTag();
    } else if (name.size() == 2 && name[0] == 'H' && name[1] >= '0' && name[1] <= '7') {
        attrs();
        Heading(name[1] - '0');
    } else if (name == "HR" || name == "BR" || name == "DT" || name == "DD" || name == "DL") {
        OpenParagraph();
    } else if (name == "OL" || name == "UL") {
        if (!extended) OpenParagraph();
    } else if (name == "P") {
        attrs();
        Push(2);
        int a = AlignOf(attrs_);
        if (cur_.styleNumber <= 1) cur_.align = uint8_t(a < 0 ? 0 : a);
        if (counter_ > 0) OpenParagraph();
        OpenParagraph();
    } else if (name == "DIV") {
        attrs();
        Push(2);
        if (!extended) {
            if (classMap_.empty()) {
                int a = AlignOf(attrs_);
                if (a >= 0 && cur_.styleNumber <= 1) cur_.align = uint8_t(a);
                OpenParagraph();
            } else {
                auto it = classMap_.find(LowerAscii(attrs_.Value("CLASS")));
                THQVoggetto* style = it != classMap_.end() ? it->second : set_.GetObject(stileParagrafo, 0);
                cur_.classFlag = it != classMap_.end();
                if (style) {
                    cur_.TakeStyle(*style);
                    cur_.styleNumber = style->Number();
                } else {
                    cur_.styleNumber = 0;
                }
                currentStyle_ = style;
                // The paragraph's text takes its style's font until a font tag.
                std::string styleFont = FontTagText(cur_);
                std::string items;
                if (const std::string* css = attrs_.Find("STYLE")) items = DivStyleItems(*css);
                WriteParagraphTag(items);
                fontInForce_ = std::move(styleFont);
            }
        }
    } else if (name == "LI") {
        if (!extended && classMap_.empty()) {
            cur_.listKind = 10;
            WriteParagraphTag("A" + std::to_string(cur_.align) + " N10 ");
            WriteFontTag();
        }
    } else if (name == "PRE" || name == "LISTING") {
        pre_ = true;
        OpenParagraph();
        Push(3);
        cur_.face = "Courier New";
        cur_.size = SmallerSize(cur_.size);
        if (name == "LISTING") cur_.size = SmallerSize(cur_.size);
        WriteFontTag();
    } else if (name == "SUB" || name == "SUP") {
        Push(4);
        cur_.position = name == "SUB" ? 1 : 2;
        Push(3);
        // A page this program exported writes every size that differs from
        // its paragraph's with FONT, so SUB and SUP keep the size in force.
        if (!ownPage) cur_.size = SmallerSize(cur_.size);
        WriteFontTag();
    } else if (name == "IMG") {
        attrs();
        Picture();
    } else if (name == "MAP") {
        attrs();
        if (attrs_.Has("NAME")) return Map(end);
    } else if (name == "INPUT") {
        attrs();
        Input();
    } else if (name == "SELECT") {
        attrs();
        return Select(end);
    } else if (name == "TEXTAREA") {
        attrs();
        return TextArea(end);
    } else if (name == "FORM") {
        attrs();
        Form();
    } else if (name == "EMBED") {
        return Embed(end);
    } else if (name == "TABLE") {
        attrs();
        TableStart();
    } else if (name == "TR") {
        attrs();
        RowStart();
    } else if (name == "TD" || name == "TH") {
        attrs();
        CellStart();
    } else if (name == "BODY") {
        attrs();
        BodyValues();
    } else if (name == "HEAD") {
        head_ = true;
    } else if (name == "TITLE") {
        titleFlag_ = true;
        titleStart_ = after;
    } else if (name == "SCRIPT") {
        script_ = true;
        scriptStart_ = lt;
    } else if (name == "LINK") {
        attrs();
        StyleSheet();
    } else if (name == "STYLE") {
        // A style block's rules are not text.
        const size_t close = FindNoCase(after, "</style");
        return close == std::string::npos ? n_ : std::min(TagEnd(close) + 1, n_);
    }
    return after;
}

}  // namespace ovik
