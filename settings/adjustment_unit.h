// The settings form: three pages of controls for what the engine reads at start-up, the
// buttons around them, the web links, and the saving that every way of closing the form does.
#pragma once

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <QPolygon>

#include <cstdint>
#include <random>

#include "form_widgets.h"
#include "skin_image.h"
#include "skin_opening.h"

// Runs the settings dialog to its end: sets the application title, shows the form as the main
// window and runs the event loop until the form ends it. A QApplication must exist.
void Show_Settings_Dialog();

class TAdjustment_Form : public QWidget {
    Q_OBJECT
public:
    static constexpr int Form_Width = 789, Form_Height = 554;

    TAdjustment_Form();

    // Set while the saved state is loaded: the presets' click handler then does nothing.
    bool Loading_Settings = false;
    // True until the "About" page is first shown and measured.
    bool System_Info_Pending = true;

    QTabWidget* Page_Control;
    QWidget *TabSheet_Main, *TabSheet_Sound, *TabSheet_About;

    // "Main Controls"
    TGradient_Group_Box* glGroupBox_Gamma_Correction;
    QCheckBox* CheckBox_Gamma;
    QSlider* TrackBar_Gamma;
    QLabel *Label_Darker, *Label_Brighter;
    TGradient_Label* glLabel_Gamma;
    TGradient_Group_Box* glGroupBox_Camera_Speed;
    QSlider* TrackBar_Scene_Speed;
    TGradient_Group_Box* glGroupBox_Video_Options;
    QCheckBox *CheckBox_FPS, *CheckBox_Time, *CheckBox_ExitMouse, *CheckBox_Vsynch;
    TGradient_Group_Box* glGroupBox_controls;
    QSlider* TrackBar_Cam;
    TGradient_Label* glLabel_Cam_Sec;
    TRadio_Group* RadioGroup_Presets;

    // " Music FX Volume"
    TGradient_Group_Box* glGroupBox_Preview_Control;
    QCheckBox* CheckBox_NoMusic;
    TGradient_Group_Box* glGroupBox_Volume_Music;
    QSlider* TrackBar_Volume_Music;
    QLabel* Label35;
    TGradient_Progress_Bar* glProgressBar_Volume_Music;
    TLink_Label* Label22;
    QLabel *Image_Music1, *Image_Music2, *Image_Music3, *Image_Music4;

    // "About"
    QLabel* Time_Label;
    QDateEdit* DateTimePicker1;
    QLabel *Label_Mashine_CPU_speed, *Label_VideoCardMemo, *Label_RAM_Load, *Label_RAM_Total;
    QLabel* Image_Lilly;
    QTimer* Current_Timer;

    // Around the pages
    QPushButton *OK_BitBtn, *Cancel_BitBtn, *Apply_BitBtn, *Restore_BitBtn, *Help_BitBtn;
    QFrame* SpecialFX_GroupBox;
    TGradient_Group_Box* glGroupBox_Links;
    TLink_Label *Label13, *Label14;
    QLabel* Main_Logo_Image;
    QFrame* Panel1;
    TGradient_Label* glLabel_Title;
    QProgressBar* Marquee_Bar;

    // The skin: frame pictures, outlines, background and colours, the opening and the slideshow.
    TSkin_Image *Left_Image_top, *Top_Image, *Left_Image_Middle, *Left_Image_bottom, *Right_Image_top,
        *Right_Image_bottom, *Bottom_Image, *Top_Exit_Image_passive, *Top_Exit_Image_active, *Ball_Hide_Panel_Image,
        *Ball_Shato_Image;
    TGradient_Bevel* glBevel_onMainForm;
    TGradient_Group_Box* glGroupBox_Channels_Monitoring;
    QFrame* Main_TVOut_Panel;
    QLabel* Main_TVOut_Image;
    TGradient_Label* glLabel_Slogan;
    QTimer* Sshots_Changer_Timer;
    // The idle handler of the opening: a zero-interval timer that stops itself at the end.
    QTimer* Open_Grow_Timer;
    uint8_t Slideshow_Index = 0;
    // The outlines as read from the "POINTS" resources: the form's and the slideshow screen's.
    QPolygon App_Outline, TVOut_Outline;
    // What this start drew: the left and right top variants (1 to 7), the background and body
    // colours (indices into the five), the opening variant (0 both, 1 width, 2 down).
    int Left_Variant = 0, Right_Variant = 0, Background_Colour_Index = 0, Body_Colour_Index = 0, Opening_Variant = 0;
    Opening_State Opening;
    bool First_Show = true;
    bool Opening_Done = false;
    bool Exit_Hover = false;

