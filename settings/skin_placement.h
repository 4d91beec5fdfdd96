// Where the settings form places its frame pictures and the controls around them: every place
// follows from the pictures' sizes and the parts placed before it, first the frame pictures, then
// the logo, the slideshow screen, the slogan and the pages.
#pragma once

#include <QRect>
#include <QSize>

struct Frame_Picture_Sizes {
    QSize Left_Image_top, Top_Image, Left_Image_Middle, Left_Image_bottom, Right_Image_top, Right_Image_bottom,
        Bottom_Image, Top_Exit_Image, Ball_Hide_Panel_Image, Ball_Shato_Image;
};

struct Skin_Places {
    // The frame table.
    QRect Left_Image_top, Top_Image, Left_Image_Middle, Left_Image_bottom, Right_Image_top, Right_Image_bottom,
        Bottom_Image, Top_Exit_Image, Ball_Hide_Panel_Image, Ball_Shato_Image;
    // The other placed parts (their sizes are their own).
    QPoint Main_Logo_Image, glGroupBox_Channels_Monitoring, Main_TVOut_Panel, glLabel_Slogan, Page_Control;
};

// page_control: where the page control stands before it is placed; panel1_top: the top of Panel1.
Skin_Places Place_Skin(const Frame_Picture_Sizes& sizes, const QRect& page_control, int panel1_top);
