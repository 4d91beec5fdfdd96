// The settings form's behaviour: its handlers, keys, dragging, and the saving that every way of
// hiding it runs.
#include "settings_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QRandomGenerator>
#include <QUrl>
#include <QWindow>

#include <memory>

#include "form_pictures.h"
#include "form_skin.h"
#include "presets.h"
#include "settings_dialog.h"

static const char* const kApplicationTitle = "Quelm 3D Screensaver";
static const char* const kHelpFileName = "help.html";

int Show_Settings_Dialog(const Host_Paths& paths)
{
    QGuiApplication::setApplicationDisplayName(kApplicationTitle);
    auto form = std::make_unique<TAdjustment_Form>(paths);
    QObject::connect(form.get(), &TAdjustment_Form::Form_Ended, qApp, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    form->show();
    QApplication::exec();
    return 0;
}

TAdjustment_Form::TAdjustment_Form(const Host_Paths& paths) : paths_(paths)
{
    Create_Controls();
    Name_Controls();
    Skin_Canvas canvas;
    canvas.Form = this;
    canvas.Working_Size = QSize(Form_Width, Form_Height);
    canvas.Page_Control = Page_Control;
    canvas.Pages = {TabSheet_Main, TabSheet_Sound, TabSheet_About};
    canvas.Panel1 = Panel1;
    canvas.Main_Logo_Image = Main_Logo_Image;
    canvas.glGroupBox_Links = glGroupBox_Links;
    Skin = new Form_Skin(canvas);
    connect(Skin, &Form_Skin::Opened, this, &TAdjustment_Form::Open_Finish);
    connect(Skin, &Form_Skin::Close_Requested, this, &TAdjustment_Form::Cancel_BitBtnClick);
    connect(Skin, &Form_Skin::Drag_Requested, this, &TAdjustment_Form::FormMouseDown);
    connect(Skin, &Form_Skin::Mouse_Moved_Over_Form, this, [this] {
        if (!dragging_) FormMouseMove();
    });
    // The links turn back to blue when the mouse leaves them for the boxes around them.
    connect(Skin, &Form_Skin::Channels_Box_Mouse_Moved, this, &TAdjustment_Form::SpecialFX_GroupBoxMouseMove);

    // Every control that shows another's value starts in agreement with it.
    TrackBar_GammaChange();
    TrackBar_CamChange();
    TrackBar_Volume_MusicChange();
    CheckBox_GammaClick();
    CheckBox_NoMusicClick();
    Connect_Controls();
    FormCreate();
}

void TAdjustment_Form::Connect_Controls()
{
    connect(CheckBox_Gamma, &QCheckBox::toggled, this, &TAdjustment_Form::CheckBox_GammaClick);
    connect(CheckBox_NoMusic, &QCheckBox::toggled, this, &TAdjustment_Form::CheckBox_NoMusicClick);
    connect(TrackBar_Gamma, &QSlider::valueChanged, this, &TAdjustment_Form::TrackBar_GammaChange);
    connect(TrackBar_Cam, &QSlider::valueChanged, this, &TAdjustment_Form::TrackBar_CamChange);
    connect(TrackBar_Volume_Music, &QSlider::valueChanged, this, &TAdjustment_Form::TrackBar_Volume_MusicChange);
    connect(RadioGroup_Presets, &TRadio_Group::Clicked, this, &TAdjustment_Form::RadioGroup_PresetsClick);
    connect(Label22, &TLink_Label::Clicked, this, &TAdjustment_Form::Label22Click);
    connect(Label13, &TLink_Label::Clicked, this, &TAdjustment_Form::Label13Click);
    connect(Label14, &TLink_Label::Clicked, this, &TAdjustment_Form::Label14Click);
    connect(Label13, &TLink_Label::Mouse_Moved, this, &TAdjustment_Form::Label13MouseMove);
    connect(Label14, &TLink_Label::Mouse_Moved, this, &TAdjustment_Form::Label14MouseMove);
    connect(glGroupBox_Volume_Music, &TGradient_Group_Box::Entered, this,
            &TAdjustment_Form::glGroupBox_MusicSelectEnter);
    connect(Page_Control, &QTabWidget::currentChanged, this, [this] {
        if (!changing_page_by_code_) Page_ControlChange();
    });
    connect(Current_Timer, &QTimer::timeout, this, &TAdjustment_Form::Current_TimerTimer);
    connect(OK_BitBtn, &QPushButton::clicked, this, &TAdjustment_Form::OK_BitBtnClick);
    connect(Cancel_BitBtn, &QPushButton::clicked, this, &TAdjustment_Form::Cancel_BitBtnClick);
    connect(Apply_BitBtn, &QPushButton::clicked, this, &TAdjustment_Form::Apply_BitBtnClick);
    connect(Restore_BitBtn, &QPushButton::clicked, this, &TAdjustment_Form::Restore_BitBtnClick);
    connect(Help_BitBtn, &QPushButton::clicked, this, &TAdjustment_Form::Help_BitBtnClick);

    // F1 and Esc on the buttons, check boxes, track bars and the date picker; focus entering a
    // setting control; the mouse over the links' boxes.
    for (QWidget* w : std::initializer_list<QWidget*>{
             OK_BitBtn, Cancel_BitBtn, Apply_BitBtn, Restore_BitBtn, Help_BitBtn, CheckBox_Gamma, CheckBox_FPS,
             CheckBox_Time, CheckBox_ExitMouse, CheckBox_Vsynch, CheckBox_NoMusic, TrackBar_Gamma,
             TrackBar_Scene_Speed, TrackBar_Cam, TrackBar_Volume_Music, DateTimePicker1})
        w->installEventFilter(this);
    for (QRadioButton* item : RadioGroup_Presets->Buttons()) item->installEventFilter(this);
    // The links turn back to blue when the mouse leaves them for the boxes around them.
    SpecialFX_GroupBox->installEventFilter(this);
    glGroupBox_Links->installEventFilter(this);
}

void TAdjustment_Form::FormCreate()
{
    Screen = Get_Screen_Metrics(this);
    setWindowTitle("Quelm 3D Screensaver Settings");

    Image_Music3->setPixmap(Image_Music2->pixmap());
    RadioGroup_Presets->setToolTip(Camera_Presets_Hint);

    Page_Control->setTabText(Page_Control->indexOf(TabSheet_Sound), " Music FX Volume");
    Main_Logo_Image->setToolTip(" Click to check out other super screen savers! ");
    Restore_BitBtn->setText("&Restore\nDefaults");
    Restore_BitBtn->resize(95, 57);
    Help_BitBtn->setGeometry(Help_BitBtn->x(), Restore_BitBtn->y(), 95, 57);
    SpecialFX_GroupBox->setGeometry(150, Restore_BitBtn->y(), 413, Restore_BitBtn->height());
    SpecialFX_GroupBox->show();
    Label14->setText(paths_.Home_Page_Address);
    Label13->setText(paths_.Support_Page_Address);
    Label14->adjustSize();
    Label13->adjustSize();

    Skin->Load_Window_Shapes();
    Skin->Set_Up_Skin(Screen);
    // Nothing has the focus yet that would count as the user entering a setting.
    OK_BitBtn->setFocus();
}

void TAdjustment_Form::FormShow()
{
    // The dialog takes the keyboard when it opens, also where no window manager hands it over.
    activateWindow();
    Skin->Start_Opening();
}

void TAdjustment_Form::Open_Finish()
{
    Load_Form_Settings();
    update();
    Prepare_Controls();
    opening_done_ = true;
}

Form_Settings TAdjustment_Form::Current_Settings() const
{
    Form_Settings s;
    s.Volume_Position = TrackBar_Volume_Music->value();
    s.Scene_Speed_Position = TrackBar_Scene_Speed->value();
    s.Gamma_Position = TrackBar_Gamma->value();
    s.Cam_Position = TrackBar_Cam->value();
    s.Presets_Item_Index = RadioGroup_Presets->Item_Index();
    s.No_Music = CheckBox_NoMusic->isChecked();
    s.Exit_Mouse = CheckBox_ExitMouse->isChecked();
    s.FPS = CheckBox_FPS->isChecked();
    s.Time = CheckBox_Time->isChecked();
    s.Vsynch = CheckBox_Vsynch->isChecked();
    s.Gamma_Default = CheckBox_Gamma->isChecked();
    return s;
}

void TAdjustment_Form::Show_Settings(const Form_Settings& s)
{
    Loading_Settings = true;
    // Each track bar holds a stored position outside its range at the nearer end; the labels
    // beside them follow through their change handlers.
    TrackBar_Volume_Music->setValue(s.Volume_Position);
    TrackBar_Scene_Speed->setValue(s.Scene_Speed_Position);
    TrackBar_Gamma->setValue(s.Gamma_Position);
    TrackBar_Cam->setValue(s.Cam_Position);
    RadioGroup_Presets->Set_Item_Index(std::clamp(s.Presets_Item_Index, -1, Camera_Preset_Count - 1));
    TrackBar_Volume_MusicChange();
    TrackBar_GammaChange();
    TrackBar_CamChange();

    // A check box that changes runs its click handler: the volume group's visibility and the
    // gamma controls follow.
    CheckBox_NoMusic->setChecked(s.No_Music);
    CheckBox_ExitMouse->setChecked(s.Exit_Mouse);
    CheckBox_FPS->setChecked(s.FPS);
    CheckBox_Time->setChecked(s.Time);
    CheckBox_Vsynch->setChecked(s.Vsynch);
    CheckBox_Gamma->setChecked(s.Gamma_Default);
    Loading_Settings = false;
}

void TAdjustment_Form::Load_Form_Settings() { Show_Settings(Read_Settings_Files(paths_.Program_Dir)); }

void TAdjustment_Form::Set_Page_By_Code(int index)
{
    changing_page_by_code_ = true;
    Page_Control->setCurrentIndex(index);
    changing_page_by_code_ = false;
}

void TAdjustment_Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || shown_once_) return;
    shown_once_ = true;
    FormShow();
}

