#include "ui/spell_support.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>

#include "app/app_info.h"
#include "core/bytes.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "ui/dialogs/program_options.h"
#include "ui/dialogs/speller.h"
#include "ui/commands/command_table.h"
#include "ui/main_window.h"

namespace ovik::ui {

QtSpellScheduler::QtSpellScheduler() {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        auto fire = fire_;
        if (fire) fire();
    });
}

void QtSpellScheduler::StartTimer(int milliseconds, std::function<void()> fire) {
    fire_ = std::move(fire);
    timer_.start(milliseconds);
}

void QtSpellScheduler::StopTimer() { timer_.stop(); }

void QtSpellScheduler::ProcessMessagesFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);  // no new command while waiting
}

void ConnectToEventLoop(app::TZtSpellChecker& checker) {
    // The queue is drained by a queued call on the application object, which
    // lives on the interface thread; a call that arrives after the checker is
    // gone finds no queue.
    std::weak_ptr<app::InterfaceQueue> weak = checker.SharedQueue();
    checker.Queue().SetWake([weak] {
        QMetaObject::invokeMethod(
            qApp,
            [weak] {
                if (auto q = weak.lock()) q->Drain();
            },
            Qt::QueuedConnection);
    });
}

std::filesystem::path UserDictionaryFile() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::kOrganisation, app::kSettingsApplication);
    return std::filesystem::path(QFileInfo(s.fileName()).absolutePath().toStdString()) / "CUSTOM.DIC";
}

SpellSupport::SpellSupport(TMainForm& window, app::AppSettings& settings)
    : QObject(&window), window_(window), settings_(settings) {
    checker_.UserDictionaryPath = UserDictionaryFile();
    checker_.RegistryPathForWinPos = "forms";
    ConnectToEventLoop(checker_);
    checker_.RunDialog = [this](app::TZtSpellSession& session) {
        Dialog().Run(session, FromCp(checker_.DialogCaption()));
    };
    if (QAction* a = window_.Action("ToolsSpellPage")) SetHandler(a, this, [this] { CheckPage(); });
    if (QAction* a = window_.Action("ToolsSpellAll")) SetHandler(a, this, [this] { CheckAllPages(); });
    TFOpzioni::spellAvailability = [this] {
        SpellAvailability a;
        a.open = checker_.IsOpen();
        for (auto& [id, name] : app::InstalledLanguages(checker_.DictionaryFolders)) a.languages.emplace_back(id, name);
        return a;
    };
    // Opening a hypertext shows its start page: the checker follows its
    // language first.
    app::DocumentUi& ui = window_.Document().ui;
    auto show = ui.viewShowStartPage;
    ui.viewShowStartPage = [this, show](bool preview) {
        FollowHypertext();
        if (show) show(preview);
    };
}

// The view, a sibling child of the window, may already be gone: it is not touched.
SpellSupport::~SpellSupport() { TFOpzioni::spellAvailability = nullptr; }

TZtSpellerDialog& SpellSupport::Dialog() {
    if (!dialog_) dialog_ = new TZtSpellerDialog(settings_.Store(), &window_);
    return *dialog_;
}

void SpellSupport::Start() {
    try {
        checker_.Open();
    } catch (const app::ESpellError& e) {
        window_.Set().Messages().Error(e.what());
    }
    UpdateCommands();
    window_.View()->SetSpellChecker(&checker_, autoCheck_);
}

void SpellSupport::UpdateCommands() {
    for (const char* name : {"ToolsSpellPage", "ToolsSpellAll"})
        if (QAction* a = window_.Action(name)) a->setEnabled(checker_.IsOpen());
}

void SpellSupport::ApplyOptions() {
    // Each key switches its bit on with "1", off with "0", and leaves it when empty.
    static const std::pair<const char*, app::TSpellOptions> keys[] = {
        {"userDic", app::spoSuggestFromUserDict}, {"roman", app::spoIgnoreRomanNumerals},
        {"caps", app::spoIgnoreAllCaps},           {"repeat", app::spoFindRepeatWord},
        {"start", app::spoFindUncappedSentences},  {"point", app::spoFindSpacesBeforePunc},
        {"rate", app::spoRateSuggestions}};
    app::TSpellOptions options = checker_.Options();
    for (auto& [key, bit] : keys) {
        const std::string v = settings_.ReadSetting("orto", key);
        if (v == "1") options = app::TSpellOptions(options | bit);
        else if (v == "0") options = app::TSpellOptions(options & ~bit);
    }
    checker_.SetOptions(options);
    const std::string progr = settings_.ReadSetting("orto", "progr");
    if (progr == "1" || progr == "0") checker_.ShowProgressWin = progr == "1";
    const app::AppliedOptions o = app::ReadAppliedOptions(settings_);
    autoCheck_ = o.spellAuto;
    if (checker_.Language() != app::TLanguage(o.spellLanguage)) {
        if (checker_.IsOpen()) SwitchLanguage(app::TLanguage(o.spellLanguage));
        else checker_.SetLanguage(app::TLanguage(o.spellLanguage));
    }
    // The hypertext's spell-check language follows the program's.
    PutU16(&window_.Set().Header()[hdr::kSpellLanguage], checker_.Language());
    if (window_.View()) window_.View()->SetSpellChecker(&checker_, autoCheck_);
}

bool SpellSupport::SwitchLanguage(app::TLanguage language) {
    TPageView* view = window_.View();
    const bool wasReadOnly = view->ReadOnly();
    view->SetSpellChecker(nullptr, false);  // no background check while the engine changes
    const app::TLanguage previous = checker_.Language();
    checker_.Close();
    bool ok = checker_.SetLanguage(language);
    try {
        checker_.Open();
    } catch (const app::ESpellError& e) {
        window_.Set().Messages().Error(e.what());
        ok = false;
    }
    if (!ok || !checker_.IsOpen()) {
        checker_.Close();
        checker_.SetLanguage(previous);
        try {
            checker_.Open();
        } catch (const app::ESpellError&) {
        }
        ok = false;
    }
    if (view->ReadOnly() != wasReadOnly) view->SetReadOnly(wasReadOnly);
    view->SetSpellChecker(&checker_, autoCheck_);
    UpdateCommands();
    return ok && checker_.Language() == language;
}

void SpellSupport::FollowHypertext() {
    THQVset& set = window_.Set();
    uint8_t* h = &set.Header()[hdr::kSpellLanguage];
    if (set.HQVFileName().empty()) {
        // A new hypertext takes the checker's language.
        PutU16(h, checker_.Language());
        return;
    }
    const app::TLanguage wanted = GetU16(h);
    if (wanted != checker_.Language() && wanted != 0) SwitchLanguage(wanted);
}

void SpellSupport::CheckPage() {
    if (!checker_.IsOpen()) return;
    window_.View()->SpellCheckFromCursor();
}

void SpellSupport::CheckAllPages() {
    if (!checker_.IsOpen()) return;
    window_.View()->SpellCheckAllPages();
}

}  // namespace ovik::ui
