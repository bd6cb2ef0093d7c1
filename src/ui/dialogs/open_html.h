// The window "Apri" that asks how to open an HTML file: imported into this or
// a new hypertext, or, for a page this program exported, taken in its native
// form from the hypertext its marker names (app/open_html.h decides what each
// choice does and what it falls back to).
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/open_html.h"
#include "platform/messages.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFScegliApriHtml : public TFDialog {
    Q_OBJECT
public:
    TFScegliApriHtml(platform::Messages& messages, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Shows the choices for `plan`'s file: the first of its group is chosen.
    void Load(const app::HtmlOpenPlan& plan);
    const app::HtmlOpenPlan& Plan() const { return plan_; }
    // What Ok decided: the chosen effect, after the fallback for a missing
    // hypertext.
    app::HtmlOpenChoice Decision() const { return decision_; }

    // "Cerca...": the find-file window; its choice replaces the hypertext.
    std::function<std::optional<std::filesystem::path>()> FindHypertext;

    QLabel* markerText;
    QWidget* plainGroup;   // without a marker: choices 0 to 2
    QWidget* markedGroup;  // with a marker: choices 3 to 6
    std::array<QRadioButton*, 7> choices{};
    QPushButton* findButton;

private:
    bool Accept();
    void ShowPlan();

    platform::Messages& messages_;
    app::HtmlOpenPlan plan_;
    app::HtmlOpenChoice decision_ = app::HtmlOpenChoice::ImportIntoCurrent;
};

}  // namespace ovik::ui
