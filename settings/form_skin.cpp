// The settings form's skin: pictures and outlines from the program's resources, drawn at random
// among their variants, placed by the skin's placement rules, and the form's opening.
#include "form_skin.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>

#include "skin_placement.h"
#include "skin_resources.h"

namespace {

constexpr int kSlideshowPeriodMs = 5100;
constexpr int kSlideshowPictures = 6;
constexpr int kFrameVariants = 7;
constexpr QRgb kPureGreen = 0xff00ff00;
const QColor kSkinColours[5] = {{140, 200, 120}, {160, 220, 120}, {192, 220, 192}, {192, 192, 192}, {166, 202, 240}};
const char* const kSlogan = "Get to the source of your dreams!  Put the Quelm to your desktop!";
// The gradient group boxes whose body takes the drawn colour (matched on their trimmed captions).
const char* const kTintedBoxes[] = {"Video options",         "Camera speed",         "Music Effects Control",
                                    "Music Volume Control",  "Current time",         "TODAY is",
                                    "Processor Speed info",  "Video Card Info",      "Global RAM info"};

// The transparent colour of a picture whose key is its bottom-left pixel.
QRgb Bottom_Left_Key(const QImage& picture)
{
    return picture.isNull() ? kPureGreen : picture.pixel(0, picture.height() - 1);
}

}  // namespace

void Form_Skin::Seed_Skin_Random()
{
    bool given = false;
    const unsigned seed = qEnvironmentVariableIntValue("QUELMSCR_SEED", &given);
    if (given) skin_random_.seed(seed + unsigned(skin_seed_draws_++));
    else skin_random_.seed(unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
}

int Form_Skin::Skin_Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(skin_random_); }

void Form_Skin::Load_Window_Shapes()
{
    state_.App_Outline = Read_Outline("pApp_X", "pApp_Y");
    state_.TVOut_Outline = Read_Outline("pTVOut_X", "pTVOut_Y");
    Apply_Window_Shapes();
    Load_Skin_Images();
    Place_Skin_Images();
}

