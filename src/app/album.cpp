#include "app/album.h"

#include <algorithm>
#include <cstring>

#include "app/references.h"
#include "document/picture.h"

namespace ovik::app {

namespace {
bool Deletable(const THQVset& set, const THQVoggetto& o) {
    return o.Id() != 0 && !o.IsFree() && o.Owner() == &set && o.IsRegistered();
}

// Frees an object whose references are gone; an embedded file's copy goes too.
void Free(THQVset& set, THQVoggetto& o) {
    if (o.Kind() == genLink && set.IsOwnTempFile(o.ExternalFile())) {
        // Only the set's own copy is deleted, never a file elsewhere.
        std::error_code ec;
        std::filesystem::remove(o.ExternalFile(), ec);
    }
    o.MakeFree();
    set.SetModified(true);
}
}  // namespace

bool DeleteObject(THQVset& set, THQVoggetto& o) {
    if (!Deletable(set, o)) return false;
    RemoveAllReferencesTo(set, o.Id());
    Free(set, o);
    return true;
}

std::vector<bool> DeleteObjects(THQVset& set, const std::vector<int32_t>& ids, LinkedView* view,
                                const std::function<void(size_t, bool)>& done) {
    if (view) view->StoreAndDropPage();
    std::vector<bool> deleted(ids.size(), false);
    // The references of every object go first, while all of them still exist
    // (an object deleted with another may name it).
    for (size_t i = 0; i < ids.size(); ++i) {
        THQVoggetto* o = set.GetObjectById(ids[i]);
        deleted[i] = o && Deletable(set, *o);
        if (deleted[i]) RemoveAllReferencesTo(set, ids[i]);
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        if (deleted[i]) {
            THQVoggetto* o = set.GetObjectById(ids[i]);
            if (o && !o->IsFree()) Free(set, *o);
        }
        if (done) done(i, deleted[i]);
    }
    if (view) view->ShowPageAgain();
    return deleted;
}

int32_t NewEmptyPage(THQVset& set) {
    THQVoggetto* p = set.AddNewObject(testoHtml);
    return p ? p->Number() : -1;
}

bool ReplacePictureFrom(THQVset& set, THQVoggetto& picture, const std::filesystem::path& file,
                        THQVundoList* history) {
    if (picture.Kind() != immagine || picture.IsFree()) return false;
    std::vector<const THQVoggetto*> before;
    for (int32_t n = 0; n < set.ObjectCount(immagine); ++n)
        if (THQVoggetto* x = set.GetObject(immagine, n); x && !x->IsFree()) before.push_back(x);
    THQVoggetto* added = set.AddPictureFile(file);
    if (!added || added == &picture) return added == &picture;
    bool existed = std::find(before.begin(), before.end(), added) != before.end();
    if (history)
        history->Add(std::make_unique<TogBackup>(set, picture, "Modifica immagine " + picture.Description()));
    bool ok = picture.ReplaceContent(*added);
    // A picture the file added only for this is freed; an equal picture that
    // was there already stays.
    if (!existed) added->MakeFree();
    set.SetModified(true);
    return ok;
}

}  // namespace ovik::app
