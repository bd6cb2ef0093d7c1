#include "ui/dialogs/open_html.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QVBoxLayout>

namespace ovik::ui {

namespace {

constexpr const char* kChoiceTexts[7] = {
    "inserire la pagina nel corrente ipertesto, importandola",
    "aprire un nuovo ipertesto di cui questa sarà la prima pagina",
    "editare un insieme di pagine (ipertesto) di cui questa pagina è l'indice",
    "editare questa pagina nel corrispondente ipertesto in formato nativo",
    "aprire una copia del corrispondente ipertesto",
    "aprire un nuovo ipertesto in cui la pagina scelta sarà copiata come prima pagina",
    "inserire la pagina scelta nel corrente ipertesto",
};

}  // namespace

TFScegliApriHtml::TFScegliApriHtml(platform::Messages& messages, platform::SettingsStore& store, QWidget* parent)
    : TFDialog(store, "fscegliaprihtml", parent), messages_(messages) {
    setWindowTitle("Apri");
    auto* buttons = new QButtonGroup(this);
    auto group = [&](const char* name, int from, int to) {
        auto* box = Named(new QGroupBox("Desideri:"), name);
        auto* v = new QVBoxLayout(box);
        for (int k = from; k <= to; ++k) {
            choices[size_t(k)] = Named(new QRadioButton(kChoiceTexts[k]), ("scelta" + std::to_string(k)).c_str());
            buttons->addButton(choices[size_t(k)], k);
            v->addWidget(choices[size_t(k)]);
        }
        return box;
    };
    markerText = Named(new QLabel, "testomarcatore");
    markerText->setWordWrap(true);
    findButton = Named(new QPushButton("Cerca..."), "bcerca");
    plainGroup = group("gsenza", 0, 2);
    markedGroup = group("gcon", 3, 6);
    auto* v = new QVBoxLayout(this);
    v->addWidget(markerText);
    v->addWidget(findButton, 0, Qt::AlignLeft);
    v->addWidget(plainGroup);
    v->addWidget(markedGroup);
    v->addWidget(CheckedOkCancelBox(this, [this] { return Accept(); }));
    connect(findButton, &QPushButton::clicked, this, [this] {
        if (!FindHypertext) return;
        if (std::optional<std::filesystem::path> f = FindHypertext(); f && !f->empty()) {
            plan_.hypertext = *f;
            std::error_code ec;
            plan_.hypertextFound = std::filesystem::is_regular_file(*f, ec);
            ShowPlan();
        }
    });
    resize(560, 300);
    FinishCreation();
}

void TFScegliApriHtml::Load(const app::HtmlOpenPlan& plan) {
    plan_ = plan;
    decision_ = plan.marked ? app::HtmlOpenChoice::EditNative : app::HtmlOpenChoice::ImportIntoCurrent;
    choices[plan.marked ? 3 : 0]->setChecked(true);
    ShowPlan();
}

void TFScegliApriHtml::ShowPlan() {
    markerText->setVisible(plan_.marked);
    markerText->setText(QString::fromStdString(plan_.MarkerText()));
    findButton->setVisible(plan_.marked && !plan_.hypertextFound);
    plainGroup->setVisible(!plan_.marked);
    markedGroup->setVisible(plan_.marked);
}

bool TFScegliApriHtml::Accept() {
    int chosen = -1;
    for (int k = 0; k < 7; ++k)
        if (choices[size_t(k)]->isChecked() && choices[size_t(k)]->parentWidget()->isVisibleTo(this)) chosen = k;
    if (chosen < 0) return false;
    const auto c = app::HtmlOpenChoice(chosen);
    // No keeps the window open, so that the hypertext can be looked for.
    if (app::AsksBeforeFallback(c, plan_.hypertextFound) &&
        messages_.AskYesNo(app::kHypertextMissingQuestion) != platform::Answer::Yes)
        return false;
    decision_ = app::EffectiveChoice(c, plan_.hypertextFound);
    return true;
}

}  // namespace ovik::ui
