#include "links/follow.h"

#include <sys/stat.h>

#include <fstream>
#include <system_error>

#include "convert/hqv_from_html.h"
#include "core/codepage.h"
#include "core/file_names.h"
#include "document/hqv_set.h"
#include "links/link_address.h"
#include "links/navigation.h"
#include "platform/messages.h"
#include "platform/settings_store.h"
#include "platform/shell.h"

namespace ovik::links {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnsupported = "Non definito o non supportato.";

std::string Utf8(std::string_view cp) { return cp1252::ToUtf8(cp); }

// The text of a link's wrapper stream: int32 n, n bytes, then the text.
std::string WrapperText(const THQVoggetto& o) {
    const Bytes* w = o.Wrapper();
    if (!w || w->size() < 4) return "";
    int64_t skip = GetI32(w->data());
    if (skip < 0 || uint64_t(skip) > w->size() - 4) return "";
    std::string s(w->begin() + 4 + skip, w->end());
    if (size_t z = s.find('\0'); z != std::string::npos) s.resize(z);
    return s;
}

// A program command as stored in the settings: words separated by blanks,
// double quotes group a word with blanks (no other expansion: this is not a
// shell).
std::vector<std::string> SplitCommand(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

// A file of a type that runs code, or one whose bytes make it a program.
bool LooksExecutable(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & 0111)) return true;
    std::ifstream in(file, std::ios::binary);
    char head[4] = {};
    in.read(head, 4);
    if (in.gcount() >= 2 && head[0] == '#' && head[1] == '!') return true;
    return in.gcount() == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F';
}

}  // namespace

bool RunsCode(std::string_view ext) {
    std::string e = cp1252::Lower(ext);
    if (!e.empty() && e[0] == '.') e.erase(0, 1);
    for (const char* x : {"desktop", "sh", "py", "pl", "jar", "exe", "bat", "cmd", "com", "appimage", "run"})
        if (e == x) return true;
    return false;
}

std::string RunProgramQuestion(const std::string& program, const std::string& paramsFile) {
    return "Il collegamento vuole avviare il programma \"" + program + "\" con il file di parametri \"" +
           paramsFile + "\".\nAvviare il programma?";
}
std::string OpenParamsQuestion(const std::string& fileType, const std::string& paramsFile) {
    return "Il collegamento vuole aprire il file di parametri \"" + paramsFile +
           "\" con il programma associato ai file " + fileType + ".\nAprire il file?";
}
std::string OpenAddressQuestion(const std::string& address) {
    return "Il collegamento vuole aprire l'indirizzo \"" + address +
           "\" con il programma associato.\nAprire l'indirizzo?";
}
std::string OpenFileQuestion(const std::string& file) {
    return "Aprire il file \"" + file + "\" con il programma associato?";
}
std::string RefusedTypeMessage(const std::string& file) {
    return "Il file \"" + file +
           "\" non viene aperto: i file di questo tipo possono avviare programmi. "
           "E' possibile salvarne una copia.";
}

LinkFollower::LinkFollower(THQVset& set, FollowHost& host, platform::Messages& messages,
                           platform::Shell& shell, const platform::SettingsStore* settings)
    : set_(set), host_(host), messages_(messages), shell_(shell), settings_(settings) {}

THQVoggetto* LinkFollower::Resolve(int32_t id) {
    if (id < 0 && IdKind(id) != kPageLocalKind) return nullptr;
    if (IdKind(id) == kPageLocalKind) return host_.ResolveLocal(id);
    THQVoggetto* o = set_.GetObjectById(id);
    return (o && !o->IsFree()) ? o : nullptr;
}

namespace {
struct Counter {
    int& n;
    explicit Counter(int& c) : n(c) { ++n; }
    ~Counter() { --n; }
};
}  // namespace

void LinkFollower::FollowLink(LinkSender sender, THQVoggetto* target, int32_t senderPage) {
    if (host_.Closing() || host_.ShownPage() < 0 || !target) return;
    if (depth_ > 8) return;  // a chain of markers and special links that loops
    Counter busy(following_), depth(depth_);
    switch (target->Kind()) {
        case testoHtml:
        case internetLink:
        case zipLink:
        case genLink: FollowObject(*target, -1); return;
        case speclink: FollowSpecialLink(*target, senderPage, sender); return;
        case shortObj:
            if (host_.Preview() && sender == LinkSender::Page && target->State() == kLauncherSubtype) {
                THQVoggetto* ref = Resolve(target->I32(5));
                if (ref && ref->Kind() == speclink) FollowSpecialLink(*ref, senderPage, sender);
                else if (ref && ref->Kind() <= genLink) FollowObject(*ref, -1);
                else messages_.Information(kUnsupported);
                return;
            }
            break;
        default: break;
    }
    messages_.Information(kUnsupported);
}

