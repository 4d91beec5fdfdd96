// The settings form's own widgets: the gradient group box, label, bevel and vertical progress
// bar, the radio group, the link label and the green marquee bar. Children of the group boxes
// are placed in pixels, as on the rest of the form.
#pragma once

#include <QButtonGroup>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QWidget>

// A box whose body runs from white at the top to Body_Colour at the bottom, under a caption
// strip that runs from silver to green across the whole box. The caption is olive, and blue
// while a control inside the box holds the focus.
class TGradient_Group_Box : public QWidget {
    Q_OBJECT
public:
    static constexpr int Caption_Height = 18;

    TGradient_Group_Box(const QString& caption, QWidget* parent);
    QString Caption() const { return caption_; }
    // The caption's bold font, made smaller where the caption would not fit the box otherwise.
    QFont Caption_Font() const;
    void Set_Body_Colour(const QColor& colour);
    QColor Body_Colour() const { return body_colour_; }
    bool Holds_Focus() const { return holds_focus_; }

signals:
    // Focus moved from a control outside the box to one inside it.
    void Entered();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Focus_Changed(QWidget* old, QWidget* now);

    QString caption_;
    QColor body_colour_{192, 220, 192};
    bool holds_focus_ = false;
};

// Text whose letters are filled with a gradient from From (top) to To (bottom).
class TGradient_Label : public QWidget {
    Q_OBJECT
public:
    TGradient_Label(const QString& text, const QColor& from, const QColor& to, QWidget* parent);
    QString Text() const { return text_; }
    void Set_Text(const QString& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor from_, to_;
};

// A raised panel filled with a gradient from From to To, left to right or top to bottom.
class TGradient_Bevel : public QWidget {
    Q_OBJECT
public:
    TGradient_Bevel(const QColor& from, const QColor& to, Qt::Orientation direction, QWidget* parent);
    void Set_Colours(const QColor& from, const QColor& to);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor from_, to_;
    Qt::Orientation direction_;
};

// A vertical bar filled from the bottom with a gradient, as far as Percent says (held at 0 to
// 100 for the drawing). It prints its caption, when it has one, followed by the percentage.
class TGradient_Progress_Bar : public QWidget {
    Q_OBJECT
public:
    explicit TGradient_Progress_Bar(QWidget* parent);
    int Percent() const { return percent_; }
    void Set_Percent(int percent);
    QString Caption() const { return caption_; }
    void Set_Caption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percent_ = 0;
    QString caption_ = "Volume";
};

// A titled group of radio buttons laid out in columns; no item is selected at first.
class TRadio_Group : public QGroupBox {
    Q_OBJECT
public:
    TRadio_Group(const QString& caption, const QStringList& items, int columns, QWidget* parent);
    // -1 when no item is selected.
    int Item_Index() const;
    // Any value outside 0 to count - 1 clears the selection. Emits Clicked when the index changes.
    void Set_Item_Index(int index);
    QList<QRadioButton*> Buttons() const;

signals:
    // The selection changed, by the user or by code.
    void Clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QButtonGroup group_;
    int columns_;
};

// An underlined link text with a hand cursor that reports clicks and the mouse moving over it.
class TLink_Label : public QLabel {
    Q_OBJECT
public:
    TLink_Label(const QString& text, QWidget* parent);
    void Set_Colour(const QColor& colour);
    QColor Colour() const { return colour_; }

signals:
    void Clicked();
    void Mouse_Moved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QColor colour_;
};

// The busy decoration bar: an endless marquee in green.
QProgressBar* Create_Marquee_Bar(QWidget* parent);
