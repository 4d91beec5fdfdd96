// The settings form's controls: kinds, captions, ranges, the default settings they start at,
// hints, and their places in pixels (never scaled with the system's font size).
#include "settings_form.h"

#include <QProxyStyle>
#include <QStyle>
#include <QTabBar>

#include "behaviour_keys.h"
#include "form_pictures.h"
#include "form_skin.h"

// The page control's size, and the font of the form and its pages.
static constexpr int kPagesWidth = 325, kPagesHeight = 320;
static constexpr int kFontPixels = 11;

// A toolkit style that gives one track bar its thumb length (the thumb's size across the bar).
class Thumb_Length_Style : public QProxyStyle {
public:
    explicit Thumb_Length_Style(int length) : length_(length) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_SliderThickness || metric == PM_SliderControlThickness) return length_;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int length_;
};

static void Set_Thumb_Length(QSlider* track_bar, int length)
{
    auto* style = new Thumb_Length_Style(length);
    style->setParent(track_bar);
    track_bar->setStyle(style);
}

static QLabel* Label(const QString& text, QWidget* parent, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

static QCheckBox* Check_Box(const QString& text, bool checked, QWidget* parent, int left, int top, int width)
{
    auto* box = new QCheckBox(text, parent);
    box->setChecked(checked);
    box->setGeometry(left, top, width, 17);
    return box;
}

// The range of a track bar that sets a behaviour key: the key's, as the engine reads it.
static std::pair<int, int> Span(Behaviour key) { return {Behaviour_Key_Of(key).Low, Behaviour_Key_Of(key).High}; }
// A track bar as the form uses them: a Windows track bar's line and page sizes, and for the
// vertical ones the minimum at the top with the Down key moving the thumb down.
static QSlider* Track_Bar(Qt::Orientation orientation, std::pair<int, int> range, int position, QWidget* parent)
{
    auto* bar = new QSlider(orientation, parent);
    bar->setRange(range.first, range.second);
    bar->setValue(position);
    bar->setSingleStep(1);
    bar->setPageStep(2);
    if (orientation == Qt::Vertical) {
        bar->setInvertedAppearance(true);
        bar->setInvertedControls(true);
    }
    return bar;
}

void TAdjustment_Form::Create_Controls()
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(Form_Width, Form_Height);
    QFont form_font;
    form_font.setFamilies({"Verdana", "DejaVu Sans"});
    form_font.setPixelSize(kFontPixels);
    setFont(form_font);

    Page_Control = new QTabWidget(this);
    Page_Control->setFont(form_font);
    Page_Control->setGeometry(412, 72, kPagesWidth, kPagesHeight);
    Page_Control->tabBar()->setExpanding(false);
    Page_Control->tabBar()->setUsesScrollButtons(false);
    Page_Control->hide();
    TabSheet_Main = new QWidget;
    TabSheet_Sound = new QWidget;
    TabSheet_About = new QWidget;
    Page_Control->addTab(TabSheet_Main, "Main Controls");
    Page_Control->addTab(TabSheet_Sound, "Music Volume");
    Page_Control->addTab(TabSheet_About, "About");

    Create_Main_Page();
    Create_Sound_Page();
    Create_About_Page();
    Create_Buttons_And_Links();
}