void LinkFollower::FollowObject(THQVoggetto& o, int32_t anchor) {
    Counter busy(following_);
    if (o.IsFree()) return;
    switch (o.Kind()) {
        case testoHtml:
            if (o.Owner() && o.Owner() != &set_) {
                host_.OpenHypertext(o.Owner()->HQVFileName(), true);
                return;
            }
            host_.ShowPage(o.Number(), anchor);
            return;
        case internetLink: OpenAddress(o); return;
        case zipLink:
        case genLink: OpenEmbeddedFile(o); return;
        default: return;
    }
}

void LinkFollower::OpenAddress(THQVoggetto& o) {
    const std::string address = o.Name();
    if (address.rfind("ovik:", 0) == 0) {
        OpenOtherHypertext(address);
        return;
    }
    if (address.rfind("prog:", 0) == 0) {
        RunProgram(address, o);
        return;
    }
    if (!host_.Preview()) {
        host_.ShowExternalLinks(o);
        return;
    }
    if (!IsPlainInternetAddress(address) &&
        messages_.AskYesNo(OpenAddressQuestion(Utf8(address))) != platform::Answer::Yes)
        return;
    shell_.OpenAddress(Utf8(address));
}

bool LinkFollower::AskSaveBeforeLoading() {
    if (!set_.Modified()) return true;
    switch (messages_.AskYesNoCancel("Sto per caricare un altro file: \nvuoi salvare il file attuale?")) {
        case platform::Answer::Cancel: return false;
        case platform::Answer::Yes: host_.SaveHypertext(); return true;
        default: return true;
    }
}

void LinkFollower::OpenOtherHypertext(std::string_view address) {
    Counter busy(following_);
    OvikAddress a = ParseOvikAddress(set_, address);
    if (!a.hypertext) return;
    if (!a.same) {
        if (a.fileText == "Senza titolo") return;
        if (!AskSaveBeforeLoading()) return;
        if (a.fileText.empty()) {
            host_.NewHypertext();
        } else if (!host_.OpenHypertext(a.file, false)) {
            return;
        }
    }
    const int32_t shown = host_.ShownPage();
    int32_t page = a.page;
    if (page == kCoverAfterLoading || page == kCoverOfTarget) page = set_.CoverPage();
    if (page >= 0 && page != shown) host_.ShowPage(page, -1);
}

void LinkFollower::RunProgram(std::string_view address, const THQVoggetto& link) {
    const std::string params = WrapperText(link);
    std::string path(address.substr(std::min<size_t>(5, address.size())));
    const size_t slash = path.rfind('\\');
    if (slash != std::string::npos) {
        const std::string key = path.substr(0, slash), value = path.substr(slash + 1);
        std::optional<std::string> command = settings_ ? settings_->Read(key, value) : std::nullopt;
        if (!command) {
            messages_.Error("Tmp err msg. Key non trovata nel registry:" + Utf8(key) + " : " + Utf8(value));
            return;
        }
        const fs::path file = platform::WriteHandOverFile(shell_, "params.txt", params);
        if (file.empty()) return;
        std::vector<std::string> words = SplitCommand(Utf8(*command));
        if (words.empty()) {
            // No program to run: the parameters are shown as a text file instead.
            messages_.Warning("La chiave di registro indicata risulta vuota! (" + Utf8(path) + ")");
            if (messages_.AskYesNo(OpenParamsQuestion(".txt", file.string())) == platform::Answer::Yes)
                shell_.OpenFile(file);
            return;
        }
        if (messages_.AskYesNo(RunProgramQuestion(Utf8(*command), file.string())) != platform::Answer::Yes)
            return;
        std::string program = words.front();
        words.erase(words.begin());
        words.push_back(file.string());
        shell_.StartProgram(program, words);
        return;
    }
    std::string ext = Extension(path);
    if (ext.empty() && !path.empty()) ext = "." + path;
    const std::string name = "params" + Utf8(ext);
    if (RunsCode(Extension(name))) {
        messages_.Warning(RefusedTypeMessage(name));
        return;
    }
    const fs::path file = platform::WriteHandOverFile(shell_, name, params);
    if (file.empty()) return;
    if (messages_.AskYesNo(OpenParamsQuestion(Utf8(ext), file.string())) != platform::Answer::Yes) return;
    shell_.OpenFile(file);
}

