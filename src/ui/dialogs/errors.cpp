#include "ui/dialogs/errors.h"
#include "ui/translations.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovik::ui {

TFErrori::TFErrori(platform::SettingsStore& store, QWidget* parent) : TFDialog(store, "ferrori", parent) {
    setWindowTitle("Errori");
    title = new QLabel;
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    title->setWordWrap(true);
    list = new QListWidget;
    auto* box = new QDialogButtonBox;
    auto* ok = box->addButton("&Ok", QDialogButtonBox::AcceptRole);
    ok->setObjectName("bok");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* v = new QVBoxLayout(this);
    v->addWidget(title);
    v->addWidget(list, 1);
    v->addWidget(box);
    resize(480, 300);
    FinishCreation();
}

void TFErrori::Load(const std::string& t, const std::vector<std::string>& errors) {
    // The engine's texts, in the interface's language.
    title->setText(Tr(FromCp(t)));
    list->clear();
    for (const std::string& e : errors) list->addItem(Tr(FromCp(e)));
}

}  // namespace ovik::ui
