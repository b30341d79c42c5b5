#include "gui/qt/dialog_view.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

#include "common/interrupt.h"
#include "gui/qt/icon_button.h"
#include "gui/qt/icons.h"
#include "gui/qt/ip_address_edit.h"
#include "gui/qt/qt_shell.h"
#include "gui/qt/view_extras.h"
#include "gui/qt/xp_group_box.h"

namespace setrion::gui {

using ui::ControlKind;

struct DialogView::Binding {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    QWidget* widget = nullptr;
    std::vector<std::string> items;  // the items last shown
    int icon = -1;
    bool shownOnce = false;
};

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A static's '&' marks a mnemonic (not shown) and "&&" is a literal ampersand.
QString staticText(const std::string& s) {
    const QString in = qs(s);
    QString out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '&' && i + 1 < in.size()) ++i;  // show the next character as it is
        out += in[i];
    }
    return out;
}

// A drop list that lets the model refill it just before it drops down.
class DropListBox final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToDrop;
    void showPopup() override {
        if (aboutToDrop) aboutToDrop();
        QComboBox::showPopup();
    }
};

}  // namespace

DialogView::DialogView(ui::Dialog& model, QtShell& shell, QWidget* parent)
    : QDialog(parent), m_model(model), m_shell(shell) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    // The dialogs' font: the desktop's face at the 8-point size the layouts are made for.
    QFont dialogFont = font();
    dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);
    // Dialog base units as the system derives them from the dialog font.
    const QFontMetrics fm(font());
    const int avg = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_base = QSize((avg / 26 + 1) / 2, fm.height());
    setFixedSize(toPixels({0, 0, model.widthDu(), model.heightDu()}).size());

    // Group boxes first, so the controls inside them lie on top.
    for (const ui::Control* c : model.controls())
        if (c->kind == ControlKind::GroupBox) createWidget(*c);
    for (const ui::Control* c : model.controls())
        if (c->kind != ControlKind::GroupBox) createWidget(*c);
    // Tab order as the model gives it.
    QWidget* prev = nullptr;
    for (int id : model.tabOrder()) {
        QWidget* w = widget(id);
        if (w == nullptr || w->focusPolicy() == Qt::NoFocus) continue;
        if (prev != nullptr) setTabOrder(prev, w);
        prev = w;
    }
    applyViewExtras(*this);
    m_shell.viewCreated(*this);
}

DialogView::~DialogView() { m_shell.viewDestroyed(*this); }

QRect DialogView::toPixels(const ui::Rect& du) const {
    auto mx = [&](int v) { return (v * m_base.width() + 2) / 4; };
    auto my = [&](int v) { return (v * m_base.height() + 4) / 8; };
    return QRect(mx(du.x), my(du.y), mx(du.width), my(du.height));
}

QWidget* DialogView::widget(int id) const {
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second->widget;
}

QWidget* DialogView::createWidget(const ui::Control& c) {
    auto b = std::make_unique<Binding>();
    b->id = c.id;
    b->kind = c.kind;
    const int id = c.id;
    QWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::Button: {
            auto* pb = new QPushButton(this);
            pb->setAutoDefault(false);
            connect(pb, &QPushButton::clicked, this, [this, id] { dispatch([&] { m_model.click(id); }); });
            w = pb;
            break;
        }
        case ControlKind::IconButton: {
            auto* ib = new IconButton(this);
            ib->setFlat(false);
            connect(ib, &IconButton::clicked, this, [this, id] { dispatch([&] { m_model.click(id); }); });
            w = ib;
            break;
        }
        case ControlKind::Edit:
            if (c.multiline) {
                auto* te = new QPlainTextEdit(this);
                connect(te, &QPlainTextEdit::textChanged, this, [this, id, te] {
                    dispatch([&] { m_model.editText(id, te->toPlainText().toStdString()); });
                });
                w = te;
            } else {
                auto* le = new QLineEdit(this);
                connect(le, &QLineEdit::textEdited, this, [this, id](const QString& t) {
                    dispatch([&] { m_model.editText(id, t.toStdString()); });
                });
                filterTypedCharacters(le, id);
                w = le;
            }
            break;
        case ControlKind::DropList: {
            auto* cb = new DropListBox(this);
            cb->aboutToDrop = [this, id] { dispatch([&] { m_model.dropDown(id); }); };
            connect(cb, &QComboBox::activated, this, [this, id](int index) {
                dispatch([&] { m_model.select(id, index); });
            });
            w = cb;
            break;
        }
        case ControlKind::ListBox: {
            auto* lw = new QListWidget(this);
            connect(lw, &QListWidget::currentRowChanged, this, [this, id](int row) {
                dispatch([&] { m_model.select(id, row); });
            });
            w = lw;
            break;
        }
        case ControlKind::CheckBox: {
            auto* cb = new QCheckBox(this);
            connect(cb, &QCheckBox::clicked, this, [this, id] { dispatch([&] { m_model.click(id); }); });
            w = cb;
            break;
        }
        case ControlKind::Radio: {
            auto* rb = new QRadioButton(this);
            rb->setAutoExclusive(false);  // the model decides what is checked
            connect(rb, &QRadioButton::clicked, this, [this, id] { dispatch([&] { m_model.click(id); }); });
            w = rb;
            break;
        }
        case ControlKind::Static: {
            auto* l = new QLabel(this);
            l->setTextFormat(Qt::PlainText);
            l->setWordWrap(true);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = l;
            break;
        }
        case ControlKind::GroupBox:
            w = new CXPGroupBox(this);
            break;
        case ControlKind::IpAddress: {
            auto* ip = new IpAddressEdit(this);
            connect(ip, &IpAddressEdit::octetsEdited, this, [this, id, ip] {
                dispatch([&] { m_model.setIpOctets(id, ip->address()); });
            });
            for (int f = 0; f < 4; ++f) filterTypedCharacters(ip->field(f), id);
            w = ip;
            break;
        }
        case ControlKind::ProgressBar:
            w = new QProgressBar(this);
            static_cast<QProgressBar*>(w)->setTextVisible(false);
            break;
    }
    w->setObjectName(QString("control%1").arg(id));
    QRect r = toPixels(c.rect);
    // A drop list's rectangle includes its dropped-down list; closed it is one line high.
    if (c.kind == ControlKind::DropList) r.setHeight(std::min(r.height(), w->sizeHint().height()));
    w->setGeometry(r);
    w->setProperty("controlId", id);
    b->widget = w;
    m_byId[id] = b.get();
    m_bindings.push_back(std::move(b));
    return w;
}

