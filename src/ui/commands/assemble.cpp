// Assembles the command tables into the main window's menus, toolbars and the
// view's context menu, and keeps each command's enabled state.
#include <QActionGroup>
#include <QFontDatabase>
#include <QIntValidator>
#include <QMenuBar>
#include <QToolBar>

#include "core/codepage.h"
#include "ui/commands/command_table.h"
#include "ui/icons.h"
#include "ui/commands/not_built.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/link_navigator.h"
#include "ui/main_window.h"

namespace ovik::ui {

void SetHandler(QAction* action, QObject* context, std::function<void()> run) {
    QObject::connect(action, &QAction::triggered, context, std::move(run));
    action->setProperty("handled", true);
}

QAction* TMainForm::AddCommand(QWidget* where, const Command& c) {
    auto* a = new QAction(c.caption, this);
    a->setObjectName(c.name);
    if (!c.shortcuts.isEmpty()) a->setShortcuts(c.shortcuts);
    a->setCheckable(c.checkable);
    const char* missing = MissingFeature(c.name);
    a->setEnabled(c.enabled && !missing);
    if (missing) a->setProperty("missingFeature", QString::fromLatin1(missing));
    if (c.run) SetHandler(a, this, c.run);
    if (where) where->addAction(a);
    actions_[c.name] = a;
    when_[c.name] = c.when;
    return a;
}

void TMainForm::FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& e : entries) {
        switch (e.kind) {
            case MenuEntry::Kind::Item:
                AddCommand(menu, e.command);
                break;
            case MenuEntry::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Kind::RecentFiles:
                // The recent files go before this separator (RefreshRecentFiles).
                recentSeparator_ = menu->addSeparator();
                break;
            case MenuEntry::Kind::SubMenu: {
                QMenu* sub = menu->addMenu(e.subCaption);
                sub->setObjectName(e.subName);
                FillMenu(sub, e.sub);
                if (const char* missing = MissingFeature(e.subName)) {
                    sub->setEnabled(false);
                    sub->menuAction()->setProperty("missingFeature", QString::fromLatin1(missing));
                }
                break;
            }
        }
    }
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    for (auto table : {&TMainForm::FileMenu, &TMainForm::EditMenu, &TMainForm::SearchMenu, &TMainForm::InsertMenu,
                       &TMainForm::TableMenu, &TMainForm::FormatMenu, &TMainForm::HypertextMenu,
                       &TMainForm::PublishMenu, &TMainForm::ToolsMenu, &TMainForm::HelpMenu}) {
        const MenuTable t = (this->*table)();
        QMenu* m = bar->addMenu(t.caption);
        m->setObjectName(t.name);
        if (table == &TMainForm::FileMenu) fileMenu_ = m;
        // A command's hint leaves the status line with its menu.
        connect(m, &QMenu::aboutToHide, this, [this] { ShowPageCount(); });
        FillMenu(m, t.entries);
    }

    QToolBar* tb = addToolBar("Principale");
    tb->setObjectName("maintoolbar");
    for (const char* name : {"FileNew", "FileOpen", "FileSave"}) tb->addAction(Action(name));
    AddCommand(tb, Command{"ModeSwitch", "Edita / Anteprima", {}, [this] { SetEditMode(!doc_->EditMode()); },
                           EnabledWhen::Fixed, true, true});

    BuildToolbars();
    ApplyCommandIcons(this);

    // Hints of the commands go to the status line.
    for (auto& [name, action] : actions_) {
        if (action->statusTip().isEmpty()) action->setStatusTip(action->text().remove('&'));
    }
    connect(bar, &QMenuBar::hovered, this, [this](QAction* a) { status_->setText(a->statusTip()); });
}

