// Typing through the real page widget, offscreen: 2,000 key presses go to the
// view's viewport as Qt key events, each followed by a repaint of the
// viewport, on a page of about 5 MB and on a page of 10 paragraphs. Reports
// the time per key from the event to the end of the repaint (mean, median,
// 95th percentile, worst) and the time to show each page. Each page is typed
// on twice: with background spell checking off, and on (Italian dictionary;
// the check is left to run for 2.5 s before typing, and the interface thread's
// pending work runs between keys in both runs).
//   QT_QPA_PLATFORM=offscreen build/bench/bench_view
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/spell_checker.h"
#include "bench_pages.h"
#include "ui/spell_support.h"
#include "document/hqv_set.h"
#include "platform/messages.h"
#include "text/hqv_box.h"
#include "ui/page_view.h"
#include "undo/undo.h"

namespace {

using namespace ovik;
using Clock = std::chrono::steady_clock;

using bench::PageMarkup;

struct Result {
    size_t bytes = 0;
    double showMs = 0;
    double mean = 0, median = 0, p95 = 0, worst = 0;
    int checked = 0;  // paragraphs the background check had marked before typing
};

Result Run(int paragraphs, int keys, app::TZtSpellChecker* checker) {
    platform::RecordingMessages msgs;
    THQVset set(msgs);
    set.UndoDeep = 100;
    THQVundoList history(set);
    history.SetDepth(set.UndoDeep);
    auto* page = static_cast<THQVtesto*>(set.AddNewObject(testoHtml));
    const std::string markup = PageMarkup(paragraphs);
    Bytes content(markup.begin(), markup.end());
    content.push_back(0);
    page->SetContent(content);

    ui::TPageView view;
    view.SetHistory(&history);
    view.SetSpellChecker(checker, checker != nullptr);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    Result r;
    r.bytes = markup.size();
    const auto s0 = Clock::now();
    view.ShowPage(set, page->Number());
    view.viewport()->repaint();
    r.showMs = std::chrono::duration<double, std::milli>(Clock::now() - s0).count();
    // Type in the middle of the page.
    const int32_t middle = view.Box()->ParagraphCount() / 2;
    view.Run([middle](BoxEditor& e) { e.Box().SetCaret(middle, 10); });
    view.viewport()->setFocus();
    QApplication::processEvents();
    // Let the background check start and walk some paragraphs.
    const auto settle = Clock::now() + std::chrono::milliseconds(2500);
    while (Clock::now() < settle) QApplication::processEvents(QEventLoop::AllEvents, 50);
    for (int32_t k = 0; k < view.Box()->ParagraphCount(); ++k)
        if (!view.Box()->Paragraph(k).SpellMask().empty()) ++r.checked;
    const int32_t lengthBefore = view.Box()->Paragraph(middle).Length();

    std::vector<double> times;
    times.reserve(size_t(keys));
    for (int i = 0; i < keys; ++i) {
        const char c = i % 7 == 6 ? ' ' : char('a' + i % 26);
        const auto t0 = Clock::now();
        QKeyEvent press(QEvent::KeyPress, c == ' ' ? Qt::Key_Space : Qt::Key_A + (c - 'a'), Qt::NoModifier,
                        QString(QChar(c)));
        QApplication::sendEvent(view.viewport(), &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, press.text());
        QApplication::sendEvent(view.viewport(), &release);
        view.viewport()->repaint();
        QApplication::processEvents();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    // Every key must have reached the page.
    if (view.Box()->Paragraph(middle).Length() != lengthBefore + keys)
        std::fprintf(stderr, "only %d of %d keys were typed\n", view.Box()->Paragraph(middle).Length() - lengthBefore,
                     keys);
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (double t : times) sum += t;
    r.mean = sum / double(times.size());
    r.median = sorted[sorted.size() / 2];
    r.p95 = sorted[sorted.size() * 95 / 100];
    r.worst = sorted.back();
    view.ShowPage(set, -1);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    constexpr int kKeys = 2000;
    struct Case {
        const char* name;
        int paragraphs;
    } cases[] = {{"10 paragraphs", 10}, {"5 MB page", 77000}};
    app::TZtSpellChecker checker;
    checker.CreateUserDictionary = false;
    ui::ConnectToEventLoop(checker);
    checker.Open();
    if (!checker.IsOpen()) std::fprintf(stderr, "no Italian dictionary: the spelling runs check nothing\n");
    std::printf("%-16s %-6s %10s %10s %10s %10s %10s %10s %8s\n", "page", "spell", "bytes", "show ms", "mean us",
                "median us", "p95 us", "worst us", "checked");
    for (const Case& c : cases) {
        double off = 0;
        for (bool spell : {false, true}) {
            Result r = Run(c.paragraphs, kKeys, spell ? &checker : nullptr);
            std::printf("%-16s %-6s %10zu %10.1f %10.1f %10.1f %10.1f %10.1f %8d\n", c.name, spell ? "on" : "off",
                        r.bytes, r.showMs, r.mean, r.median, r.p95, r.worst, r.checked);
            if (!spell) off = r.mean;
            else std::printf("%-16s ratio on/off of the mean time per key: %.2f\n", c.name, r.mean / off);
        }
    }
    return 0;
}
