// The places of the frame pictures and the parts placed around them.
#include "skin_placement.h"

namespace {

// The table's right edge and bottom: one past the last pixel (QRect's right() and bottom() are on it).
int Right_Edge(const QRect& r) { return r.x() + r.width(); }
int Bottom(const QRect& r) { return r.y() + r.height(); }

}  // namespace

Skin_Places Place_Skin(const Frame_Picture_Sizes& s, const QRect& page_control, int panel1_top)
{
    Skin_Places p;
    p.Left_Image_top = QRect(QPoint(0, 0), s.Left_Image_top);
    p.Top_Image = QRect(QPoint(33, 0), s.Top_Image);
    p.Left_Image_Middle = QRect(QPoint(Right_Edge(p.Left_Image_top), Bottom(p.Top_Image) + 80), s.Left_Image_Middle);
    p.Left_Image_bottom = QRect(QPoint(32, Bottom(p.Left_Image_Middle) - 19), s.Left_Image_bottom);
    p.Right_Image_top = QRect(QPoint(Right_Edge(p.Top_Image) - 11, 35), s.Right_Image_top);
    p.Right_Image_bottom = QRect(QPoint(p.Right_Image_top.x(), Bottom(p.Right_Image_top) - 1), s.Right_Image_bottom);
    p.Bottom_Image = QRect(QPoint(p.Right_Image_bottom.x() - s.Bottom_Image.width(),
                                  Bottom(p.Right_Image_bottom) - s.Bottom_Image.height()),
                           s.Bottom_Image);
    p.Top_Exit_Image = QRect(QPoint(p.Right_Image_top.x() - 30, p.Right_Image_top.y() + 3), s.Top_Exit_Image);
    p.Ball_Hide_Panel_Image = QRect(QPoint(page_control.x() - 92, Bottom(p.Top_Image) - 33), s.Ball_Hide_Panel_Image);
    p.Ball_Shato_Image = QRect(p.Ball_Hide_Panel_Image.topLeft() + QPoint(21, 5), s.Ball_Shato_Image);

    p.Main_Logo_Image = QPoint(Right_Edge(p.Left_Image_bottom) - 41, panel1_top - 97);
    p.glGroupBox_Channels_Monitoring = QPoint(p.Left_Image_bottom.x() + 11, p.Left_Image_bottom.y() - 69);
    p.Main_TVOut_Panel = QPoint(49, 43);
    p.glLabel_Slogan = QPoint(p.Bottom_Image.x() + 120, p.Bottom_Image.y() + 11);
    p.Page_Control = QPoint(p.Right_Image_bottom.x() - page_control.width() - 1, Bottom(p.Top_Exit_Image) + 6);
    return p;
}
