#include "platform/control_metrics.h"

namespace ovik::platform {

const ControlMetrics& DefaultControlMetrics() {
    static const FixedControlMetrics fixed;
    return fixed;
}

}  // namespace ovik::platform
