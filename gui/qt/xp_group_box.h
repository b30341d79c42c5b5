#pragma once
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include "gui/control_drawing.h"

namespace setrion::gui {

// A drawn group box: a rounded frame broken by its caption ("frame" style) or a
// filled body under a caption band ("window" style). Every setter redraws at once.
class CXPGroupBox : public QWidget {
    Q_OBJECT
public:
    enum Style { Frame = 0, Window = 1 };
    enum Alignment { Left = 0, Centre = 1, Right = 2 };
    static constexpr int kCaptionInset = drawing::kGroupCaptionInset;
    static constexpr int kWindowInset = drawing::kGroupWindowInset;
    static constexpr int kCornerSize = drawing::kGroupCornerSize;

    // Where one paint puts its parts.
    struct Geometry {
        QRect area;      // client rectangle shrunk by 1
        QRect caption;   // filled with the caption background, text drawn in it
        QRect frame;     // rounded frame (frame style) or filled body (window style)
    };

    explicit CXPGroupBox(QWidget* parent = nullptr);

    void setBorderColour(QColor c);
    void setCaptionTextColour(QColor c);
    void setBackgroundColours(QColor caption, QColor body);
    void setBackgroundColour(QColor both);
    void setBoxStyle(int style);
    void setCaption(const QString& text);
    void setBold(bool on);
    void setFontName(const QString& family);
    void setUnderline(bool on);
    void setItalic(bool on);
    void setFontSize(int points);
    void setFontDescription(const QFont& font);
    void setAlignment(int alignment);
    // The control's own window text: the caption when none was set.
    void setWindowText(const QString& text);

    QString caption() const { return m_caption; }
    const QFont& boxFont() const { return m_font; }
    int alignment() const { return m_alignment; }
    bool isBold() const { return m_font.weight() >= QFont::Bold; }
    int boxStyle() const { return m_style; }
    QColor borderColour() const { return m_border; }
    QColor captionTextColour() const { return m_textColour; }
    QColor captionBackground() const { return m_captionBg; }
    QColor bodyBackground() const { return m_bodyBg; }
    int redrawCount() const { return m_redraws; }
    Geometry geometryFor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void redraw();
    const QString& effectiveCaption() const;

    mutable QString m_caption;  // stored with one blank before and after
    QString m_windowText;
    QColor m_border;
    QColor m_captionBg;
    QColor m_bodyBg;
    QColor m_textColour;
    int m_style = Frame;
    int m_alignment = Left;
    QFont m_font;
    int m_redraws = 0;
};

}  // namespace setrion::gui
