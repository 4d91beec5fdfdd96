// Painting and behaviour of the settings form's own widgets.
#include "form_widgets.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

static const QColor kSilver(192, 192, 192), kGreen(0, 128, 0), kOlive(128, 128, 0), kBlue(0, 0, 255);
// The caption keeps this far from the box's sides; a long one shrinks down to this size at most.
static constexpr int kCaptionMargin = 3, kSmallestCaptionPixels = 9;

TGradient_Group_Box::TGradient_Group_Box(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption)
{
    connect(qApp, &QApplication::focusChanged, this, &TGradient_Group_Box::Focus_Changed);
}

void TGradient_Group_Box::Set_Body_Colour(const QColor& colour)
{
    body_colour_ = colour;
    update();
}

void TGradient_Group_Box::Focus_Changed(QWidget* old, QWidget* now)
{
    bool inside = now && isAncestorOf(now);
    if (inside == holds_focus_) return;
    holds_focus_ = inside;
    update();
    // Without an old focus the window itself came back to the front: the user entered nothing.
    if (inside && old) emit Entered();
}

void TGradient_Group_Box::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect body = rect().adjusted(0, Caption_Height, -1, -1);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, body_colour_);
    painter.fillRect(body, fill);

    QRect strip(0, 0, width(), Caption_Height);
    QLinearGradient caption_fill(strip.topLeft(), strip.topRight());
    // Silver under the caption text, turning green towards the right end.
    caption_fill.setColorAt(0, kSilver);
    caption_fill.setColorAt(0.4, kSilver);
    caption_fill.setColorAt(1, kGreen);
    painter.fillRect(strip, caption_fill);

    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawLine(0, Caption_Height, width() - 1, Caption_Height);
    painter.setPen(holds_focus_ ? kBlue : kOlive);
    painter.setFont(Caption_Font());
    painter.drawText(strip.adjusted(kCaptionMargin, 0, -kCaptionMargin, 0), Qt::AlignLeft | Qt::AlignVCenter, caption_);
}

QFont TGradient_Group_Box::Caption_Font() const
{
    // Fonts here run wider than the ones the form's pixel places were made for.
    QFont bold = font();
    bold.setBold(true);
    const int room = width() - 2 * kCaptionMargin;
    while (bold.pixelSize() > kSmallestCaptionPixels && QFontMetrics(bold).horizontalAdvance(caption_) > room)
        bold.setPixelSize(bold.pixelSize() - 1);
    return bold;
}

TGradient_Label::TGradient_Label(const QString& text, const QColor& from, const QColor& to, QWidget* parent)
    : QWidget(parent), text_(text), from_(from), to_(to)
{
}

void TGradient_Label::Set_Text(const QString& text)
{
    text_ = text;
    update();
}

QSize TGradient_Label::sizeHint() const
{
    QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_) + 2, metrics.height() + 2};
}

void TGradient_Label::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFontMetrics metrics(font());
    int baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    QPainterPath letters;
    letters.addText(1, baseline, font(), text_);
    QLinearGradient fill(0, baseline - metrics.ascent(), 0, baseline + metrics.descent());
    fill.setColorAt(0, from_);
    fill.setColorAt(1, to_);
    painter.fillPath(letters, fill);
}

TGradient_Bevel::TGradient_Bevel(const QColor& from, const QColor& to, Qt::Orientation direction, QWidget* parent)
    : QWidget(parent), from_(from), to_(to), direction_(direction)
{
}

void TGradient_Bevel::Set_Colours(const QColor& from, const QColor& to)
{
    from_ = from;
    to_ = to;
    update();
}

void TGradient_Bevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect r = rect();
    QLinearGradient fill(r.topLeft(), direction_ == Qt::Horizontal ? r.topRight() : r.bottomLeft());
    fill.setColorAt(0, from_);
    fill.setColorAt(1, to_);
    painter.fillRect(r, fill);
    painter.setPen(Qt::white);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

TGradient_Progress_Bar::TGradient_Progress_Bar(QWidget* parent) : QWidget(parent) {}

void TGradient_Progress_Bar::Set_Percent(int percent)
{
    percent_ = percent;
    update();
}

void TGradient_Progress_Bar::Set_Caption(const QString& caption)
{
    caption_ = caption;
    update();
}

void TGradient_Progress_Bar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(frame, Qt::white);
    QRect inner = frame.adjusted(2, 2, -1, -1);
    int filled = inner.height() * std::clamp(percent_, 0, 100) / 100;
    QRect bar(inner.left(), inner.bottom() + 1 - filled, inner.width(), filled);
    QLinearGradient fill(inner.bottomLeft(), inner.topLeft());
    fill.setColorAt(0, QColor(0, 128, 0));
    fill.setColorAt(0.6, QColor(255, 255, 0));
    fill.setColorAt(1, QColor(255, 0, 0));
    painter.fillRect(bar, fill);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(frame);
    if (!caption_.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(frame, Qt::AlignCenter | Qt::TextWordWrap, caption_ + " " + QString::number(percent_) + "%");
    }
}

TRadio_Group::TRadio_Group(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), columns_(columns)
{
    for (int i = 0; i < items.size(); ++i) group_.addButton(new QRadioButton(items[i], this), i);
    connect(&group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) emit Clicked();
    });
}

void TRadio_Group::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    // Items run down the columns below the caption, as many rows as needed.
    const int count = static_cast<int>(group_.buttons().size()), top = 16;
    const int rows = (count + columns_ - 1) / columns_;
    const int cell_width = (width() - 8) / columns_, cell_height = (height() - top - 2) / rows;
    for (int i = 0; i < count; ++i)
        group_.button(i)->setGeometry(6 + (i / rows) * cell_width, top + (i % rows) * cell_height, cell_width,
                                      cell_height);
}

int TRadio_Group::Item_Index() const { return group_.checkedId(); }

void TRadio_Group::Set_Item_Index(int index)
{
    QAbstractButton* button = group_.button(index);
    if (!button) index = -1;
    if (index == Item_Index()) return;
    if (button) {
        button->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button, so the selection is cleared without it.
    group_.setExclusive(false);
    group_.checkedButton()->setChecked(false);
    group_.setExclusive(true);
    emit Clicked();
}

QList<QRadioButton*> TRadio_Group::Buttons() const
{
    QList<QRadioButton*> buttons;
    for (QAbstractButton* b : group_.buttons()) buttons.append(static_cast<QRadioButton*>(b));
    return buttons;
}

TLink_Label::TLink_Label(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    Set_Colour(kBlue);
}

void TLink_Label::Set_Colour(const QColor& colour)
{
    colour_ = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

void TLink_Label::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit Clicked();
    event->accept();
}

void TLink_Label::mouseMoveEvent(QMouseEvent* event)
{
    emit Mouse_Moved();
    event->accept();
}

QProgressBar* Create_Marquee_Bar(QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 0);   // no range: the toolkit runs its busy animation
    bar->setTextVisible(false);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, kGreen);
    bar->setPalette(palette);
    return bar;
}