void LinkFollower::OpenEmbeddedFile(THQVoggetto& o) {
    if (o.IsFree()) return;
    host_.ShowEmbeddedFile(o);
}

bool LinkFollower::OpenEmbeddedWithDesktop(THQVoggetto& o, bool confirmed) {
    if (o.IsFree()) return false;
    const std::string shown = Utf8(FilePart(o.FileName()));
    if (RunsCode(Extension(SafeFileName(o.FileName())))) {
        messages_.Warning(RefusedTypeMessage(shown));
        return false;
    }
    Bytes bytes;
    if (!o.ReadContent(bytes)) {
        messages_.Error("Impossibile leggere il file incorporato \"" + shown + "\".");
        return false;
    }
    const fs::path file =
        platform::WriteHandOverFile(shell_, SafeFileName(o.FileName()), std::string(bytes.begin(), bytes.end()));
    if (file.empty()) return false;
    if (LooksExecutable(file)) {
        std::error_code ec;
        fs::remove(file, ec);
        messages_.Warning(RefusedTypeMessage(shown));
        return false;
    }
    if (!confirmed && messages_.AskYesNo(OpenFileQuestion(shown)) != platform::Answer::Yes) return false;
    return shell_.OpenFile(file);
}

void LinkFollower::FollowSpecialLink(THQVoggetto& so, int32_t senderPage, LinkSender sender) {
    Counter busy(following_);
    SpecialLink s{so};
    const bool preview = host_.Preview();
    switch (s.Subtype()) {
        case kSpecGoTo: {
            THQVoggetto* target = Resolve(s.Target());
            const uint8_t action = s.Action();
            if (preview) {
                if (host_.PageModified()) {
                    if (messages_.AskYesNo("Salva modifiche a pagina corrente?") == platform::Answer::Yes) {
                        host_.StorePage();
                        return;
                    }
                }
                if (action == kActAnchorInPage) {
                    host_.JumpToAnchor(s.Anchor());
                    return;
                }
                if (!target) return;
                switch (action) {
                    case kActReplaceFrame:
                        if (target->Kind() == testoHtml && target->Owner() == &set_ && sender != LinkSender::FrameSet)
                            host_.ShowInSenderFrame(target->Number(), s.Anchor(), s.DisplayMode());
                        else
                            FollowObject(*target, s.Anchor());
                        return;
                    case kActNamedFrame:
                    case kActSeparateWindow:
                    case kActNewBrowser:
                    case kActPopup:
                        if (!host_.ShowInWindow(s, *target)) FollowObject(*target, s.Anchor());
                        return;
                    default: FollowObject(*target, s.Anchor()); return;
                }
            }
            if (action == kActAnchorInPage) host_.JumpToAnchor(s.Anchor());
            else if (target) FollowObject(*target, s.Anchor());
            return;
        }
        case kSpecCloseWindow:
            if (s.Anchor() == kCloseMainWindow) host_.HideMainWindow();
            else host_.CloseNamedWindow(cp1252::Lower(s.WindowName()));
            return;
        case kSpecKeywords: host_.ShowKeywordSearch(); return;
        case kSpecPrevious:
        case kSpecNext: {
            if (so.Owner() && so.Owner() != &set_) return;
            const int32_t p = s.Subtype() == kSpecPrevious ? PreviousInSequence(set_, senderPage)
                                                           : NextInSequence(set_, senderPage);
            if (p >= 0 && p != host_.ShownPage()) host_.ShowPage(p, -1);
            return;
        }
        case kSpecAutoImport: {
            if (preview) return;
            const std::string stored = s.ImportPath();
            fs::path file = ResolveStoredPath(stored, set_.HQVFileName().parent_path());
            // Imported pages keep the full path of their file: a path stored
            // relative to the hypertext finds them through it too.
            THQVtesto* page = set_.FindPageBySourceName(stored);
            if (!page) page = set_.FindPageBySourceName(SourceNameOf(file));
            if (page) {
                FollowObject(*page, -1);
                return;
            }
            std::error_code ec;
            if (!fs::exists(file, ec)) {
                if (messages_.AskYesNo("Il collegamento richiama il file \"" + Utf8(stored) +
                                       "\", non presente. Vuoi suggerire un altro nome?") !=
                    platform::Answer::Yes)
                    return;
                file = host_.ChooseOtherFile(file);
                if (file.empty()) return;
            }
            host_.ImportFile(file);
            return;
        }
        default: messages_.Information(kUnsupported); return;
    }
}

}  // namespace ovik::links
