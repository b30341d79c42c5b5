#pragma once
#include <functional>

namespace setrion::gui {

class DialogView;

// What a window needs beyond its controls' kinds (caption styles, extra menus). Run once,
// after the widgets are built and before the first render, for every view of the template.
using ViewExtra = std::function<void(DialogView&)>;
void addViewExtra(int templateId, ViewExtra extra);
void applyViewExtras(DialogView& view);

}  // namespace setrion::gui
