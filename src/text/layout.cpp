#include "text/layout.h"

#include <algorithm>

#include "document/hqv_object.h"

namespace ovik {

int32_t PlacedObject::VerticalAlignment() const {
    THQVoggetto* o = Object();
    if (o && o->Kind() == immagineNew) return o->U8(13);
    return 4;
}

}  // namespace ovik