void DialogView::filterTypedCharacters(QLineEdit* edit, int id) {
    edit->setProperty("typedCharacterControl", id);
    edit->installEventFilter(this);
}

bool DialogView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const QString typed = static_cast<QKeyEvent*>(event)->text();
    // Only characters the edit would insert, and backspace, are asked about.
    if (edit == nullptr || typed.size() != 1 || (typed[0].unicode() < 0x20 && typed[0] != '\b'))
        return QDialog::eventFilter(watched, event);
    // In an address control '.' and Space move between the fields; they are never typed.
    if ((typed[0] == '.' || typed[0] == ' ') &&
        qobject_cast<IpAddressEdit*>(edit->parentWidget()) != nullptr)
        return QDialog::eventFilter(watched, event);
    // The text as it is before the character: a selection it would replace is left out.
    QString text = edit->text();
    if (edit->hasSelectedText() && typed[0] != '\b') text.remove(edit->selectionStart(), edit->selectedText().size());
    const int id = edit->property("typedCharacterControl").toInt();
    if (m_model.acceptsTypedCharacter(id, text.toStdString(), static_cast<int>(typed[0].unicode())))
        return QDialog::eventFilter(watched, event);
    return true;  // dropped
}

void DialogView::render() {
    m_rendering = true;
    setWindowTitle(qs(m_model.title()));
    if (windowIcon().isNull() || m_model.windowIcon() != 0) {
        const int icon = m_model.windowIcon() != 0 ? m_model.windowIcon() : 128;
        QIcon qi;
        for (int s : {16, 32}) qi.addPixmap(iconPixmap(icon, {s, s}));
        setWindowIcon(qi);
    }
    for (const ui::Control* c : m_model.controls()) {
        auto it = m_byId.find(c->id);
        if (it != m_byId.end()) renderControl(*it->second, *c);
    }
    m_rendering = false;
    if (m_model.ended()) {
        if (!m_closing) {
            m_closing = true;
            done(m_model.result());
        }
        return;
    }
    if (isVisible() != m_model.windowVisible() && m_shell.isShown(*this))
        setVisible(m_model.windowVisible());
}

