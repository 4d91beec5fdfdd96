// The settings form's skin: the outlines that cut the form and the slideshow screen, the frame
// pictures and their places and z-order, the background and the boxes' colours, the opening that
// grows the form out of the middle of the work area, the slideshow, and the exit button's look
// under the mouse. The form holds one; the skin's parts are children of the form.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QObject>
#include <QPolygon>
#include <QTimer>

#include <cstdint>
#include <random>
#include <vector>

#include "form_widgets.h"
#include "skin_image.h"
#include "skin_opening.h"

class TAdjustment_Form;

class Form_Skin : public QObject {
    Q_OBJECT
public:
    // Makes the skin's parts on the form, hidden until Load_Window_Shapes places them.
    explicit Form_Skin(TAdjustment_Form& form);

    // The frame pictures. Top_Exit_Image_passive is the exit button as it lies (it shows the
    // picture named "Exit_Image_active"), Top_Exit_Image_active the one brought to the front
    // under the mouse (it shows "Exit_Image_passive"): the resources' names are the other way
    // round, and the look the user sees is what counts.
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

    // Reads the outlines and cuts the form with them, then loads and places the pictures.
    void Load_Window_Shapes();
    void Apply_Window_Shapes();
    void Load_Skin_Images();
    void Place_Skin_Images();
    // The background, the group boxes' colours and the opening variant, after the frame.
    void Set_Up_Skin();
    void Open_Grow_Both();
    void Open_Grow_Down();
    void Open_Grow_Width();
    void Open_Grow_Step();
    // Installs the opening's idle handler on the first showing.
    void Start_Opening();
    // Once open: the slideshow goes on from a random picture among the first five.
    void Start_Slideshow();
    void Stop_Timers();
    void Sshots_Changer_TimerTimer();
    void Top_Exit_Image_passiveMouseMove();
    // The mouse moved over the form, away from the exit button: its lying look comes back.
    void Mouse_Left_Exit();

signals:
    // The opening has reached full size.
    void Opened();

protected:
    // The mouse on the frame pictures, the exit button and the large surfaces.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply_Opening_Start();
    // The skin's random draws: seeded from the clock, or from QUELMSCR_SEED when it is set.
    void Seed_Skin_Random();
    int Skin_Random(int low, int high);
    void Show_Slideshow_Picture(int number);
    // The drawn parts below the windowed controls, bottom first, and their z-order changes.
    void Restack_Drawn_Parts();
    void Bring_To_Front(QWidget* part);
    void Send_To_Back(QWidget* part);

    TAdjustment_Form& form_;
    std::vector<QWidget*> drawn_parts_;
    std::mt19937 skin_random_;
    int skin_seed_draws_ = 0;
};
