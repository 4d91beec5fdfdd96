// The settings form: three pages of controls for what the engine reads at start-up, the
// buttons around them, the web links, and the saving that every way of closing the form does.
// Its skin (frame, outlines, opening, slideshow) is a Form_Skin that it holds.
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

#include "form_widgets.h"
#include "program_dir.h"
#include "settings_files.h"
#include "system_info.h"

class Form_Skin;

class TAdjustment_Form : public QWidget {
    Q_OBJECT
public:
    static constexpr int Form_Width = 789, Form_Height = 554;

    // paths: where the settings files and the help page are, and the web links.
    explicit TAdjustment_Form(const Host_Paths& paths);

    // The settings as the controls show them, and the controls set to show these.
    Form_Settings Current_Settings() const;
    void Show_Settings(const Form_Settings& settings);
    // Reads the state file into the controls (defaults where it is missing or unreadable).
    void Load_Form_Settings();
    // The opening has grown the form to its full size and the controls are ready.
    bool Opening_Done() const { return opening_done_; }

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
    void FormMouseMove();
    void FormMouseDown(const QPointF& global_position);

signals:
    // Every file write that succeeded in full (both settings files).
    void Settings_Saved();
    // The form was hidden and has saved: the dialog is over.
    void Form_Ended();

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
    // The controls, each also named by its object name (the skin's parts too), so that a test
    // finds them as the user sees them.
    // Set while the saved state is loaded: the presets' click handler then does nothing.
    bool Loading_Settings = false;
    // True until the "About" page is first shown and measured.
    bool System_Info_Pending = true;
    // The screen the form opens on, measured when it is made.
    Screen_Metrics Screen;

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
    QLabel* Label35;                 // the music volume in large figures
    TGradient_Progress_Bar* glProgressBar_Volume_Music;
    TLink_Label* Label22;            // "Music volume": a click sets the volume back to the middle
    QLabel *Image_Music1, *Image_Music2, *Image_Music3, *Image_Music4;

    // "About"
    QLabel* Time_Label;
    QDateEdit* DateTimePicker1;      // today's date, turned on at midnight
    QLabel *Label_Mashine_CPU_speed, *Label_VideoCardMemo, *Label_RAM_Load, *Label_RAM_Total;
    QLabel* Image_Lilly;
    QTimer* Current_Timer;

    // Around the pages
    QPushButton *OK_BitBtn, *Cancel_BitBtn, *Apply_BitBtn, *Restore_BitBtn, *Help_BitBtn;
    QFrame* SpecialFX_GroupBox;
    TGradient_Group_Box* glGroupBox_Links;
    TLink_Label* Label13;            // the support page's address
    TLink_Label* Label14;            // the home page's address
    QLabel* Main_Logo_Image;
    QFrame* Panel1;                  // the sunken title panel below the frame's logo
    TGradient_Label* glLabel_Title;
    QProgressBar* Marquee_Bar;

    Form_Skin* Skin;

    // The controls in their places, showing the default settings (settings_form_layout.cpp).
    void Create_Controls();
    void Create_Main_Page();
    void Create_Sound_Page();
    void Create_About_Page();
    void Create_About_Title(QWidget* about);
    void Create_Clock_Boxes(QWidget* about);
    void Create_Machine_Boxes(QWidget* about);
    void Connect_Controls();
    void Name_Controls();
    void Create_Buttons_And_Links();
    void FormKeyDown(QKeyEvent* event);
    void Load_Lilly_Picture();
    void Set_Page_By_Code(int index);

    Host_Paths paths_;
    bool shown_once_ = false;
    bool ended_ = false;
    bool changing_page_by_code_ = false;
    QDate clock_date_;
    bool opening_done_ = false;
    // Whether the form follows the mouse itself (no window manager to move it).
    bool dragging_ = false;
    QPoint drag_offset_;
};
