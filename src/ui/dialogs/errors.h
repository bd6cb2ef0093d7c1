// The errors window ("Errori"): a title and the list of errors, for example
// the reasons a save failed.
#pragma once

#include <QLabel>
#include <QListWidget>

#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFErrori : public TFDialog {
    Q_OBJECT
public:
    TFErrori(platform::SettingsStore& store, QWidget* parent = nullptr);
    // Title and errors as engine text.
    void Load(const std::string& title, const std::vector<std::string>& errors);

    QLabel* title;
    QListWidget* list;
};

}  // namespace ovik::ui