void TAdjustment_Form::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A window system hiding the form (minimising it) is not the form ending.
    if (event->spontaneous() || ended_) return;
    ended_ = true;
    FormHide();
}

void TAdjustment_Form::closeEvent(QCloseEvent* event)
{
    // FormCloseQuery: any close request hides the form, which saves and ends the dialog.
    event->ignore();
    hide();
}

void TAdjustment_Form::FormHide()
{
    Current_Timer->stop();
    Skin->Stop_Timers();
    // Every way out saves, Cancel and Esc included: the dialog has no way to leave unsaved.
    Apply_BitBtnClick();
    emit Form_Ended();
}

void TAdjustment_Form::Apply_BitBtnClick()
{
    // A disabled button hands the focus on; it must not land on a setting control and count as
    // the user entering it.
    if (Apply_BitBtn->hasFocus()) OK_BitBtn->setFocus();
    Apply_BitBtn->setEnabled(false);
    if (Save_Settings(Current_Settings(), paths_.Program_Dir)) emit Settings_Saved();
}

void TAdjustment_Form::OK_BitBtnClick()
{
    if (Apply_BitBtn->isEnabled()) Apply_BitBtnClick();
    Cancel_BitBtnClick();
}

// Hiding the form saves (FormHide): Cancel leaves with the settings saved like every other way out.
void TAdjustment_Form::Cancel_BitBtnClick() { hide(); }

