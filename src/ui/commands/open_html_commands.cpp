// Opening and dropping HTML files: the window "Apri" and what each of its
// choices does, the import of HTML files without a window, and drops on the
// editor.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/open_html.h"
#include "convert/auto_imports.h"
#include "convert/hqv_from_html.h"
#include "core/codepage.h"
#include "ui/dialogs/export_import.h"
#include "ui/dialogs/new_page.h"
#include "ui/dialogs/open_html.h"
#include "ui/dialogs/tools_windows.h"
#include "ui/main_window.h"

namespace ovik::ui {

namespace fs = std::filesystem;

namespace {

bool IsHtmlName(const QString& name) {
    const QString low = name.toLower();
    return low.endsWith(".htm") || low.endsWith(".html");
}

}  // namespace

bool TMainForm::ImportHtmlFiles(const std::vector<fs::path>& files) {
    view_->StorePage();
    THQVfromHtml conv(set_.get());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int32_t first = conv.ImportFiles(files, 1);
    ResolveAutoImports(*set_);
    QApplication::restoreOverrideCursor();
    return ShowImported(conv.Report, first);
}

void TMainForm::CopyPageOf(const fs::path& file, int32_t page) {
    auto* w = static_cast<TFNuova*>(PrepareWindow("fnuova"));
    w->ShowTab(TFNuova::OtherHypertext);
    w->OpenOther(QString::fromStdString(file.string()));
    for (int row = 0; row < w->otherPages->count(); ++row)
        if (w->otherPages->item(row)->data(Qt::UserRole).toInt() == page) w->otherPages->setCurrentRow(row);
    if (w->exec() != QDialog::Accepted) return;
    MakeChosenPage(*w);
}

void TMainForm::OpenHtml(const fs::path& file) {
    TFScegliApriHtml w(messages_, store_, this);
    w.FindHypertext = [this]() -> std::optional<fs::path> {
        auto* f = static_cast<TFTrovaFile*>(PrepareWindow("ftrovafile"));
        if (f->exec() != QDialog::Accepted) return std::nullopt;
        return f->Chosen();
    };
    w.Load(app::PlanHtmlOpen(file));
    if (w.exec() != QDialog::Accepted) return;
    const app::HtmlOpenPlan& plan = w.Plan();
    using C = app::HtmlOpenChoice;
    const C what = w.Decision();
    switch (what) {
        case C::ImportIntoCurrent: ImportHtmlFiles({file}); return;
        case C::NewAndImport:
            doc_->NewDocument();
            RefreshPages();
            ImportHtmlFiles({file});
            break;
        case C::NewFollowingLinks: {
            doc_->NewDocument();
            RefreshPages();
            auto* imp = static_cast<TFImport*>(PrepareWindow("fimport"));
            imp->FollowLinksFrom(file);
            if (imp->exec() == QDialog::Accepted) {
                RefreshPages();
                if (imp->FirstImported() >= 0) ShowPage(imp->FirstImported());
            }
            break;
        }
        case C::EditNative:
            if (!doc_->OpenDocument(plan.hypertext, false)) return;
            RefreshPages();
            if (THQVtesto* p = set_->Page(plan.page); p && !p->IsFree()) ShowPage(plan.page);
            break;
        case C::CopyOfHypertext:
            if (!doc_->OpenDocument(plan.hypertext, true)) return;
            RefreshPages();
            break;
        case C::NewWithPageCopy:
            doc_->NewDocument();
            RefreshPages();
            CopyPageOf(plan.hypertext, plan.page);
            break;
        case C::PageCopyIntoCurrent: CopyPageOf(plan.hypertext, plan.page); return;
    }
    // Every choice but the two that add to this hypertext goes on editing.
    SetEditMode(true);
}

void TMainForm::DropFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    if (IsHtmlName(files.front())) {
        const app::HtmlOpenPlan plan = app::PlanHtmlOpen(files.front().toStdString());
        if (plan.marked && plan.hypertextFound) {
            CopyPageOf(plan.hypertext, plan.page);
            return;
        }
    }
    ImportPages(files);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
    QStringList files;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile()) files << u.toLocalFile();
    if (files.isEmpty()) return;
    e->acceptProposedAction();
    DropFiles(files);
}

}  // namespace ovik::ui
