// The inner view of a floating frame: a read-only editing view of the page the
// frame names, inside the page that holds the frame. It never stores what it
// shows. Links followed inside it stay there when the frame's target is
// "_self" (AutoJump); any other target hands them to the outer view. A page
// that shows itself through floating frames stops at the second level.
//
//   TFloatingView inner(outer, frame, measurer, {outerPage});
//   inner.Shown();                 // false: the nesting stopped here
//   inner.View().MainPageNumber();
//
// While it exists the inner view counts as a frame set nested in the outer
// view's page: links naming one of its frames find it.
//
// An interface that draws the inner view itself passes its own editing view
// to be set up instead (TFloatingView(outer, frame, widgetsView, chain)); the
// TFloatingView must then live as long as that view follows links.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "page/placed_floating.h"
#include "view/editing_view.h"

namespace ovik {

class TFloatingView {
public:
    // `outerPages`: the pages shown around the frame, outermost first.
    TFloatingView(TInsiemeCornici& outer, const TMyyFloating& frame, platform::TextMeasurer& measurer,
                  std::vector<int32_t> outerPages);
    // Sets up `inner`, an editing view owned by the caller.
    TFloatingView(TInsiemeCornici& outer, const TMyyFloating& frame, TInsiemeCornici& inner,
                  std::vector<int32_t> outerPages);
    ~TFloatingView();
    TFloatingView(const TFloatingView&) = delete;
    TFloatingView& operator=(const TFloatingView&) = delete;
    TInsiemeCornici& View() { return inner_; }
    bool Shown() const { return shown_; }
    bool ShowNested() const { return settings_.showNested; }
    const FloatingSettings& Settings() const { return settings_; }
    // The pages around a floating frame of the inner page, outermost first.
    std::vector<int32_t> Chain() const;

private:
    void SetUp(const TMyyFloating& frame);
    TInsiemeCornici& outer_;
    std::unique_ptr<TInsiemeCornici> own_;
    TInsiemeCornici& inner_;
    FloatingSettings settings_;
    std::vector<int32_t> outerPages_;
    bool keepsLinks_ = false;
    bool shown_ = false;
};

}  // namespace ovik
