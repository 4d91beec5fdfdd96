// The settings form's skin: the outlines that cut the form and the slideshow screen, the frame
// pictures and their places and z-order, the background and the boxes' colours, the opening that
// grows the form out of the middle of the work area, the slideshow, and the exit button's look
// under the mouse. The form holds one and hands it what it decorates; the skin's parts are
// children of the form, and what the user does to them comes back to the form as signals.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QObject>
#include <QPolygon>
#include <QTabWidget>
#include <QTimer>

#include <cstdint>
#include <random>
#include <vector>

#include "form_widgets.h"
#include "skin_image.h"
#include "skin_opening.h"
#include "system_info.h"

// What the form hands its skin when it makes it: the window the skin cuts, grows and lays its
// parts on, and the few controls it places, colours or watches for the mouse.
struct Skin_Canvas {
    QWidget* Form = nullptr;
    QSize Working_Size;                // the form's size once open
    QTabWidget* Page_Control = nullptr;
    QList<QWidget*> Pages;             // the page control's pages
    QFrame* Panel1 = nullptr;          // the title panel: the frame sits above it
    QLabel* Main_Logo_Image = nullptr; // placed and stacked with the frame pictures
    TGradient_Group_Box* glGroupBox_Links = nullptr;
};

// Where the skin stands: what this start drew and how far the opening and the slideshow are.
struct Skin_State {
    // The outlines as read from the "POINTS" resources: the form's and the slideshow screen's.
    QPolygon App_Outline, TVOut_Outline;
    // The left and right top variants (1 to 7), the background and body colours (indices into
    // the five), the opening variant (0 both, 1 width, 2 down).
    int Left_Variant = 0, Right_Variant = 0, Background_Colour_Index = 0, Body_Colour_Index = 0, Opening_Variant = 0;
    uint8_t Slideshow_Index = 0;
    Opening_State Opening;
    bool First_Show = true;
    bool Exit_Hover = false;
};

class Form_Skin : public QObject {
    Q_OBJECT
public:
    // Makes the skin's parts on the form, hidden until Load_Window_Shapes places them. Each part
    // and timer carries its name as its object name.
    explicit Form_Skin(const Skin_Canvas& canvas);

    const Skin_State& State() const { return state_; }

    // Reads the outlines and cuts the form with them, then loads and places the pictures.
    void Load_Window_Shapes();
    // The background, the group boxes' colours and the opening variant, after the frame; the
    // opening starts from the middle of screen's work area.
    void Set_Up_Skin(const Screen_Metrics& screen);
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
    // A click on the exit button, or a double click on the frame's top or right.
    void Close_Requested();
    // A mouse button went down on the frame, the slideshow screen or a large surface: the form
    // is moved from there.
    void Drag_Requested(const QPointF& global_position);
    // The mouse moved over the frame, the slideshow screen or a large surface, off the exit button.
    void Mouse_Moved_Over_Form();
    // The mouse moved over the decorative box below the slideshow screen.
    void Channels_Box_Mouse_Moved();

protected:
    // The mouse on the frame pictures, the exit button and the large surfaces.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply_Window_Shapes();
    void Load_Skin_Images();
    void Place_Skin_Images();
    void Open_Grow_Both(const Opening_Screen& screen);
    void Open_Grow_Down(const Opening_Screen& screen);
    void Open_Grow_Width(const Opening_Screen& screen);
    void Open_Grow_Step();
    void Apply_Opening_Start();
    // The skin's random draws: seeded from the clock, or from QUELMSCR_SEED when it is set.
    void Seed_Skin_Random();
    int Skin_Random(int low, int high);
    void Show_Slideshow_Picture(int number);
    // The drawn parts below the windowed controls, bottom first, and their z-order changes.
    void Restack_Drawn_Parts();
    void Bring_To_Front(QWidget* part);
    void Send_To_Back(QWidget* part);
    void Create_Parts();
    void Watch_Surfaces();

    Skin_Canvas canvas_;
    Skin_State state_;

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

    std::vector<QWidget*> drawn_parts_;
    std::mt19937 skin_random_;
    int skin_seed_draws_ = 0;
};
