// The Qt layer: widgets that paint the engine's models and forward input.
#include <QString>

namespace ovik::ui {

QString ApplicationTitle() { return QStringLiteral("Ovik"); }

}  // namespace ovik::ui
