#include "app/app_info.h"

namespace ovik::app {

const char* VersionString() { return "3.0"; }

}  // namespace ovik::app