    void Load_Window_Shapes();
    void Apply_Window_Shapes();
    void Load_Skin_Images();
    void Place_Skin_Images();
    void Open_Grow_Both();
    void Open_Grow_Down();
    void Open_Grow_Width();
    void Open_Grow_Step();
    void Sshots_Changer_TimerTimer();
    void Top_Exit_Image_passiveMouseMove();
    void FormMouseMove();

    // Handlers, bound as their names say.
    void FormCreate();
    void FormShow();
    void FormHide();
    void Open_Finish();
    void Prepare_Controls();
    void Apply_BitBtnClick();
    void OK_BitBtnClick();
    void Cancel_BitBtnClick();
    void Restore_BitBtnClick();
    void Help_BitBtnClick();
    void CheckBox_ExitMouseEnter();
    void glGroupBox_MusicSelectEnter();
    void Page_ControlChange();
    void CheckBox_GammaClick();
    void CheckBox_NoMusicClick();
    void TrackBar_GammaChange();
    void TrackBar_CamChange();
    void TrackBar_Volume_MusicChange();
    void Label22Click();
    void RadioGroup_PresetsClick();
    void Label13Click();
    void Label14Click();
    void Label13MouseMove();
    void Label14MouseMove();
    void SpecialFX_GroupBoxMouseMove();
    void Main_Logo_ImageMouseDown();
    void Current_TimerTimer();

signals:
    // Every file write that succeeded in full (both settings files).
    void Settings_Saved();
    // The form was hidden and has saved: the dialog is over.
    void Form_Ended();
    // The opening has reached full size and the controls are ready.
    void Opening_Finished();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls of the form's design, in their places with their design values.
    void Create_Controls();
    void Create_Main_Page();
    void Create_Sound_Page();
    void Create_About_Page();
    void Create_Buttons_And_Links();
    // The skin's parts, hidden until the skin is loaded and placed.
    void Create_Skin();
    // The background, the group boxes' colours and the opening variant, after the frame.
    void Set_Up_Skin();
    // Installs the opening's idle handler on the first showing.
    void Start_Opening();
    void Apply_Opening_Start();
    // The skin's random draws: seeded from the clock, or from QUELMSCR_SEED when it is set.
    void Seed_Skin_Random();
    int Skin_Random(int low, int high);
    void Show_Slideshow_Picture(int number);
    // The drawn parts below the windowed controls, bottom first, and their z-order changes.
    void Restack_Drawn_Parts();
    // The mouse on the frame pictures, the exit button and the large surfaces; true when handled.
    bool Skin_Event(QObject* watched, QEvent* event);
    void Bring_To_Front(QWidget* part);
    void Send_To_Back(QWidget* part);
    std::vector<QWidget*> drawn_parts_;
    std::mt19937 skin_random_;
    int skin_seed_draws_ = 0;
    void FormKeyDown(QKeyEvent* event);
    void FormMouseDown(QMouseEvent* event);
    void Load_Lilly_Picture();
    void Set_Page_By_Code(int index);

    bool shown_once_ = false;
    bool ended_ = false;
    bool changing_page_by_code_ = false;
    QDate clock_date_;
    // Set while the form follows the mouse itself (no window manager to move it).
    bool dragging_ = false;
    QPoint drag_offset_;
};
