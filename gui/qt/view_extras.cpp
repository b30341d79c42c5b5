#include "gui/qt/view_extras.h"

#include <map>
#include <vector>

#include "gui/qt/dialog_view.h"

namespace setrion::gui {

namespace {
std::map<int, std::vector<ViewExtra>>& extras() {
    static std::map<int, std::vector<ViewExtra>> all;
    return all;
}
}  // namespace

void addViewExtra(int templateId, ViewExtra extra) {
    extras()[templateId].push_back(std::move(extra));
}

void applyViewExtras(DialogView& view) {
    auto it = extras().find(view.model().templateId());
    if (it == extras().end()) return;
    for (const ViewExtra& e : it->second) e(view);
}

}  // namespace setrion::gui