void TAdjustment_Form::Restore_BitBtnClick()
{
    if (Page_Control->isAncestorOf(focusWidget()) || Restore_BitBtn->hasFocus()) OK_BitBtn->setFocus();
    Page_Control->hide();
    Apply_BitBtn->setEnabled(false);
    Restore_BitBtn->setEnabled(false);
    // When a file cannot be changed (the message has said so) the form keeps what it shows and
    // the user can try again; either way the pages come back.
    if (Erase_Settings(paths_.Program_Dir)) {
        Load_Form_Settings();
    } else {
        Apply_BitBtn->setEnabled(true);
        Restore_BitBtn->setEnabled(true);
    }
    Page_Control->show();
}

void TAdjustment_Form::Help_BitBtnClick() { QDesktopServices::openUrl(QUrl::fromLocalFile(paths_.Help_Dir + kHelpFileName)); }

void TAdjustment_Form::CheckBox_ExitMouseEnter()
{
    Apply_BitBtn->setEnabled(true);
    Restore_BitBtn->setEnabled(true);
}

void TAdjustment_Form::glGroupBox_MusicSelectEnter() { CheckBox_ExitMouseEnter(); }

void TAdjustment_Form::CheckBox_GammaClick()
{
    const bool is_default = CheckBox_Gamma->isChecked();
    if (is_default) TrackBar_Gamma->setValue(Form_Settings{}.Gamma_Position);
    TrackBar_Gamma->setEnabled(!is_default);
    Label_Darker->setEnabled(!is_default);
    Label_Brighter->setEnabled(!is_default);
}