void TMainForm::BuildToolbars() {
    // Undo with its drop-down list, and redo.
    QToolBar* edit = addToolBar("Modifica");
    edit->setObjectName("edittoolbar");
    edit->addAction(Action("EditUndo"));
    undoListButton_ = new QToolButton(edit);
    undoListButton_->setObjectName("UndoListButton");
    undoListButton_->setArrowType(Qt::DownArrow);
    undoListButton_->setToolTip("Undo multiplo");
    undoListButton_->setEnabled(false);
    connect(undoListButton_, &QToolButton::clicked, this, [this] { ShowUndoList(); });
    edit->addWidget(undoListButton_);
    edit->addAction(Action("EditRedo"));
    edit->addSeparator();
    for (const char* name : {"EditCut", "EditCopy", "EditPaste"}) edit->addAction(Action(name));

    // The left border panel ("BordoSx"): the page-to-page commands along the
    // window's left edge, shown or hidden by the program options.
    auto* left = new QToolBar("Bordo sinistro", this);
    left->setObjectName("leftbordertoolbar");
    addToolBar(Qt::LeftToolBarArea, left);
    for (const char* name : {"HypCover", "HypContents", "HypPrevious", "HypNext", "HypPageMinus", "HypPagePlus",
                             "HypAllPages", "PreviewPage"})
        if (QAction* a = Action(name)) left->addAction(a);
    left->hide();

    // Format: paragraph style, face, size, the style bits, colour, alignment,
    // lists and indents. Faces and style names are Windows-1252 in the engine.
    addToolBarBreak();
    QToolBar* fmt = addToolBar("Formato");
    fmt->setObjectName("formattoolbar");
    styleBox_ = new QComboBox(fmt);
    // The style and face boxes list the document's and the system's names,
    // not captions: the language blocks reach their hints, not their items.
    styleBox_->setObjectName("StyleBox");
    styleBox_->setProperty("documentItems", true);
    styleBox_->setMinimumContentsLength(14);
    styleBox_->setToolTip("Stile paragrafo");
    connect(styleBox_, &QComboBox::textActivated, this, [this](const QString& name) {
        ChooseStyle(ToCp(name));
        view_->setFocus();
    });
    fmt->addWidget(styleBox_);
    faceBox_ = new QComboBox(fmt);
    faceBox_->setObjectName("FaceBox");
    faceBox_->setProperty("documentItems", true);
    faceBox_->setEditable(true);
    faceBox_->setInsertPolicy(QComboBox::NoInsert);
    faceBox_->setMinimumContentsLength(16);
    faceBox_->setToolTip("Carattere");
    QStringList faces{"Times New Roman", "Arial", "Courier New"};
    for (const QString& f : QFontDatabase::families())
        if (!faces.contains(f)) faces << f;
    faceBox_->addItems(faces);
    connect(faceBox_, &QComboBox::textActivated, this, [this](const QString& face) {
        if (face.isEmpty()) return;
        std::string name = ToCp(face);
        view_->Run([&](BoxEditor& e) { e.SetFace(name); });
        view_->setFocus();
    });
    fmt->addWidget(faceBox_);
    sizeBox_ = new QComboBox(fmt);
    sizeBox_->setObjectName("SizeBox");
    sizeBox_->setEditable(true);
    sizeBox_->setInsertPolicy(QComboBox::NoInsert);
    sizeBox_->setValidator(new QIntValidator(1, 999, sizeBox_));
    sizeBox_->setToolTip("Dimensione");
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72})
        sizeBox_->addItem(QString::number(size));
    connect(sizeBox_, &QComboBox::textActivated, this, [this](const QString& text) {
        int points = text.toInt();
        if (points <= 0) return;
        view_->Run([points](BoxEditor& e) { e.SetSize(points); });
        view_->setFocus();
    });
    fmt->addWidget(sizeBox_);
    for (const char* name : {"FormatBold", "FormatItalic", "FormatUnderline"}) fmt->addAction(Action(name));

    auto* alignment = new QActionGroup(this);
    for (const Command& c : FormatToolbarCommands()) {
        const std::string name = c.name;
        if (name == "FormatAlignLeft" || name == "FormatBullets") fmt->addSeparator();
        QAction* a = AddCommand(fmt, c);
        // The alignment value each button stands for (UpdateFormatBoxes).
        for (auto [align, value] : {std::pair{"FormatAlignLeft", 0}, {"FormatAlignCentre", 2}, {"FormatAlignRight", 1}})
            if (name == align) {
                a->setData(value);
                alignment->addAction(a);
            }
    }
    connect(view_, &TPageView::InputDone, this, [this] {
        UpdateFormatBoxes();
        UpdateEditActions();
    });
    connect(view_, &TPageView::ContextMenuAboutToShow, this, [this] { UpdateEditActions(); });
    QList<QAction*> context;
    for (const char* name : {"EditCut", "EditCopy", "EditPaste", "EditSelectAll"}) context << Action(name);
    // The character and paragraph windows, where a word-processor user looks.
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    context << separator << Action("FormatFont") << Action("FormatParagraph") << Action("FormatAddStyle");
    // OnAddStyle from the style box too.
    styleBox_->setContextMenuPolicy(Qt::ActionsContextMenu);
    styleBox_->addAction(Action("FormatAddStyle"));
    view_->SetContextActions(context);
    view_->SetLinkActions({Action("FormatFollowLink"), Action("FormatLinkProperties")});
}

void TMainForm::UpdateEditActions() {
    const bool editing = view_->Box() && !view_->ReadOnly();
    const bool selection = view_->HasSelection();
    // The editing and format toolbars appear with a page to edit.
    // A bar the toolbars window hid stays hidden.
    for (const char* name : {"edittoolbar", "formattoolbar"})
        if (auto* bar = findChild<QToolBar*>(name)) {
            bar->setEnabled(editing);
            bar->setVisible(editing && !bar->property("userHidden").toBool());
        }
    for (const auto& [name, when] : when_) {
        bool on = false;
        switch (when) {
            case EnabledWhen::Fixed: continue;
            case EnabledWhen::Editing: on = editing; break;
            case EnabledWhen::Selection: on = selection; break;
            case EnabledWhen::EditingSelection: on = editing && selection; break;
            case EnabledWhen::PageShown: on = view_->Box() != nullptr; break;
            case EnabledWhen::InTable: on = editing && view_->CurrentTable() != nullptr; break;
        }
        Action(name)->setEnabled(on && !MissingFeature(name.toStdString()));
    }
    Action("EditUndo")->setEnabled(editing && history_->CanUndo());
    Action("EditRedo")->setEnabled(editing && history_->CanRedo());
    for (QWidget* box : {static_cast<QWidget*>(styleBox_), static_cast<QWidget*>(faceBox_),
                         static_cast<QWidget*>(sizeBox_)})
        box->setEnabled(editing);
    undoListButton_->setEnabled(editing && history_->CanUndo());
    // The link commands follow the same editing state (leaving preview too).
    if (links_) links_->UpdateState();
    if (!history_->UndoDescriptions().empty())
        Action("EditUndo")->setStatusTip(QString::fromStdString(cp1252::ToUtf8(history_->UndoDescriptions().front())));
}

}  // namespace ovik::ui
