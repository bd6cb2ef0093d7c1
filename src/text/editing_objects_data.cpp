// The editor's objects data: the selection written as bytes for the clipboard and read back.
#include "text/editing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

#include "document/hqv_object.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/layout.h"
#include "text/editing_internal.h"

namespace ovik {

using namespace editing_detail;

// --- objects data -------------------------------------------------------------------------------

Bytes WriteObjectsData(const THQVbox& box, const TextPosition& start, const TextPosition& end,
                       bool forDragging, ObjectsDataHost* host) {
    Bytes out;
    AppendI32(out, 1);
    if (box.ParagraphCount() == 0 || !box.IsValid(start) || !box.IsValid(end) || Before(end, start)) {
        for (int k = 0; k < 4; ++k) AppendI32(out, 0);
        out.push_back(0);
        return out;
    }
    std::vector<int32_t> links;
    std::vector<const PlacedObject*> objects;
    std::vector<const THQVoggetto*> styles;  // shared records: styles, then pictures
    std::vector<const THQVoggetto*> pictures;
    auto addLink = [&](int32_t v) {
        if (v != kNoLink && IdKind(v) == kPageLocalKind && std::find(links.begin(), links.end(), v) == links.end())
            links.push_back(v);
    };
    auto addPicture = [&](int32_t n) {
        const THQVoggetto* pic = n >= 0 ? box.Set().GetObject(immagine, n) : nullptr;
        if (pic && !pic->IsFree() && std::find(pictures.begin(), pictures.end(), pic) == pictures.end())
            pictures.push_back(pic);
    };
    // The characters of paragraphs first..last (from..to in the end ones) and,
    // for every table among them, the whole text of its cells.
    std::function<void(const THQVbox&, int32_t, int32_t, int32_t, int32_t, int)> collect =
        [&](const THQVbox& b, int32_t first, int32_t from, int32_t last, int32_t to, int depth) {
            for (int32_t pi = first; pi <= last; ++pi) {
                const THQVparag& p = b.Paragraph(pi);
                const int32_t a = pi == first ? from : 0;
                const int32_t z = pi == last ? to : p.Length();
                for (int32_t i = a; i < z; ++i) {
                    const CharRecord& r = p.Records()[size_t(i)];
                    addLink(r.link);
                    const PlacedObject* o = r.object >= 0 ? p.Objects()[size_t(r.object)] : nullptr;
                    if (!o || std::find(objects.begin(), objects.end(), o) != objects.end()) continue;
                    objects.push_back(o);
                    // Tables nest; a table named inside itself is read as a blank, but
                    // the walk stops at a depth no real page reaches all the same.
                    if (depth < 64)
                        for (int32_t c = 0; c < o->CellCount(); ++c)
                            if (const THQVbox* cell = o->Cell(c); cell && cell->ParagraphCount() > 0) {
                                const int32_t l = cell->ParagraphCount() - 1;
                                collect(*cell, 0, 0, l, cell->Paragraph(l).Length(), depth + 1);
                            }
                }
                const THQVoggetto* st = p.Style().Base();
                if (!forDragging && st && st->IsRegistered() &&
                    std::find(styles.begin(), styles.end(), st) == styles.end())
                    styles.push_back(st);
            }
        };
    collect(box, start.paragraphIndex, start.charIndex, end.paragraphIndex, end.charIndex, 0);
    for (const PlacedObject* po : objects) {
        const THQVoggetto* o = po->Object();
        if (!o) continue;
        // The background pictures of tables and their cells always travel.
        if (o->Kind() == tabellaHtml)
            for (int32_t n : CellPictures(*o)) addPicture(n);
        if (forDragging) continue;
        // What the other placed objects name: their links and their pictures.
        for (size_t off : LinkFieldOffsets(*o, false)) addLink(o->I32(off));
        for (PictureField f : PictureFields(*o)) {
            int32_t n = o->I32(f.offset);
            if (f.identifier) {
                if (n < 0 || IdKind(n) != immagine) continue;
                n = IdNumber(n);
            }
            addPicture(n);
        }
    }
    styles.insert(styles.end(), pictures.begin(), pictures.end());
    // Special links lead to their targets, which travel with them.
    for (size_t i = 0; host && i < links.size(); ++i)
        if (const THQVoggetto* l = host->PageLink(links[i]); l && l->Kind() == speclink)
            addLink(l->I32(13));
    // Link records.
    Bytes part;
    int32_t n = 0;
    for (int32_t v : links) {
        const THQVoggetto* l = host ? host->PageLink(v) : nullptr;
        if (!l) continue;
        AppendI32(part, l->Kind());
        AppendI32(part, v);
        l->SaveToTransfer(part);
        ++n;
    }
    AppendI32(out, n);
    out.insert(out.end(), part.begin(), part.end());
    // Shared records.
    AppendI32(out, int32_t(styles.size()));
    for (const THQVoggetto* st : styles) {
        AppendI32(out, st->Kind());
        st->SaveToTransfer(out);
    }
    // Placed-object records.
    part.clear();
    n = 0;
    for (const PlacedObject* o : objects) {
        if (!o->Object()) continue;
        AppendI32(part, o->Object()->Kind());
        AppendI32(part, o->ControlIndex());
        o->Object()->SaveToTransfer(part);
        ++n;
    }
    AppendI32(out, n);
    out.insert(out.end(), part.begin(), part.end());
    // Markup.
    AppendI32(out, end.paragraphIndex - start.paragraphIndex + 1);
    for (int32_t pi = start.paragraphIndex; pi <= end.paragraphIndex; ++pi) {
        const THQVparag& p = box.Paragraph(pi);
        const int32_t from = pi == start.paragraphIndex ? start.charIndex : 0;
        const int32_t to = pi == end.paragraphIndex ? end.charIndex : p.Length();
        p.Write(out, WriteMode::Whole, from, to);
    }
    out.push_back(0);
    return out;
}

namespace {
bool ReadI32(const Bytes& d, size_t& pos, int32_t& v) {
    if (pos + 4 > d.size()) return false;
    v = GetI32(d.data() + pos);
    pos += 4;
    return true;
}
}  // namespace

bool ReadObjectsData(BoxEditor& editor, const Bytes& data, const std::string& undoText,
                     bool keepStyle, ObjectsDataHost* host, bool wholePage) {
    THQVbox& box = editor.Box();
    size_t pos = 0;
    int32_t version = 0;
    if (!ReadI32(data, pos, version) || (version != 1 && version != 3)) return false;
    if (box.ParagraphCount() == 0 || !editor.Editable()) return false;
    THQVset& set = box.Set();
    // Everything is read before the box changes: bad data changes nothing.
    struct Rec {
        int32_t kind = 0, old = 0;
        std::unique_ptr<THQVoggetto> object;
    };
    auto readRecords = [&](std::vector<Rec>& recs, bool withOld) {
        int32_t count = 0;
        if (!ReadI32(data, pos, count) || count < 0) return false;
        for (int32_t k = 0; k < count; ++k) {
            Rec r;
            if (!ReadI32(data, pos, r.kind)) return false;
            if (withOld && !ReadI32(data, pos, r.old)) return false;
            if (!withOld && r.kind != immagine && r.kind != mappaClic && r.kind != stileParagrafo) {
                set.Messages().Error("Errore leggendo dati da stream!");
                return false;
            }
            r.object = std::make_unique<THQVoggetto>(&set, uint8_t(r.kind));
            if (!r.object->LoadFromTransfer(data.data(), data.size(), pos)) return false;
            recs.push_back(std::move(r));
        }
        return true;
    };
    std::vector<Rec> links, shared, objects;
    int32_t paragraphs = 0;
    if (!readRecords(links, true) || !readRecords(shared, false) || !readRecords(objects, true) ||
        !ReadI32(data, pos, paragraphs) || paragraphs < 0)
        return false;
    const size_t markupAt = pos;

    if (HasSelectionText(box)) editor.DeleteSelection();
    box.hasSelection = false;
    TextPosition c = box.caret;
    c.paragraphIndex = std::clamp(c.paragraphIndex, 0, box.ParagraphCount() - 1);
    c.charIndex = std::clamp(c.charIndex, 0, box.Paragraph(c.paragraphIndex).Length());
    if (!undoText.empty()) editor.RecordBox(undoText, c.paragraphIndex, c.paragraphIndex);
    editor.CloseGroups();
    box.Lock();

    Renumbering ren;
    std::vector<int32_t> specialLinks;  // new values of the special links read
    for (Rec& r : links) {
        const bool special = r.object->Kind() == speclink;
        const int32_t nv = host ? host->AddPageLink(std::move(r.object)) : r.old;
        ren.stylesAndLinks[r.old] = nv;
        if (special) specialLinks.push_back(nv);
    }
    auto renumbered = [&](int32_t v) {
        auto it = ren.stylesAndLinks.find(v);
        return it == ren.stylesAndLinks.end() ? v : it->second;
    };
    // A picture named by its number: the number of the picture it became.
    auto renumberedPicture = [&](int32_t n) {
        const int32_t id = renumbered(MakeId(immagine, n));
        return IdKind(id) == immagine ? IdNumber(id) : n;
    };
    // A special link's target is one of the links read with it.
    for (int32_t v : specialLinks)
        if (THQVoggetto* l = host ? host->PageLink(v) : nullptr) l->SetI32(13, renumbered(l->I32(13)));
    for (Rec& r : shared) {
        const int32_t oldId = int32_t((uint32_t(r.kind) << 24) | (uint32_t(r.object->Number()) & 0xFFFFFF));
        if (THQVoggetto* use = set.EqualOrRegistered(r.object)) ren.stylesAndLinks[oldId] = int32_t((uint32_t(r.kind) << 24) | uint32_t(use->Number()));
    }
    for (Rec& r : objects) {
        // The object's links and pictures take the numbers they got here.
        THQVoggetto& o = *r.object;
        if (o.Kind() == tabellaHtml) MapCellPictures(o, renumberedPicture);
        for (size_t off : LinkFieldOffsets(o, false))
            if (int32_t v = o.I32(off); v >= 0) o.SetI32(off, renumbered(v));
        for (PictureField f : PictureFields(o)) {
            const int32_t v = o.I32(f.offset);
            if (v < 0) continue;
            o.SetI32(f.offset, f.identifier ? renumbered(v) : renumberedPicture(v));
        }
        const int32_t ni = host ? host->CreateControl(std::move(r.object)) : r.old;
        if (ni >= 0) ren.objects[int32_t(kObjectValueBase + uint32_t(r.old))] = int32_t(kObjectValueBase + uint32_t(ni));
    }

    const int32_t head = c.paragraphIndex;
    editor.SplitParagraph(head, c.charIndex);
    const bool headEmpty = box.Paragraph(head).Length() == 0;
    BoxStream s(data, markupAt);
    const int32_t n = paragraphs > 0 ? box.InsertParagraphsAt(s, head + 1, ReadKind::Full, &ren, paragraphs) : 0;
    int32_t lastPasted = head + n;
    int32_t caretPara = head, caretChar = c.charIndex;
    if (n > 0) {
        THQVparag& firstPasted = box.Paragraph(head + 1);
        THQVparag& tail = box.Paragraph(lastPasted + 1);
        const int32_t ppi = box.Measurer().PixelsPerInch();
        if (keepStyle) {
            const THQVoggetto* st = firstPasted.Style().Base();
            if (!headEmpty || wholePage || (st && st->Number() > 1))
                TakeStyle(box.Paragraph(head), firstPasted.Style(), ppi);
        } else if (!headEmpty) {
            TakeStyle(firstPasted, tail.Style(), ppi);
        }
        int32_t h = head;
        if (!editor.HoldsTable(box.Paragraph(h)) && !editor.HoldsTable(box.Paragraph(h + 1))) {
            if (editor.JoinParagraphs(h)) --lastPasted;
        } else if (headEmpty && editor.HoldsTable(box.Paragraph(h + 1))) {
            box.Paragraphs().erase(box.Paragraphs().begin() + h);
            --lastPasted;
        }
        caretPara = lastPasted;
        caretChar = box.Paragraph(lastPasted).Length();
    }
    int32_t lastRange = lastPasted + 1;
    if (!editor.HoldsTable(box.Paragraph(lastPasted)) && !editor.HoldsTable(box.Paragraph(lastPasted + 1))) {
        if (editor.JoinParagraphs(lastPasted)) lastRange = lastPasted;
    }
    editor.SetCurrentRange(head, lastRange);
    for (int32_t i = head; i <= lastRange && i < box.ParagraphCount(); ++i) box.Paragraph(i).Remeasure();
    editor.Layout(head, lastRange);
    box.caret = box.MakePosition(caretPara, std::min(caretChar, box.Paragraph(caretPara).Length()));
    box.Unlock();
    return true;
}

}  // namespace ovik