void TAdjustment_Form::CheckBox_NoMusicClick() { glGroupBox_Volume_Music->setVisible(!CheckBox_NoMusic->isChecked()); }

void TAdjustment_Form::TrackBar_GammaChange()
{
    glLabel_Gamma->Set_Text(QString::number(TrackBar_Gamma->value()) + " ");
}

void TAdjustment_Form::TrackBar_CamChange()
{
    glLabel_Cam_Sec->Set_Text(QString::number(TrackBar_Cam->value()) + "  sec ");
}

void TAdjustment_Form::TrackBar_Volume_MusicChange()
{
    // The top of the bar is loudest: the volume is the maximum minus the position.
    const int position = TrackBar_Volume_Music->value();
    Label35->setText(QString::number(TrackBar_Volume_Music->maximum() - position));
    glProgressBar_Volume_Music->Set_Percent(TrackBar_Volume_Music->maximum() + 1 - position);
}

void TAdjustment_Form::Label22Click()
{
    TrackBar_Volume_Music->setValue(TrackBar_Volume_Music->maximum() / 2);
    Label35->setText(QString::number(TrackBar_Volume_Music->value()));
}

void TAdjustment_Form::RadioGroup_PresetsClick()
{
    if (Loading_Settings) return;
    const int index = RadioGroup_Presets->Item_Index();
    if (index < 0 || index >= Camera_Preset_Count) return;
    TrackBar_Scene_Speed->setValue(Camera_Presets[index].Scene_Speed);
    TrackBar_Cam->setValue(Camera_Presets[index].Cam_Seconds);
}

void TAdjustment_Form::Load_Lilly_Picture()
{
    const int picture = QRandomGenerator::global()->bounded(4);
    Image_Lilly->setPixmap(Molecule_Picture("Molecula3C_ANE0" + QString::number(picture)));
    Image_Lilly->repaint();
}

void TAdjustment_Form::Page_ControlChange()
{
    const bool about_shown = Page_Control->currentWidget() == TabSheet_About;
    if (System_Info_Pending || !about_shown) Current_Timer->stop();
    else Current_Timer->start();
    Load_Lilly_Picture();

    if (System_Info_Pending && about_shown) {
        System_Info_Pending = false;
        Page_Control->repaint();
        DateTimePicker1->setDate(QDate::currentDate());
        clock_date_ = QDate::currentDate();
        Current_TimerTimer();
        Current_Timer->start();
        // Without a display to ask, the video memory shows 0 and the page goes on.
        const bool video = Open_DirectDraw(this);
        Label_VideoCardMemo->setText(QString::number(static_cast<qint64>(video ? Get_Video_Memory_Mb() : 0)) + " Mb");
        Label_Mashine_CPU_speed->setText(QString::number(static_cast<qint64>(Get_CPU_Speed_MHz())) + " MHz");
        Close_DirectDraw();
        const Memory_Status memory = Get_Memory_Status();
        Label_RAM_Load->setText(QString::number(memory.Load_Percent) + "%");
        Label_RAM_Total->setText(Megabytes_Text(memory.Total_Bytes));
        Page_Control->repaint();
    }
    CheckBox_ExitMouseEnter();
}

