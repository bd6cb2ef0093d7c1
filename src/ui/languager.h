// TZtLanguager for Qt windows: applies a language block to a window and the
// named widgets and actions it owns. Keys name a component by its objectName
// (compared without case) and a property:
//   caption - a window's title, the text of labels, buttons, group boxes,
//             check boxes and actions
//   text    - the text of line edits and text edits (labels too)
//   hint    - tool tips (and an action's status tip)
//   items, strings, lines - the items of list and combo boxes
//   tabs    - the tab captions of a tab widget (as a list)
//   title   - a group box's or menu's title
//   columns - the header captions and widths of tree and table views
#pragma once

#include <QString>
#include <QWidget>

#include "app/language_block.h"
#include "app/startup.h"

namespace ovik::ui {

class TZtLanguager : public app::Localizable {
public:
    explicit TZtLanguager(QObject* window) : window_(window) {}
    // Applies a block (UTF-8 text); properties without an entry keep their text.
    void SetLocalizationString(const std::string& block);

    std::vector<Property> Properties() const override;
    void SetText(const Property& p, const std::string& value) override;
    void SetItems(const Property& p, const std::vector<std::string>& items) override;
    void SetItemProperty(const Property& p, int index, const std::string& itemProperty,
                         const std::string& value) override;

    // The block that restates a window's current texts (its built-in block).
    std::string CurrentBlock() const;

private:
    QObject* Find(const std::string& component) const;
    QObject* window_;
};

// Applies the window's block in the interface language (":/lang/<code>/" + its
// objectName + ".blk", compiled into the program from src/ui/lang/<code>).
// Returns false when the window has none.
bool ApplyBuiltInBlock(QWidget* window);
// Where a window's Italian block (its built-in texts restated) lives, for
// regenerating it.
QString BuiltInBlockResource(const QWidget* window);

}  // namespace ovik::ui
