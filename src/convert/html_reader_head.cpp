// The head of an HTML file: page marker, title, keywords, head scripts, extra
// head text and linked style sheets.
#include <algorithm>

#include "convert/html_reader.h"
#include "core/codepage.h"

namespace ovik {

namespace {

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

bool NameChar(uint8_t c) { return std::isalnum(c) != 0; }

}  // namespace

void HtmlReader::HeadTag(size_t lt) {
    const size_t end = TagEnd(lt);
    const size_t after = std::min(end + 1, n_);
    if (d_[lt + 1] == '!') {
        if (MatchNoCase(lt + 2, "--pageoVik")) ownPage = true;
        else if (MatchNoCase(lt + 2, "OVIK")) extended = true;
        else if (MatchNoCase(lt + 2, "ov_z")) {
            StyleTable(lt);
            return;
        } else if (!titleFlag_) {
            headExtras.append(reinterpret_cast<const char*>(d_ + lt), after - lt);
            headExtras += "\r\n";
        }
        i_ = after;
        return;
    }
    const bool closing = d_[lt + 1] == '/';
    size_t k = lt + (closing ? 2 : 1);
    const size_t nameStart = k;
    while (k < n_ && NameChar(d_[k])) ++k;
    const std::string name = UpperAscii(std::string_view(reinterpret_cast<const char*>(d_ + nameStart), k - nameStart));
    if (closing) {
        if (name == "TITLE" && titleFlag_) {
            title = DecodedText(titleStart_, lt);
            hasTitle = true;
            titleFlag_ = false;
        } else if (name == "HEAD" && !titleFlag_) {
            head_ = false;
        }
        i_ = after;
        return;
    }
    if (titleFlag_) {
        // Inside TITLE only its end tag counts.
        i_ = after;
        return;
    }
    if (name == "TITLE") {
        titleFlag_ = true;
        titleStart_ = after;
    } else if (name == "META") {
        ReadAttributes(k, end);
        const std::string kind = UpperAscii(attrs_.Value("NAME"));
        const std::string equiv = UpperAscii(attrs_.Value("HTTP-EQUIV"));
        if (kind == "KEYWORDS") {
            const std::string content = attrs_.Value("CONTENT");
            size_t s = 0;
            while (s <= content.size()) {
                size_t e = content.find_first_of(",;", s);
                if (e == std::string::npos) e = content.size();
                size_t b = s;
                while (b < e && uint8_t(content[b]) <= 32) ++b;
                if (e > b) keywords.push_back(content.substr(b, e - b));
                s = e + 1;
            }
        } else if (kind == "GENERATOR" || equiv == "CONTENT-TYPE" || attrs_.Has("CHARSET")) {
            // Dropped: export writes its own.
        } else if (ownPage && (kind == "AUTHOR" || kind == "COPYRIGHT" || equiv == "REFRESH")) {
            // A page this program exported: these come from the hypertext's
            // properties and the page's slide, and export writes them again.
            // The slide ("DELAY;URL=file") comes back as the page's own.
            if (equiv == "REFRESH") {
                const std::string content = attrs_.Value("CONTENT");
                const size_t semi = content.find(';');
                const size_t url = UpperAscii(content).find("URL=", semi == std::string::npos ? 0 : semi);
                if (semi != std::string::npos && url != std::string::npos) {
                    slideDelay = HtmlNumber(content.substr(0, semi), -1);
                    const std::filesystem::path target = Resolve(content.substr(url + 4));
                    if (!target.empty()) slideFile = cp1252::FromUtf8(target.string());
                }
            }
        } else {
            headExtras.append(reinterpret_cast<const char*>(d_ + lt), after - lt);
            headExtras += "\r\n";
        }
    } else if (name == "SCRIPT") {
        // A head script is kept whole up to its end tag, whatever it holds.
        size_t close = FindNoCase(after, "</script");
        size_t stop = close == std::string::npos ? n_ : std::min(TagEnd(close) + 1, n_);
        const std::string_view script(reinterpret_cast<const char*>(d_ + lt), stop - lt);
        // In a page this program exported, the scripts its links call are
        // export's own: it writes them again where they are needed.
        const bool exportScript = ownPage && (script.find("function OvikF_") != std::string_view::npos ||
                                              script.find("OvikC_bname") != std::string_view::npos);
        if (!exportScript) {
            headExtras.append(script);
            headExtras += "\r\n";
        }
        i_ = stop;
        return;
    } else if (name == "LINK") {
        ReadAttributes(k, end);
        StyleSheet();
    } else if (name == "BODY") {
        head_ = false;
        titleFlag_ = false;
        i_ = lt;  // read again as a body tag
        return;
    }
    i_ = after;
}

}  // namespace ovik