void TAdjustment_Form::Current_TimerTimer()
{
    // The user's long time format, without the time zone that the toolkit's long format adds.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove('t');
    Time_Label->setText(" " + QTime::currentTime().toString(format.trimmed()) + " ");
    // Past midnight the date picker turns to the new day, whatever the time format shows.
    const QDate today = QDate::currentDate();
    if (today != clock_date_) {
        clock_date_ = today;
        DateTimePicker1->setDate(today);
    }
}

void TAdjustment_Form::Name_Controls()
{
    const std::pair<QObject*, const char*> names[] = {
        {Page_Control, "Page_Control"}, {TabSheet_Main, "TabSheet_Main"}, {TabSheet_Sound, "TabSheet_Sound"},
        {TabSheet_About, "TabSheet_About"}, {glGroupBox_Gamma_Correction, "glGroupBox_Gamma_Correction"},
        {CheckBox_Gamma, "CheckBox_Gamma"}, {TrackBar_Gamma, "TrackBar_Gamma"}, {Label_Darker, "Label_Darker"},
        {Label_Brighter, "Label_Brighter"}, {glLabel_Gamma, "glLabel_Gamma"},
        {glGroupBox_Camera_Speed, "glGroupBox_Camera_Speed"}, {TrackBar_Scene_Speed, "TrackBar_Scene_Speed"},
        {glGroupBox_Video_Options, "glGroupBox_Video_Options"}, {CheckBox_FPS, "CheckBox_FPS"},
        {CheckBox_Time, "CheckBox_Time"}, {CheckBox_ExitMouse, "CheckBox_ExitMouse"},
        {CheckBox_Vsynch, "CheckBox_Vsynch"}, {glGroupBox_controls, "glGroupBox_controls"},
        {TrackBar_Cam, "TrackBar_Cam"}, {glLabel_Cam_Sec, "glLabel_Cam_Sec"},
        {RadioGroup_Presets, "RadioGroup_Presets"}, {glGroupBox_Preview_Control, "glGroupBox_Preview_Control"},
        {CheckBox_NoMusic, "CheckBox_NoMusic"}, {glGroupBox_Volume_Music, "glGroupBox_Volume_Music"},
        {TrackBar_Volume_Music, "TrackBar_Volume_Music"}, {Label35, "Label35"},
        {glProgressBar_Volume_Music, "glProgressBar_Volume_Music"}, {Label22, "Label22"},
        {Image_Music1, "Image_Music1"}, {Image_Music2, "Image_Music2"}, {Image_Music3, "Image_Music3"},
        {Image_Music4, "Image_Music4"}, {Time_Label, "Time_Label"}, {DateTimePicker1, "DateTimePicker1"},
        {Label_Mashine_CPU_speed, "Label_Mashine_CPU_speed"}, {Label_VideoCardMemo, "Label_VideoCardMemo"},
        {Label_RAM_Load, "Label_RAM_Load"}, {Label_RAM_Total, "Label_RAM_Total"}, {Current_Timer, "Current_Timer"},
        {OK_BitBtn, "OK_BitBtn"}, {Cancel_BitBtn, "Cancel_BitBtn"}, {Apply_BitBtn, "Apply_BitBtn"},
        {Restore_BitBtn, "Restore_BitBtn"}, {Help_BitBtn, "Help_BitBtn"}, {SpecialFX_GroupBox, "SpecialFX_GroupBox"},
        {glGroupBox_Links, "glGroupBox_Links"}, {Label13, "Label13"}, {Label14, "Label14"},
        {Main_Logo_Image, "Main_Logo_Image"}, {Panel1, "Panel1"}, {glLabel_Title, "glLabel_Title"},
        {Marquee_Bar, "Marquee_Bar"}};
    // Image_Lilly keeps the name that marks the pictures opening the home page.
    for (const auto& [control, name] : names) control->setObjectName(name);
}