void Form_Skin::Apply_Window_Shapes()
{
    // Outside its outline the form neither shows nor takes the mouse. An outline that could not
    // be read leaves the form (or the screen) its whole rectangle, which the message has named.
    if (!state_.TVOut_Outline.isEmpty()) Main_TVOut_Panel->setMask(QRegion(state_.TVOut_Outline, Qt::WindingFill));
    if (!state_.App_Outline.isEmpty()) canvas_.Form->setMask(QRegion(state_.App_Outline, Qt::WindingFill));
    // A Wayland compositor takes a mask for where the mouse counts, not for what shows: the form
    // is drawn over a clear background instead, so that outside the outline nothing is.
    if (!state_.App_Outline.isEmpty() && QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        canvas_.Form->setAttribute(Qt::WA_TranslucentBackground);
    canvas_.Form->update();
}

void Form_Skin::Load_Skin_Images()
{
    Seed_Skin_Random();
    auto frame = [this](TSkin_Image* image, const QString& name) { image->Set_Picture(Read_Bitmap(name), kPureGreen); };
    frame(Top_Image, "Title_Top_Image");
    frame(Left_Image_Middle, "Title_Left_Image_Middle");
    frame(Left_Image_bottom, "Title_Left_Image_bottom");
    frame(Right_Image_bottom, "Title_Right_Image_bottom");
    frame(Bottom_Image, "Title_Botom_Image");
    frame(Ball_Hide_Panel_Image, "Title_Ball_Panel_Image_Middle");
    const QImage ball = Read_Bitmap("Ball_Shato");
    Ball_Shato_Image->Set_Picture(ball, Bottom_Left_Key(ball));
    state_.Left_Variant = Skin_Random(1, kFrameVariants);
    state_.Right_Variant = Skin_Random(1, kFrameVariants);
    frame(Left_Image_top, QString("Title_Left_Image_top_%1").arg(state_.Left_Variant, 2, 10, QChar('0')));
    frame(Right_Image_top, QString("Title_Right_Image_top_%1").arg(state_.Right_Variant, 2, 10, QChar('0')));
    // Crossed on purpose: the button lies showing the picture named "active" and shows the one
    // named "passive" under the mouse.
    frame(Top_Exit_Image_passive, "Exit_Image_active");
    frame(Top_Exit_Image_active, "Exit_Image_passive");

    Seed_Skin_Random();
    Show_Slideshow_Picture(Skin_Random(0, 4));
}

void Form_Skin::Show_Slideshow_Picture(int number)
{
    const QImage picture = Read_Jpeg("MySCR_sshot_" + QString::number(number));
    if (!picture.isNull()) Main_TVOut_Image->setPixmap(QPixmap::fromImage(picture));
}

void Form_Skin::Place_Skin_Images()
{
    Frame_Picture_Sizes sizes;
    sizes.Left_Image_top = Left_Image_top->size();
    sizes.Top_Image = Top_Image->size();
    sizes.Left_Image_Middle = Left_Image_Middle->size();
    sizes.Left_Image_bottom = Left_Image_bottom->size();
    sizes.Right_Image_top = Right_Image_top->size();
    sizes.Right_Image_bottom = Right_Image_bottom->size();
    sizes.Bottom_Image = Bottom_Image->size();
    sizes.Top_Exit_Image = Top_Exit_Image_passive->size();
    sizes.Ball_Hide_Panel_Image = Ball_Hide_Panel_Image->size();
    sizes.Ball_Shato_Image = Ball_Shato_Image->size();
    const Skin_Places at = Place_Skin(sizes, canvas_.Page_Control->geometry(), canvas_.Panel1->y());
    Left_Image_top->move(at.Left_Image_top.topLeft());
    Top_Image->move(at.Top_Image.topLeft());
    Left_Image_Middle->move(at.Left_Image_Middle.topLeft());
    Left_Image_bottom->move(at.Left_Image_bottom.topLeft());
    Right_Image_top->move(at.Right_Image_top.topLeft());
    Right_Image_bottom->move(at.Right_Image_bottom.topLeft());
    Bottom_Image->move(at.Bottom_Image.topLeft());
    Top_Exit_Image_passive->move(at.Top_Exit_Image.topLeft());
    Top_Exit_Image_active->move(at.Top_Exit_Image.topLeft());
    Ball_Hide_Panel_Image->move(at.Ball_Hide_Panel_Image.topLeft());
    Ball_Shato_Image->move(at.Ball_Shato_Image.topLeft());
    canvas_.Main_Logo_Image->move(at.Main_Logo_Image);
    glGroupBox_Channels_Monitoring->move(at.glGroupBox_Channels_Monitoring);
    Main_TVOut_Panel->move(at.Main_TVOut_Panel);
    Main_TVOut_Image->setGeometry(Main_TVOut_Panel->rect());
    glLabel_Slogan->move(at.glLabel_Slogan);
    canvas_.Page_Control->move(at.Page_Control);

    for (QWidget* part : drawn_parts_) part->show();
    Bring_To_Front(glLabel_Slogan);
    Bring_To_Front(Top_Image);
    Send_To_Back(Ball_Shato_Image);
    Bring_To_Front(Ball_Hide_Panel_Image);
    Bring_To_Front(Top_Exit_Image_passive);
}

void Form_Skin::Bring_To_Front(QWidget* part)
{
    std::erase(drawn_parts_, part);
    drawn_parts_.push_back(part);
    Restack_Drawn_Parts();
}

void Form_Skin::Send_To_Back(QWidget* part)
{
    std::erase(drawn_parts_, part);
    drawn_parts_.insert(drawn_parts_.begin(), part);
    Restack_Drawn_Parts();
}

void Form_Skin::Restack_Drawn_Parts()
{
    // Drawn parts lie under every windowed control (the pages, buttons, boxes and the screen);
    // among themselves the last in the list is in front.
    for (auto part = drawn_parts_.rbegin(); part != drawn_parts_.rend(); ++part) (*part)->lower();
}

void Form_Skin::Set_Up_Skin(const Screen_Metrics& screen)
{
    state_.Background_Colour_Index = Skin_Random(0, 4);
    glBevel_onMainForm->setGeometry(0, 0, canvas_.Working_Size.width(), canvas_.Working_Size.height() - Bottom_Image->height());
    glBevel_onMainForm->Set_Colours(Qt::white, kSkinColours[state_.Background_Colour_Index]);
    glBevel_onMainForm->show();
    drawn_parts_.insert(drawn_parts_.begin(), glBevel_onMainForm);
    Send_To_Back(glBevel_onMainForm);

    Seed_Skin_Random();
    state_.Body_Colour_Index = Skin_Random(0, 4);
    const QColor body = kSkinColours[state_.Body_Colour_Index];
    for (TGradient_Group_Box* box : canvas_.Form->findChildren<TGradient_Group_Box*>()) {
        const QString caption = box->Caption().trimmed();
        const bool listed = std::any_of(std::begin(kTintedBoxes), std::end(kTintedBoxes),
                                        [&](const char* c) { return caption == c; });
        if (listed || box == canvas_.glGroupBox_Links || box == glGroupBox_Channels_Monitoring) box->Set_Body_Colour(body);
    }

    state_.Opening_Variant = Skin_Random(0, 2);
    const Opening_Screen work_area{screen.Screen_Resolution_X, screen.Work_Area_Half_Width, screen.Work_Area_Half_Height};
    if (state_.Opening_Variant == 0) Open_Grow_Both(work_area);
    else if (state_.Opening_Variant == 1) Open_Grow_Width(work_area);
    else Open_Grow_Down(work_area);
}

void Form_Skin::Open_Grow_Both(const Opening_Screen& screen)
{
    state_.Opening = Grow_Both_Start(screen, Skin_Random(0, 3));
    Apply_Opening_Start();
}

void Form_Skin::Open_Grow_Down(const Opening_Screen& screen)
{
    state_.Opening = Grow_Down_Start(screen, Skin_Random(0, 3));
    Apply_Opening_Start();
}

void Form_Skin::Open_Grow_Width(const Opening_Screen& screen)
{
    state_.Opening = Grow_Width_Start(screen, Skin_Random(0, 2));
    Apply_Opening_Start();
}

void Form_Skin::Apply_Opening_Start()
{
    // The form is held at its working size once open; while it grows it may be any size.
    canvas_.Form->setMinimumSize(1, 1);
    canvas_.Form->setMaximumSize(canvas_.Working_Size.width(), canvas_.Working_Size.height());
    const Opening_Geometry g = Opening_Start_Geometry(state_.Opening);
    canvas_.Form->setGeometry(g.Left, g.Top, g.Width, g.Height);
    canvas_.Form->update();
}

void Form_Skin::Start_Opening()
{
    if (!state_.First_Show) return;
    state_.First_Show = false;
    Open_Grow_Timer->start();
}

void Form_Skin::Open_Grow_Step()
{
    // The event loop has handled what was pending before this turn of the idle handler.
    bool complete = false;
    const Opening_Geometry g = Opening_Advance(state_.Opening, complete);
    canvas_.Form->setGeometry(g.Left, g.Top_Given ? g.Top : canvas_.Form->y(), g.Width, g.Height);
    if (!complete) return;
    Open_Grow_Timer->stop();
    canvas_.Form->setFixedSize(canvas_.Working_Size.width(), canvas_.Working_Size.height());
    // The frame as it stands once open, then the form's own finish.
    for (QWidget* part : drawn_parts_) part->repaint();
    Main_TVOut_Panel->show();
    emit Opened();
}

void Form_Skin::Sshots_Changer_TimerTimer()
{
    state_.Slideshow_Index = uint8_t(state_.Slideshow_Index + 1);
    if (state_.Slideshow_Index > kSlideshowPictures - 1) state_.Slideshow_Index = 0;
    Show_Slideshow_Picture(state_.Slideshow_Index);
}

void Form_Skin::Top_Exit_Image_passiveMouseMove()
{
    state_.Exit_Hover = true;
    Bring_To_Front(Top_Exit_Image_active);
}

void Form_Skin::Mouse_Left_Exit()
{
    if (!state_.Exit_Hover) return;
    state_.Exit_Hover = false;
    Bring_To_Front(Top_Exit_Image_passive);
}

bool Form_Skin::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    const bool exit = widget == Top_Exit_Image_passive || widget == Top_Exit_Image_active;
    const bool closes_on_double_click =
        widget == Left_Image_top || widget == Top_Image || widget == Right_Image_top || widget == Right_Image_bottom;
    const bool frame = closes_on_double_click || widget == Left_Image_Middle || widget == Left_Image_bottom ||
                       widget == Bottom_Image || widget == Ball_Hide_Panel_Image || widget == Ball_Shato_Image;
    const bool surface = frame || widget == Main_TVOut_Panel || widget == Main_TVOut_Image ||
                         widget == canvas_.Page_Control || canvas_.Pages.contains(widget) || widget == canvas_.Panel1 ||
                         widget == glGroupBox_Channels_Monitoring;
    switch (event->type()) {
    case QEvent::MouseMove:
        // Taken here, so a move over a picture is not passed on to the form as well: over the
        // exit button that would swap its look straight back.
        if (widget == glGroupBox_Channels_Monitoring) emit Channels_Box_Mouse_Moved();
        if (widget == Top_Exit_Image_passive) Top_Exit_Image_passiveMouseMove();
        else if (surface) emit Mouse_Moved_Over_Form();
        return exit || frame;
    case QEvent::MouseButtonPress:
        if (exit) return true;
        if (frame || widget == Main_TVOut_Panel || widget == Main_TVOut_Image || widget == canvas_.Panel1 ||
            widget == glGroupBox_Channels_Monitoring) {
            emit Drag_Requested(static_cast<QMouseEvent*>(event)->globalPosition());
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        // A click on the exit button, either of its looks, ends the dialog as Cancel does.
        if (exit && widget->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            emit Close_Requested();
            return true;
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (closes_on_double_click) {
            emit Close_Requested();
            return true;
        }
        return false;
    default: return false;
    }
}

Form_Skin::Form_Skin(const Skin_Canvas& canvas) : QObject(canvas.Form), canvas_(canvas)
{
    canvas_.Form->setMouseTracking(true);
    Create_Parts();
    Watch_Surfaces();

    Sshots_Changer_Timer = new QTimer(this);
    Sshots_Changer_Timer->setObjectName("Sshots_Changer_Timer");
    Sshots_Changer_Timer->setInterval(kSlideshowPeriodMs);
    // Qt's default coarse timer may fire up to a twentieth of the period early or late.
    Sshots_Changer_Timer->setTimerType(Qt::PreciseTimer);
    connect(Sshots_Changer_Timer, &QTimer::timeout, this, &Form_Skin::Sshots_Changer_TimerTimer);
    Open_Grow_Timer = new QTimer(this);
    Open_Grow_Timer->setObjectName("Open_Grow_Timer");
    Open_Grow_Timer->setInterval(0);
    connect(Open_Grow_Timer, &QTimer::timeout, this, &Form_Skin::Open_Grow_Step);
}

void Form_Skin::Create_Parts()
{
    QWidget* form = canvas_.Form;
    glBevel_onMainForm = new TGradient_Bevel(Qt::white, kSkinColours[2], Qt::Horizontal, form);
    glBevel_onMainForm->setObjectName("glBevel_onMainForm");
    // The background passes the mouse on to the form, which drags on a press.
    glBevel_onMainForm->setAttribute(Qt::WA_TransparentForMouseEvents);
    glBevel_onMainForm->hide();

    auto image = [this, form](const char* name) {
        auto* part = new TSkin_Image(form);
        part->setObjectName(name);
        part->installEventFilter(this);
        part->hide();
        drawn_parts_.push_back(part);
        return part;
    };
    Left_Image_top = image("Left_Image_top");
    Top_Image = image("Top_Image");
    Left_Image_Middle = image("Left_Image_Middle");
    Left_Image_bottom = image("Left_Image_bottom");
    Right_Image_top = image("Right_Image_top");
    Right_Image_bottom = image("Right_Image_bottom");
    Bottom_Image = image("Bottom_Image");
    Top_Exit_Image_active = image("Top_Exit_Image_active");
    Top_Exit_Image_passive = image("Top_Exit_Image_passive");
    Top_Exit_Image_active->setCursor(Qt::PointingHandCursor);
    Top_Exit_Image_passive->setCursor(Qt::PointingHandCursor);
    Ball_Hide_Panel_Image = image("Ball_Hide_Panel_Image");
    Ball_Shato_Image = image("Ball_Shato_Image");
    drawn_parts_.insert(drawn_parts_.begin(), canvas_.Main_Logo_Image);

    glLabel_Slogan = new TGradient_Label(kSlogan, QColor(0, 0, 255), QColor(255, 0, 0), form);
    glLabel_Slogan->setObjectName("glLabel_Slogan");
    QFont slogan = form->font();
    slogan.setFamilies({"Verdana", "DejaVu Sans"});
    slogan.setPixelSize(13);
    slogan.setBold(true);
    glLabel_Slogan->setFont(slogan);
    glLabel_Slogan->resize(glLabel_Slogan->sizeHint());
    glLabel_Slogan->setAttribute(Qt::WA_TransparentForMouseEvents);
    glLabel_Slogan->hide();
    drawn_parts_.push_back(glLabel_Slogan);

    glGroupBox_Channels_Monitoring = new TGradient_Group_Box("", form);
    glGroupBox_Channels_Monitoring->setObjectName("glGroupBox_Channels_Monitoring");
    glGroupBox_Channels_Monitoring->resize(317, 37);

    Main_TVOut_Panel = new QFrame(form);
    Main_TVOut_Panel->setObjectName("Main_TVOut_Panel");
    Main_TVOut_Panel->resize(285, 240);
    Main_TVOut_Panel->setToolTip(" In FULL Screen use Key  -\" F1 \"- for operative Help ! ");
    Main_TVOut_Panel->hide();
    Main_TVOut_Image = new QLabel(Main_TVOut_Panel);
    Main_TVOut_Image->setObjectName("Main_TVOut_Image");
    Main_TVOut_Image->setScaledContents(true);
}

void Form_Skin::Watch_Surfaces()
{
    // The mouse over these moves and drags the form, or sets the exit button's look back.
    QList<QWidget*> surfaces{glGroupBox_Channels_Monitoring, Main_TVOut_Panel, Main_TVOut_Image, canvas_.Page_Control};
    surfaces << canvas_.Pages << canvas_.Panel1;
    for (QWidget* surface : surfaces) {
        surface->setMouseTracking(true);
        surface->installEventFilter(this);
    }
}

void Form_Skin::Start_Slideshow()
{
    Seed_Skin_Random();
    state_.Slideshow_Index = uint8_t(Skin_Random(0, 4));
    Sshots_Changer_Timer->start();
}

void Form_Skin::Stop_Timers()
{
    Sshots_Changer_Timer->stop();
    Open_Grow_Timer->stop();
}