void TAdjustment_Form::Create_Main_Page()
{
    QWidget* page = TabSheet_Main;
    const Form_Settings defaults;

    glGroupBox_Gamma_Correction = new TGradient_Group_Box(" Gamma correction [%]", page);
    // These two boxes keep white to silver whatever colour the skin draws for the others.
    glGroupBox_Gamma_Correction->Set_Body_Colour(QColor(192, 192, 192));
    glGroupBox_Gamma_Correction->setGeometry(4, 4, 200, 80);
    CheckBox_Gamma = Check_Box("Default", defaults.Gamma_Default, glGroupBox_Gamma_Correction, 8, 22, 70);
    Label("Brightness:", glGroupBox_Gamma_Correction, 86, 23);
    glLabel_Gamma = new TGradient_Label("", QColor(0, 0, 160), QColor(200, 0, 0), glGroupBox_Gamma_Correction);
    QFont bold = font();
    bold.setBold(true);
    glLabel_Gamma->setFont(bold);
    glLabel_Gamma->setGeometry(154, 20, 40, 18);
    TrackBar_Gamma = Track_Bar(Qt::Horizontal, Span(Behaviour::Gamma), defaults.Gamma_Position, glGroupBox_Gamma_Correction);
    TrackBar_Gamma->setTickPosition(QSlider::NoTicks);
    TrackBar_Gamma->setPageStep(1);
    TrackBar_Gamma->setGeometry(6, 40, 188, 22);
    Label_Darker = Label("Darker", glGroupBox_Gamma_Correction, 8, 62);
    Label_Brighter = Label("Brighter", glGroupBox_Gamma_Correction, 0, 62);
    QFont underlined = font();
    underlined.setUnderline(true);
    Label_Darker->setFont(underlined);
    Label_Brighter->setFont(underlined);
    Label_Darker->adjustSize();
    Label_Brighter->adjustSize();
    Label_Brighter->move(192 - Label_Brighter->width(), 62);

    glGroupBox_Camera_Speed = new TGradient_Group_Box(" Camera speed", page);
    glGroupBox_Camera_Speed->setGeometry(208, 4, 107, 180);
    TrackBar_Scene_Speed = Track_Bar(Qt::Vertical, Span(Behaviour::Speed), defaults.Scene_Speed_Position, glGroupBox_Camera_Speed);
    TrackBar_Scene_Speed->setTickPosition(QSlider::TicksBothSides);
    TrackBar_Scene_Speed->setTickInterval(1);
    TrackBar_Scene_Speed->setSingleStep(5);
    TrackBar_Scene_Speed->setGeometry(2, 22, 52, 154);
    // The speed names beside the positions they stand for: 0, 1, the middle and the bottom.
    const int first = 22 + 9, last = 22 + 154 - 9 - 14;
    Label("frozen", glGroupBox_Camera_Speed, 54, first - 6);
    Label("normal", glGroupBox_Camera_Speed, 54, first + (last - first) / 7 + 2);
    Label("fast", glGroupBox_Camera_Speed, 54, first + (last - first) / 2 + 4);
    Label("extreme", glGroupBox_Camera_Speed, 54, last + 4);

    glGroupBox_Video_Options = new TGradient_Group_Box(" Video options", page);
    glGroupBox_Video_Options->setGeometry(4, 88, 200, 96);
    CheckBox_FPS = Check_Box("Show FPS", defaults.FPS, glGroupBox_Video_Options, 8, 22, 188);
    CheckBox_Time = Check_Box("Show Time (Clock)", defaults.Time, glGroupBox_Video_Options, 8, 40, 188);
    CheckBox_ExitMouse = Check_Box("Exit on mouse move", defaults.Exit_Mouse, glGroupBox_Video_Options, 8, 58, 188);
    CheckBox_Vsynch =
        Check_Box("Synchronize with display freq.", defaults.Vsynch, glGroupBox_Video_Options, 8, 76, 188);

    glGroupBox_controls = new TGradient_Group_Box(" Camera options", page);
    glGroupBox_controls->Set_Body_Colour(QColor(192, 192, 192));
    glGroupBox_controls->setGeometry(4, 188, 311, 104);
    Label("Change Camera each", glGroupBox_controls, 8, 23);
    glLabel_Cam_Sec = new TGradient_Label("", QColor(0, 0, 160), QColor(200, 0, 0), glGroupBox_controls);
    glLabel_Cam_Sec->setFont(bold);
    glLabel_Cam_Sec->setGeometry(136, 20, 80, 18);
    TrackBar_Cam = Track_Bar(Qt::Horizontal, Span(Behaviour::Camera_Jump), defaults.Cam_Position, glGroupBox_controls);
    TrackBar_Cam->setTickPosition(QSlider::TicksBothSides);
    TrackBar_Cam->setTickInterval(2);
    TrackBar_Cam->setGeometry(4, 38, 303, 30);
    RadioGroup_Presets = new TRadio_Group(" Camera Presets  ", {"1", "2", "3", "4", "5"}, 5, glGroupBox_controls);
    RadioGroup_Presets->setGeometry(6, 66, 299, 35);
}

