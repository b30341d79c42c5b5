#include "gui/qt/text_fit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <climits>

#include "gui/qt/dialog_view.h"
#include "gui/qt/icon_button.h"
#include "gui/qt/xp_group_box.h"
#include "ui/kit/text_fit.h"

namespace setrion::gui {
namespace {

// The text as drawn: '&' marks a mnemonic and is not shown, "&&" shows one.
QString shown(const std::string& s) {
    const QString in = QString::fromStdString(s);
    QString out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '&' && i + 1 < in.size()) ++i;
        out += in[i];
    }
    return out;
}

// The extent of `text` broken into lines (at '\n', and at blanks when `wrap`) within `width`.
QSize extent(const QFontMetrics& fm, const QString& text, int width, bool wrap) {
    const int flags = wrap ? Qt::TextWordWrap : 0;
    return fm.boundingRect(QRect(0, 0, width, INT_MAX), flags, text).size();
}

// The room a widget gives one text, and whether it wraps there.
struct Room {
    QSize size;
    bool wrap = false;
    QFont font;
};

Room roomOf(QWidget* w) {
    Room room{w->contentsRect().size(), false, w->font()};
    QStyle* style = w->style();
    if (auto* ib = qobject_cast<IconButton*>(w)) {
        room.size = ib->look().captionRect.size();
        room.wrap = true;
    } else if (auto* pb = qobject_cast<QPushButton*>(w)) {
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, pb);
        room.size = pb->rect().adjusted(margin, 0, -margin, 0).size();
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(cb);
        opt.editable = false;
        opt.frame = true;
        room.size =
            style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, cb)
                .size();
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
        QStyleOptionFrame opt;
        opt.initFrom(le);
        opt.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, le);
        const QRect field = style->subElementRect(QStyle::SE_LineEditContents, &opt, le);
        room.size = field.adjusted(2, 0, -2, 0).size();  // the edit's own side margins
    } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
        room.size = lw->viewport()->size() -
                    QSize(2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1), 0);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        room.wrap = l->wordWrap();
    } else if (auto* g = qobject_cast<CXPGroupBox*>(w)) {
        const int inset = g->alignment() == CXPGroupBox::Centre ? 2 : CXPGroupBox::kCaptionInset;
        room.size = QSize(g->width() - 2 - 2 * inset, QFontMetrics(g->boxFont()).height());
        room.font = g->boxFont();
    }
    return room;
}

}  // namespace

std::vector<CutText> cutTexts(DialogView& view) {
    std::vector<CutText> cuts;
    for (const ui::ShownText& t : ui::textsToFit(view.model())) {
        QWidget* w = view.widget(t.controlId);
        if (w == nullptr) continue;
        QString text = shown(t.text);
        auto* box = qobject_cast<CXPGroupBox*>(w);
        if (box != nullptr) text = " " + text + " ";
        const Room room = roomOf(w);
        const QFontMetrics fm(room.font);
        QSize needed;
        if (auto* check = qobject_cast<QAbstractButton*>(w);
            check != nullptr && qobject_cast<IconButton*>(w) == nullptr &&
            qobject_cast<QPushButton*>(w) == nullptr) {
            // A check box or radio: its indicator, spacing and text side by side, as the style
            // sizes them (its height hint adds a focus margin the text does not need).
            const QString before = check->text();
            check->setText(text);
            needed = QSize(check->sizeHint().width(), fm.height());
            check->setText(before);
            if (needed.width() > w->width() || needed.height() > w->height())
                cuts.push_back({t.controlId, text, needed, w->size()});
            continue;
        }
        needed = extent(fm, text, room.size.width(), room.wrap);
        if (needed.width() > room.size.width() || needed.height() > room.size.height())
            cuts.push_back({t.controlId, text, needed, room.size});
    }
    return cuts;
}

}  // namespace setrion::gui
