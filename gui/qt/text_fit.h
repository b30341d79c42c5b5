#pragma once
#include <QSize>
#include <QString>
#include <vector>

namespace setrion::gui {

class DialogView;

// A text that does not fit where its control shows it.
struct CutText {
    int controlId = 0;
    QString text;
    QSize needed;     // the text's extent in pixels
    QSize available;  // the room the control gives it
};

// Measures every text of the view's model (ui::textsToFit) with the font the window really
// uses against the room its widget gives: a caption in its control, a list item in the closed
// list's field, a static's text wrapped to its rectangle. Returns the texts that are cut.
std::vector<CutText> cutTexts(DialogView& view);

}  // namespace setrion::gui
