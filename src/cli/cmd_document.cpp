// ovikc commands on whole hypertexts: new, info, resave, dump, extract.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "core/codepage.h"
#include "document/hqv_set.h"
#include "document/output_file.h"

namespace ovik::cli {
namespace {

using nlohmann::ordered_json;

std::string U(const std::string& cp1252Text) { return cp1252::ToUtf8(cp1252Text); }

void Need(const Args& a, size_t n) {
    if (a.positional.size() != n)
        throw UsageError{"expected " + std::to_string(n) + " argument" + (n == 1 ? "" : "s") +
                         ", got " + std::to_string(a.positional.size())};
}

std::string Colour(int32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

ordered_json Info(THQVset& s) {
    ordered_json j;
    j["file"] = s.HQVFileName().string();
    j["title"] = U(s.Title());
    j["authors"] = U(s.Authors());
    j["company"] = U(s.Company());
    j["copyright"] = U(s.Copyright());
    j["version"] = s.Version();
    j["revision"] = s.Revision();
    j["exportPrefix"] = U(s.ExpPrefix());
    j["contentsPage"] = s.ContentsPage();
    j["coverPage"] = s.CoverPage();
    j["defaultColours"] = {{"background", Colour(s.HdrI32(hdr::kBackColour))},
                           {"text", Colour(s.HdrI32(hdr::kTextColour))},
                           {"link", Colour(s.HdrI32(hdr::kLinkColour))},
                           {"visitedLink", Colour(s.HdrI32(hdr::kVisitedColour))}};
    j["readOnly"] = s.ReadOnlyFlag();
    ordered_json kinds = ordered_json::array();
    for (int k = 0; k < none; ++k) {
        int32_t slots = s.ObjectCount(uint8_t(k)), used = 0;
        for (int32_t i = 0; i < slots; ++i) {
            auto* o = s.GetObject(k, i);
            if (o && !o->IsFree()) ++used;
        }
        kinds.push_back({{"kind", k}, {"name", KindName(uint8_t(k))}, {"slots", slots}, {"inUse", used}});
    }
    j["kinds"] = kinds;
    ordered_json pages = ordered_json::array();
    for (int32_t i = 0; i < s.ObjectCount(testoHtml); ++i) {
        auto* p = s.Page(i);
        if (!p) continue;
        pages.push_back({{"number", i},
                         {"title", U(p->Title())},
                         {"contentLength", p->ContentLength()},
                         {"free", p->IsFree()}});
    }
    j["pages"] = pages;
    auto files = [&](uint8_t kind) {
        ordered_json arr = ordered_json::array();
        for (int32_t i = 0; i < s.ObjectCount(kind); ++i) {
            auto* o = s.GetObject(kind, i);
            if (!o || o->IsFree()) continue;
            arr.push_back({{"number", i},
                           {"name", U(o->Name())},
                           {"fileName", U(o->FileName())},
                           {"length", o->ContentLength()}});
        }
        return arr;
    };
    j["pictures"] = files(immagine);
    j["files"] = files(genLink);
    return j;
}

void PrintInfo(const ordered_json& j) {
    std::printf("File:           %s\n", j["file"].get<std::string>().c_str());
    std::printf("Title:          %s\n", j["title"].get<std::string>().c_str());
    std::printf("Authors:        %s\n", j["authors"].get<std::string>().c_str());
    std::printf("Company:        %s\n", j["company"].get<std::string>().c_str());
    std::printf("Copyright:      %s\n", j["copyright"].get<std::string>().c_str());
    std::printf("Version:        %d\n", j["version"].get<int>());
    std::printf("Revision:       %d\n", j["revision"].get<int>());
    std::printf("Export prefix:  %s\n", j["exportPrefix"].get<std::string>().c_str());
    std::printf("Contents page:  %d\n", j["contentsPage"].get<int>());
    std::printf("Cover page:     %d\n", j["coverPage"].get<int>());
    auto& c = j["defaultColours"];
    std::printf("Colours:        background %s, text %s, link %s, visited %s\n",
                c["background"].get<std::string>().c_str(), c["text"].get<std::string>().c_str(),
                c["link"].get<std::string>().c_str(), c["visitedLink"].get<std::string>().c_str());
    std::printf("Read only:      %s\n", j["readOnly"].get<bool>() ? "yes" : "no");
    std::printf("\nKind                  Slots  In use\n");
    for (auto& k : j["kinds"])
        if (k["slots"].get<int>() > 0)
            std::printf("%2d %-18s %6d  %6d\n", k["kind"].get<int>(),
                        k["name"].get<std::string>().c_str(), k["slots"].get<int>(),
                        k["inUse"].get<int>());
    std::printf("\nPages\n");
    for (auto& p : j["pages"])
        std::printf("%6d  %-40s %10llu%s\n", p["number"].get<int>(),
                    p["title"].get<std::string>().c_str(),
                    (unsigned long long)p["contentLength"].get<uint64_t>(),
                    p["free"].get<bool>() ? "  (free)" : "");
    for (const char* what : {"pictures", "files"}) {
        std::printf("\n%s\n", what[0] == 'p' ? "Pictures" : "Embedded files");
        for (auto& f : j[what])
            std::printf("%6d  %-30s %-30s %10llu\n", f["number"].get<int>(),
                        f["name"].get<std::string>().c_str(),
                        f["fileName"].get<std::string>().c_str(),
                        (unsigned long long)f["length"].get<uint64_t>());
    }
}

THQVoggetto* ObjectOrFail(THQVset& s, const std::string& kindArg, const std::string& numArg) {
    long long kind = ToNumber(kindArg, "KIND");
    long long number = ToNumber(numArg, "NUMBER");
    if (kind < 0 || kind > 26) throw UsageError{"KIND must be 0..26"};
    THQVoggetto* o = s.GetObject(int(kind), number);
    if (!o) throw Failure{"no object of kind " + kindArg + " with number " + numArg};
    return o;
}

Registrar newCmd({"new", "FILE", "Writes a new, empty hypertext.", {},
                  [](const Args& a, platform::ConsoleMessages& m) {
                      Need(a, 1);
                      THQVset s(m);
                      SaveOrFail(s, a.positional[0]);
                      return 0;
                  }});

Registrar infoCmd({"info", "FILE [--json]",
                   "Prints the hypertext's properties, its object counts, pages, pictures and files.",
                   {},
                   [](const Args& a, platform::ConsoleMessages& m) {
                       Need(a, 1);
                       auto s = OpenOrFail(a.positional[0], m);
                       auto j = Info(*s);
                       if (a.Has("--json"))
                           std::printf("%s\n", j.dump(2).c_str());
                       else
                           PrintInfo(j);
                       return 0;
                   }});

Registrar resaveCmd({"resave", "IN OUT",
                     "Opens IN and saves it to OUT (OUT may be IN itself).", {},
                     [](const Args& a, platform::ConsoleMessages& m) {
                         Need(a, 2);
                         auto s = OpenOrFail(a.positional[0], m);
                         SaveOrFail(*s, a.positional[1]);
                         return 0;
                     }});

Registrar dumpCmd({"dump", "FILE KIND NUMBER [--record|--content|--wrapper]",
                   "Writes one object's record in hexadecimal, or its raw content or wrapper.",
                   {},
                   [](const Args& a, platform::ConsoleMessages& m) {
                       Need(a, 3);
                       auto s = OpenOrFail(a.positional[0], m);
                       THQVoggetto* o = ObjectOrFail(*s, a.positional[1], a.positional[2]);
                       if (a.Has("--content") || a.Has("--wrapper")) {
                           Bytes b;
                           if (a.Has("--content")) {
                               if (!o->ReadContent(b)) throw Failure{"content cannot be read"};
                           } else if (o->Wrapper()) {
                               b = *o->Wrapper();
                           }
                           std::fwrite(b.data(), 1, b.size(), stdout);
                           return 0;
                       }
                       int size = kRecordSize[o->Kind()];
                       const auto r = o->Record();
                       for (int i = 0; i < size; i += 16) {
                           std::printf("%04x ", i);
                           for (int k = i; k < i + 16 && k < size; ++k) std::printf(" %02x", r[size_t(k)]);
                           std::printf("\n");
                       }
                       return 0;
                   }});

Registrar extractCmd({"extract", "FILE KIND NUMBER OUT",
                      "Writes an embedded file's or picture's bytes to OUT.", {},
                      [](const Args& a, platform::ConsoleMessages& m) {
                          Need(a, 4);
                          auto s = OpenOrFail(a.positional[0], m);
                          THQVoggetto* o = ObjectOrFail(*s, a.positional[1], a.positional[2]);
                          if (!ContentStaysInFile(o->Kind()) || o->IsFree())
                              throw Failure{"object is not an embedded file or a picture"};
                          // Written beside OUT and renamed: OUT may not be the
                          // hypertext being read, and a failed write leaves it as it was.
                          const std::filesystem::path out = a.positional[3];
                          std::error_code ec;
                          if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), ec);
                          OutputFile file;
                          if (!file.Create(out, {s->HQVFileName()})) throw Failure{file.Error()};
                          bool writeFailed = false;
                          if (!o->CopyContentTo(file.Fd(), &writeFailed)) {
                              if (writeFailed) {
                                  file.WriteFailed(errno);
                                  throw Failure{file.Error()};
                              }
                              throw Failure{"the object's content cannot be read from " + a.positional[0]};
                          }
                          if (!file.Commit()) throw Failure{file.Error()};
                          return 0;
                      }});

}  // namespace
}  // namespace ovik::cli