void TAdjustment_Form::Create_Sound_Page()
{
    QWidget* page = TabSheet_Sound;
    const Form_Settings defaults;

    glGroupBox_Preview_Control = new TGradient_Group_Box(" Music Effects Control", page);
    glGroupBox_Preview_Control->setGeometry(4, 4, 311, 48);
    CheckBox_NoMusic = Check_Box("MUTE Main Music Theme", defaults.No_Music, glGroupBox_Preview_Control, 10, 25, 290);

    glGroupBox_Volume_Music = new TGradient_Group_Box(" Music Volume Control", page);
    glGroupBox_Volume_Music->setGeometry(4, 58, 200, 232);
    Label("Max", glGroupBox_Volume_Music, 14, 24);
    TrackBar_Volume_Music =
        Track_Bar(Qt::Vertical, {0, Music_Volume_Maximum}, defaults.Volume_Position, glGroupBox_Volume_Music);
    TrackBar_Volume_Music->setTickPosition(QSlider::NoTicks);
    TrackBar_Volume_Music->setGeometry(12, 40, 28, 184);
    glProgressBar_Volume_Music = new TGradient_Progress_Bar(glGroupBox_Volume_Music);
    glProgressBar_Volume_Music->setGeometry(48, 44, 22, 176);
    Label35 = new QLabel(glGroupBox_Volume_Music);
    QFont large = font();
    large.setPixelSize(28);
    large.setBold(true);
    Label35->setFont(large);
    Label35->setGeometry(84, 60, 100, 36);
    Label("volume, %", glGroupBox_Volume_Music, 86, 98);
    Label22 = new TLink_Label("Music volume", glGroupBox_Volume_Music);
    Label22->setToolTip(" Click to Restore Defaults! ");
    Label22->move(84, 200);
    Label22->adjustSize();

    Image_Music1 = new QLabel(page);
    Image_Music2 = new QLabel(page);
    Image_Music3 = new QLabel(page);
    Image_Music4 = new QLabel(page);
    Image_Music1->setPixmap(Music_Picture(1));
    Image_Music2->setPixmap(Music_Picture(2));
    Image_Music3->setPixmap(Music_Picture(3));
    Image_Music4->setPixmap(Music_Picture(4));
    Image_Music1->setGeometry(214, 64, 48, 48);
    Image_Music2->setGeometry(264, 64, 48, 48);
    Image_Music3->setGeometry(214, 120, 48, 48);
    Image_Music4->setGeometry(264, 120, 48, 48);
}

// Pressing a mouse button on the picture opens the home page (the form's event filter).
static void Open_Home_Page_On_Press(QLabel* picture, QObject* filter)
{
    picture->setCursor(Qt::PointingHandCursor);
    picture->setObjectName("Home_Page_Picture");
    picture->installEventFilter(filter);
}

static QFont Bold(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    return bold;
}

void TAdjustment_Form::Create_About_Page()
{
    auto* about = new TGradient_Group_Box(" About and Useful info ", TabSheet_About);
    about->setGeometry(4, 4, 311, 288);
    Create_About_Title(about);
    Create_Clock_Boxes(about);
    Create_Machine_Boxes(about);

    Image_Lilly = new QLabel(about);
    Image_Lilly->setGeometry(204, 190, 100, 85);
    Image_Lilly->setPixmap(Molecule_Picture("MOLECULA3C_ANE00"));
    Open_Home_Page_On_Press(Image_Lilly, this);

    Current_Timer = new QTimer(this);
    Current_Timer->setInterval(1000);
}