void DialogView::renderControl(Binding& b, const ui::Control& c) {
    QWidget* w = b.widget;
    const QString text = qs(c.text);
    switch (c.kind) {
        case ControlKind::Button:
            static_cast<QPushButton*>(w)->setText(text);
            break;
        case ControlKind::IconButton: {
            auto* ib = static_cast<IconButton*>(w);
            if (ib->text() != text) ib->setText(text);
            if (b.icon != c.iconNumber) {
                b.icon = c.iconNumber;
                ib->setIcons(c.iconNumber, {32, 32});
            }
            if (ib->isDefaultButton() != c.isDefault) ib->setDefaultButton(c.isDefault);
            break;
        }
        case ControlKind::Edit:
            if (auto* le = qobject_cast<QLineEdit*>(w)) {
                if (le->text() != text) le->setText(text);
                le->setMaxLength(c.textLimit == 0 ? 32767 : static_cast<int>(c.textLimit));
                le->setReadOnly(c.readOnly);
                le->setEchoMode(c.password ? QLineEdit::Password : QLineEdit::Normal);
            } else if (auto* te = qobject_cast<QPlainTextEdit*>(w)) {
                if (te->toPlainText() != text) te->setPlainText(text);
                te->setReadOnly(c.readOnly);
            }
            break;
        case ControlKind::DropList: {
            auto* cb = static_cast<QComboBox*>(w);
            if (b.items != c.items) {
                b.items = c.items;
                cb->clear();
                for (const auto& item : c.items) cb->addItem(qs(item));
            }
            if (cb->currentIndex() != c.selection) cb->setCurrentIndex(c.selection);
            break;
        }
        case ControlKind::ListBox: {
            auto* lw = static_cast<QListWidget*>(w);
            if (b.items != c.items) {
                b.items = c.items;
                lw->clear();
                for (const auto& item : c.items) lw->addItem(qs(item));
            }
            if (lw->currentRow() != c.selection) lw->setCurrentRow(c.selection);
            break;
        }
        case ControlKind::CheckBox:
        case ControlKind::Radio: {
            auto* ab = static_cast<QAbstractButton*>(w);
            if (ab->text() != text) ab->setText(text);
            if (ab->isChecked() != c.checked) ab->setChecked(c.checked);
            break;
        }
        case ControlKind::Static: {
            auto* l = static_cast<QLabel*>(w);
            if (c.iconNumber != 0) {
                if (b.icon != c.iconNumber) {
                    b.icon = c.iconNumber;
                    l->setPixmap(iconPixmap(c.iconNumber, {32, 32}));
                }
                break;
            }
            const QString shown = staticText(c.text);
            if (l->text() != shown) l->setText(shown);
            break;
        }
        case ControlKind::GroupBox: {
            auto* g = static_cast<CXPGroupBox*>(w);
            if (g->caption() != " " + text + " ") g->setCaption(text);
            if (c.colour) {
                const uint32_t ref = *c.colour;  // 0x00BBGGRR
                const QColor colour(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                                    static_cast<int>((ref >> 16) & 0xFF));
                if (g->captionTextColour() != colour) g->setCaptionTextColour(colour);
            }
            if (g->isBold() != c.bold) g->setBold(c.bold);
            if (g->alignment() != c.alignment) g->setAlignment(c.alignment);
            break;
        }
        case ControlKind::IpAddress:
            static_cast<IpAddressEdit*>(w)->setAddress(c.address());
            break;
        case ControlKind::ProgressBar: {
            auto* pb = static_cast<QProgressBar*>(w);
            if (pb->minimum() != c.rangeMin || pb->maximum() != c.rangeMax)
                pb->setRange(c.rangeMin, c.rangeMax);
            if (pb->value() != c.position) pb->setValue(c.position);
            break;
        }
    }
    if (w->isEnabled() != c.enabled) w->setEnabled(c.enabled);
    if (w->isVisibleTo(this) != c.visible || !b.shownOnce) {
        b.shownOnce = true;
        w->setVisible(c.visible);
    }
}

void DialogView::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_busy > 0) {
        // A sequence runs: it ends at its next step, then the dialog closes the ordinary way
        // (leaving command mode first).
        m_closeAfterBusy = true;
        requestInterrupt(0);
        return;
    }
    dispatch([&] { m_model.requestClose(ui::kIdCancel); });
}

void DialogView::closeAfterSequence() {
    m_closeAfterBusy = false;
    if (interruptSignal() == 0) clearInterrupt();  // the request was this window's own
    dispatch([&] { m_model.requestClose(ui::kIdCancel); });
}

void DialogView::reject() {
    if (m_closing) {
        QDialog::reject();
        return;
    }
    dispatch([&] { m_model.pressEscape(); });
}

int DialogView::focusedControl() const {
    for (QWidget* w = focusWidget(); w != nullptr && w != this; w = w->parentWidget())
        if (const QVariant id = w->property("controlId"); id.isValid()) return id.toInt();
    return 0;
}

std::unique_ptr<QMenu> DialogView::systemMenu() {
    const auto& items = m_model.systemMenuItems();
    if (items.empty()) return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    for (const auto& item : items) {
        const int command = item.command;
        connect(menu->addAction(qs(item.text)), &QAction::triggered, this,
                [this, command] { dispatch([&] { m_model.systemCommand(command); }); });
    }
    return menu;
}

void DialogView::contextMenuEvent(QContextMenuEvent* event) {
    if (auto menu = systemMenu()) {
        menu->exec(event->globalPos());
        return;
    }
    QDialog::contextMenuEvent(event);
}

void DialogView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const int focused = focusedControl();
            dispatch([&] { m_model.pressEnter(focused); });
            return;
        }
        case Qt::Key_Escape:
            if (!m_closing) {
                dispatch([&] { m_model.pressEscape(); });
                return;
            }
            break;
        default:
            break;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace setrion::gui