void TAdjustment_Form::Create_About_Title(QWidget* about)
{
    auto* title = new TGradient_Bevel(Qt::white, QColor(192, 220, 192), Qt::Horizontal, about);
    title->setGeometry(6, 22, 299, 44);
    auto* logo = new QLabel(title);
    logo->setPixmap(About_Logo_Picture());
    logo->setGeometry(4, 2, 36, 40);
    auto* name = new TGradient_Label("QUELM 3D Screensaver", QColor(0, 0, 160), QColor(0, 128, 0), title);
    QFont large = Bold(font());
    large.setPixelSize(15);
    name->setFont(large);
    name->setGeometry(50, 12, 245, 22);
}

// The current time and today's date.
void TAdjustment_Form::Create_Clock_Boxes(QWidget* about)
{
    const QFont bold = Bold(font());
    auto* time_box = new TGradient_Group_Box(" Current time", about);
    time_box->setGeometry(6, 70, 146, 46);
    Time_Label = new QLabel(" 00:00:00 ", time_box);
    Time_Label->setFont(bold);
    QPalette purple = Time_Label->palette();
    purple.setColor(QPalette::WindowText, QColor(128, 0, 128));
    Time_Label->setPalette(purple);
    Time_Label->setToolTip("Текущее время");
    Time_Label->setGeometry(8, 23, 130, 17);

    auto* date_box = new TGradient_Group_Box(" TODAY is", about);
    date_box->setGeometry(158, 70, 147, 46);
    DateTimePicker1 = new QDateEdit(QDate::currentDate(), date_box);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setLayoutDirection(Qt::RightToLeft);
    DateTimePicker1->setFont(bold);
    QPalette cream = DateTimePicker1->palette();
    cream.setColor(QPalette::Base, QColor(255, 251, 240));
    cream.setColor(QPalette::Text, QColor(0, 128, 128));
    DateTimePicker1->setPalette(cream);
    DateTimePicker1->setToolTip("Какой сегодня день ...");
    DateTimePicker1->setGeometry(6, 21, 135, 21);
}

// The processor's speed, the video card's memory and the memory's load and total.
void TAdjustment_Form::Create_Machine_Boxes(QWidget* about)
{
    const QFont bold = Bold(font());
    auto* processor_box = new TGradient_Group_Box(" Processor Speed info", about);
    processor_box->setGeometry(6, 120, 146, 62);
    auto* processor_picture = new QLabel(processor_box);
    processor_picture->setPixmap(Processor_Picture());
    processor_picture->setGeometry(4, 20, 40, 40);
    Label("CPU speed :", processor_box, 48, 24);
    Label_Mashine_CPU_speed = Label("000", processor_box, 48, 40);
    Label_Mashine_CPU_speed->setFont(bold);
    Label_Mashine_CPU_speed->resize(94, 17);

    auto* video_box = new TGradient_Group_Box(" Video Card Info", about);
    video_box->setGeometry(158, 120, 147, 62);
    auto* video_picture = new QLabel(video_box);
    video_picture->setPixmap(Video_Card_Picture());
    video_picture->setGeometry(2, 20, 48, 40);
    Label("Video memory :", video_box, 52, 24);
    Label_VideoCardMemo = Label("000", video_box, 52, 40);
    Label_VideoCardMemo->setFont(bold);
    Label_VideoCardMemo->resize(90, 17);

    auto* memory_box = new TGradient_Group_Box(" Global RAM info", about);
    memory_box->setGeometry(6, 186, 190, 62);
    Label("Memory load :", memory_box, 8, 24);
    Label("Total :", memory_box, 8, 40);
    Label_RAM_Load = Label("000", memory_box, 100, 24);
    Label_RAM_Total = Label("000", memory_box, 100, 40);
    Label_RAM_Load->setFont(bold);
    Label_RAM_Total->setFont(bold);
    Label_RAM_Load->resize(86, 17);
    Label_RAM_Total->resize(86, 17);
    Open_Home_Page_On_Press(processor_picture, this);
    Open_Home_Page_On_Press(video_picture, this);
}

void TAdjustment_Form::Create_Buttons_And_Links()
{
    OK_BitBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "O&k", this);
    OK_BitBtn->setToolTip(" Apply and Exit Settings ");
    OK_BitBtn->setGeometry(464, 490, 95, 25);
    Cancel_BitBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "&Cancel", this);
    // The hint the dialog has always shown; the form saves on every way out, Cancel included.
    Cancel_BitBtn->setToolTip(" Discard All Settings and Exit ");
    Cancel_BitBtn->setGeometry(564, 490, 95, 25);
    Apply_BitBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), "&Apply", this);
    Apply_BitBtn->setToolTip(" Apply All Settings and Save it ( not Exit )");
    Apply_BitBtn->setGeometry(664, 490, 95, 25);
    Apply_BitBtn->setEnabled(false);
    Restore_BitBtn = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), "&Restore", this);
    Restore_BitBtn->setToolTip(" This is the most light way to Restore Defaults ");
    Restore_BitBtn->setGeometry(564, 428, 95, 25);
    Restore_BitBtn->setEnabled(false);
    Help_BitBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton), "&Help", this);
    Help_BitBtn->setToolTip(" Click here to get Help ");
    Help_BitBtn->setGeometry(664, 428, 95, 25);

    SpecialFX_GroupBox = new QFrame(this);
    SpecialFX_GroupBox->setFrameStyle(QFrame::Box | QFrame::Sunken);
    SpecialFX_GroupBox->setAutoFillBackground(true);
    QPalette money_green = SpecialFX_GroupBox->palette();
    money_green.setColor(QPalette::Window, QColor(192, 220, 192));
    SpecialFX_GroupBox->setPalette(money_green);
    SpecialFX_GroupBox->setMouseTracking(true);
    SpecialFX_GroupBox->hide();
    glGroupBox_Links = new TGradient_Group_Box(" Quelm 3D on the web", SpecialFX_GroupBox);
    glGroupBox_Links->setGeometry(3, 3, 407, 51);
    glGroupBox_Links->setMouseTracking(true);
    Label("Home :", glGroupBox_Links, 8, 19);
    Label("Support :", glGroupBox_Links, 8, 34);
    Label14 = new TLink_Label("", glGroupBox_Links);
    Label13 = new TLink_Label("", glGroupBox_Links);
    Label14->move(70, 19);
    Label13->move(70, 34);

    Main_Logo_Image = new QLabel(this);
    Main_Logo_Image->setPixmap(Logo_Picture());
    Main_Logo_Image->setGeometry(64, 393, 80, 90);
    Main_Logo_Image->setCursor(Qt::PointingHandCursor);
    Main_Logo_Image->installEventFilter(this);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(66, 490, 391, 25);
    glLabel_Title =
        new TGradient_Label("QUELM  3D  Screensaver  Settings", QColor(0, 0, 160), QColor(0, 128, 0), Panel1);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(13);
    glLabel_Title->setFont(bold);
    glLabel_Title->resize(glLabel_Title->sizeHint());
    glLabel_Title->move((391 - glLabel_Title->width()) / 2, (25 - glLabel_Title->height()) / 2);

    Marquee_Bar = Create_Marquee_Bar(this);
    Marquee_Bar->hide();
}

void TAdjustment_Form::Prepare_Controls()
{
    Set_Thumb_Length(TrackBar_Volume_Music, 20);
    TrackBar_Scene_Speed->resize(52, TrackBar_Scene_Speed->height());
    Set_Thumb_Length(TrackBar_Scene_Speed, 36);
    Set_Thumb_Length(TrackBar_Cam, 28);
    Set_Thumb_Length(TrackBar_Gamma, 20);

    Marquee_Bar->setGeometry(44, 294, 241, 5);
    Marquee_Bar->show();
    glProgressBar_Volume_Music->Set_Caption("");

    Skin->Start_Slideshow();

    Set_Page_By_Code(0);
    Page_Control->show();
}
