// The settings form's skin without a display: the three opening variants step by step, the
// places of the frame pictures over the compiled pictures, and the form's outlines, places, z-order,
// colours, slideshow and exit-button swap. (Masks and the mouse are tested under Xvfb.)
#include "form_skin.h"
#include "resources.h"
#include "settings_form.h"
#include "skin_opening.h"
#include "skin_placement.h"
#include "support/temp_folder.h"
#include "system_info.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QApplication>
#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(Opening_Screen)

namespace {

enum Variant { Both, Width, Down };

Opening_State Start(Variant v, const Opening_Screen& screen, int draw)
{
    return v == Both ? Grow_Both_Start(screen, draw) : v == Width ? Grow_Width_Start(screen, draw)
                                                                  : Grow_Down_Start(screen, draw);
}

QImage Bitmap(const QString& name) { return QImage::fromData(Find_Resource("BITMAP", name)); }

Host_Paths Paths_In(const TempFolder& dir)
{
    Host_Paths paths;
    paths.Program_Dir = QString::fromStdString(dir.str()) + "/";
    return paths;
}

// The skin's random choices (colour, first picture, opening) fixed while a form is made and tested.
struct Fixed_Seed {
    Fixed_Seed() { qputenv("QUELMSCR_SEED", "11"); }
    ~Fixed_Seed() { qunsetenv("QUELMSCR_SEED"); }
};

// A form over a folder of its own, its skin, and the skin's parts and the form's controls found by
// the names they carry.
class Skinned_Form {
    const TempFolder dir_{"skin"};
    const Fixed_Seed seed_;

public:
    TAdjustment_Form form{Paths_In(dir_)};
    Form_Skin& skin = *Skin_Of(form);

    QWidget* part(const char* name)
    {
        QWidget* widget = form.findChild<QWidget*>(name);
        if (!widget) qFatal("no part named %s", name);
        return widget;
    }
    TGradient_Group_Box* box(const char* name) { return qobject_cast<TGradient_Group_Box*>(part(name)); }
    QTimer* timer(const char* name) { return form.findChild<QTimer*>(name); }

private:
    static Form_Skin* Skin_Of(TAdjustment_Form& form)
    {
        auto* skin = form.findChild<Form_Skin*>();
        if (!skin) qFatal("the form has no skin");
        return skin;
    }
};

}  // namespace

class Skin_Test : public QObject {
    Q_OBJECT

private slots:
    void opening_steps_from_each_draw_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("draw");
        QTest::addColumn<QList<int>>("steps");   // width, left, height, top
        const int ab[4][2] = {{9, 6}, {12, 8}, {12, 8}, {15, 10}};
        for (int r = 0; r < 4; ++r) {
            const int a = ab[r][0], b = ab[r][1];
            QTest::addRow("both %d", r) << int(Both) << r << QList<int>{2 * a, a, 2 * b + b / 2, b};
            QTest::addRow("down %d", r) << int(Down) << r << QList<int>{2 * a, a, 2 * b + b / 2, b};
        }
        QTest::addRow("width 0") << int(Width) << 0 << QList<int>{16, 8, 0, 0};
        QTest::addRow("width 1") << int(Width) << 1 << QList<int>{20, 10, 0, 0};
        QTest::addRow("width 2") << int(Width) << 2 << QList<int>{40, 20, 0, 0};
    }

    void opening_steps_from_each_draw()
    {
        QFETCH(int, variant);
        QFETCH(int, draw);
        QFETCH(QList<int>, steps);
        const Opening_State s = Start(Variant(variant), {1920, 960, 500}, draw);
        QCOMPARE((QList<int>{s.Width_Step, s.Left_Step, s.Height_Step, s.Top_Step}), steps);
        QCOMPARE(s.Top_Fixed, variant == Down);
    }

    void opening_starts_in_the_middle_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<Opening_Screen>("screen");
        QTest::addColumn<QList<int>>("start");   // left, top, width, height
        const Opening_Screen wide{1920, 960, 500}, narrow{700, 350, 260}, tiny{640, 320, 5};
        QTest::newRow("both, wide") << int(Both) << wide << QList<int>{960, 450, 2, 2};
        QTest::newRow("both, 700 wide") << int(Both) << narrow << QList<int>{350, 250, 2, 2};
        QTest::newRow("down, wide") << int(Down) << wide << QList<int>{960, 223, 2, 2};
        QTest::newRow("down, 700 wide") << int(Down) << narrow << QList<int>{350, 0, 2, 2};
        QTest::newRow("width, wide") << int(Width) << wide << QList<int>{960, 223, 2, 554};
        QTest::newRow("width, 700 wide") << int(Width) << narrow << QList<int>{350, 0, 2, 554};
        QTest::newRow("both, tiny work area") << int(Both) << tiny << QList<int>{320, -5, 2, 2};
    }

    void opening_starts_in_the_middle()
    {
        QFETCH(int, variant);
        QFETCH(Opening_Screen, screen);
        QFETCH(QList<int>, start);
        const Opening_Geometry g = Opening_Start_Geometry(Start(Variant(variant), screen, 1));
        QCOMPARE((QList<int>{g.Left, g.Top, g.Width, g.Height}), start);
    }

    void every_variant_ends_at_full_size()
    {
        for (const Opening_Screen& screen : {Opening_Screen{1920, 960, 500}, Opening_Screen{640, 320, 200}})
            for (int variant : {Both, Width, Down})
                for (int draw = 0; draw < (variant == Width ? 3 : 4); ++draw) {
                    Opening_State s = Start(Variant(variant), screen, draw);
                    const int first_top = s.Top;
                    bool complete = false;
                    Opening_Geometry g;
                    int steps = 0, applied_top = first_top;
                    while (!complete && steps < 1000) {
                        g = Opening_Advance(s, complete);
                        ++steps;
                        QVERIFY(g.Width <= 789 && g.Height <= 554);
                        if (variant == Width) QCOMPARE(g.Height, 554);
                        if (variant == Down) QCOMPARE(g.Top, first_top);
                        if (g.Top_Given) applied_top = g.Top;
                        QVERIFY(!g.Top_Given || g.Top >= 0);
                    }
                    QVERIFY(complete);
                    QCOMPARE(QSize(g.Width, g.Height), QSize(789, 554));
                    // The last step went past the target; the window was held to it.
                    QVERIFY(s.Width > 789);
                    QVERIFY(variant == Width || s.Height > 554);
                    QVERIFY(steps < 100);
                    QVERIFY(applied_top >= 0);
                }
    }

    void placement_gives_a_frame_of_the_working_size()
    {
        Frame_Picture_Sizes sizes;
        sizes.Left_Image_top = Bitmap("Title_Left_Image_top_04").size();
        sizes.Top_Image = Bitmap("Title_Top_Image").size();
        sizes.Left_Image_Middle = Bitmap("Title_Left_Image_Middle").size();
        sizes.Left_Image_bottom = Bitmap("Title_Left_Image_bottom").size();
        sizes.Right_Image_top = Bitmap("Title_Right_Image_top_02").size();
        sizes.Right_Image_bottom = Bitmap("Title_Right_Image_bottom").size();
        sizes.Bottom_Image = Bitmap("Title_Botom_Image").size();
        sizes.Top_Exit_Image = Bitmap("Exit_Image_active").size();
        sizes.Ball_Hide_Panel_Image = Bitmap("Title_Ball_Panel_Image_Middle").size();
        sizes.Ball_Shato_Image = Bitmap("Ball_Shato").size();
        const Skin_Places p = Place_Skin(sizes, QRect(412, 72, 325, 320), 490);
        QCOMPARE(p.Left_Image_Middle, QRect(105, 189, 302, 202));
        QCOMPARE(p.Left_Image_bottom, QRect(32, 372, 73, 174));
        QCOMPARE(p.Right_Image_top, QRect(738, 35, 44, 287));
        QCOMPARE(p.Right_Image_bottom, QRect(738, 321, 52, 233));
        QCOMPARE(p.Bottom_Image, QRect(100, 517, 638, 37));
        QCOMPARE(p.Top_Exit_Image, QRect(708, 38, 35, 28));
        QCOMPARE(p.Ball_Hide_Panel_Image, QRect(320, 76, 72, 113));
        QCOMPARE(p.Ball_Shato_Image, QRect(341, 81, 63, 85));
        QCOMPARE(p.Main_Logo_Image, QPoint(64, 393));
        QCOMPARE(p.glGroupBox_Channels_Monitoring, QPoint(43, 303));
        QCOMPARE(p.glLabel_Slogan, QPoint(220, 528));
        QCOMPARE(p.Page_Control, QPoint(412, 72));
        // The rectangles reach one pixel past the form on the right (738 + 52); the pictures'
        // drawn pixels span exactly the working size.
        QRect drawn;
        const std::pair<const char*, QRect> parts[] = {
            {"Title_Left_Image_top_04", p.Left_Image_top},    {"Title_Top_Image", p.Top_Image},
            {"Title_Left_Image_Middle", p.Left_Image_Middle}, {"Title_Left_Image_bottom", p.Left_Image_bottom},
            {"Title_Right_Image_top_02", p.Right_Image_top},  {"Title_Right_Image_bottom", p.Right_Image_bottom},
            {"Title_Botom_Image", p.Bottom_Image}};
        for (const auto& [name, rect] : parts) {
            const QImage picture = Bitmap(name);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    if ((picture.pixel(x, y) & 0xffffff) != 0x00ff00)
                        drawn |= QRect(rect.topLeft() + QPoint(x, y), QSize(1, 1));
        }
        QCOMPARE(drawn, QRect(0, 0, 789, 554));
    }

    void form_takes_its_skin()
    {
        Skinned_Form f;
        // The outlines load with the vertex counts of their y lists.
        QCOMPARE(f.skin.State().App_Outline.size(), 410);
        QCOMPARE(f.skin.State().TVOut_Outline.size(), 135);
        QCOMPARE(f.form.mask().boundingRect(), QRect(0, 0, 789, 554));
        QVERIFY(!f.form.mask().contains(QPoint(5, 500)));
        QCOMPARE(f.part("Main_TVOut_Panel")->mask().boundingRect(), QRect(2, 3, 280, 234));
        QCOMPARE(f.part("Right_Image_bottom")->pos(), QPoint(738, 321));
        QCOMPARE(f.part("Ball_Shato_Image")->pos(), QPoint(341, 81));
        QCOMPARE(f.part("Main_TVOut_Panel")->geometry(), QRect(49, 43, 285, 240));
        QCOMPARE(f.part("glBevel_onMainForm")->geometry(), QRect(0, 0, 789, 517));
        // A frame picture leaves its green pixels out of its mask: the porthole lets the ball show.
        QVERIFY(!f.part("Ball_Hide_Panel_Image")->mask().contains(QPoint(51, 48)));
        QVERIFY(f.part("Ball_Hide_Panel_Image")->mask().contains(QPoint(35, 10)));

        // Drawn parts under the windowed controls, in the order the z-order changes leave them.
        QList<QWidget*> expected;
        for (const char* name : {"glBevel_onMainForm", "Ball_Shato_Image", "Main_Logo_Image", "Left_Image_top",
                                 "Left_Image_Middle", "Left_Image_bottom", "Right_Image_top", "Right_Image_bottom",
                                 "Bottom_Image", "Top_Exit_Image_active", "glLabel_Slogan", "Top_Image",
                                 "Ball_Hide_Panel_Image", "Top_Exit_Image_passive"})
            expected << f.part(name);
        QList<QWidget*> stack;
        for (QObject* child : f.form.children())
            if (auto* w = qobject_cast<QWidget*>(child)) stack << w;
        QCOMPARE(stack.mid(0, expected.size()), expected);
        QVERIFY(stack.indexOf(f.part("Page_Control")) > stack.indexOf(f.part("Top_Exit_Image_passive")));
    }

    void skin_colours_the_boxes_and_swaps_the_exit_button()
    {
        Skinned_Form f;
        const QColor colours[5] = {{140, 200, 120}, {160, 220, 120}, {192, 220, 192}, {192, 192, 192}, {166, 202, 240}};
        const QColor body = colours[f.skin.State().Body_Colour_Index];
        QCOMPARE(f.box("glGroupBox_Links")->Body_Colour(), body);
        QCOMPARE(f.box("glGroupBox_Channels_Monitoring")->Body_Colour(), body);
        QCOMPARE(f.box("glGroupBox_Volume_Music")->Body_Colour(), body);
        QCOMPARE(f.box("glGroupBox_Gamma_Correction")->Body_Colour(), QColor(192, 192, 192));

        // The exit button's two looks swap under the mouse and back (painted at full size).
        f.form.setGeometry(0, 0, 789, 554);
        auto exit_centre = [&] { return f.form.grab(QRect(708, 38, 35, 28)).toImage().pixel(17, 14) & 0xffffff; };
        auto above = [&](const char* upper, const char* lower) {
            return f.form.children().indexOf(f.part(upper)) > f.form.children().indexOf(f.part(lower));
        };
        const QRgb rest = Bitmap("Exit_Image_active").pixel(17, 14) & 0xffffff;
        const QRgb hover = Bitmap("Exit_Image_passive").pixel(17, 14) & 0xffffff;
        QCOMPARE(exit_centre(), rest);
        f.skin.Top_Exit_Image_passiveMouseMove();
        QCOMPARE(exit_centre(), hover);
        QVERIFY(above("Top_Exit_Image_active", "Top_Exit_Image_passive"));
        f.form.FormMouseMove();
        QVERIFY(above("Top_Exit_Image_passive", "Top_Exit_Image_active"));
        QVERIFY(!f.skin.State().Exit_Hover);
        QCOMPARE(exit_centre(), rest);
    }

    void slideshow_goes_round_and_starts_when_the_form_has_grown()
    {
        Skinned_Form f;
        // The slideshow goes round all six pictures, a new one at each tick.
        QCOMPARE(f.timer("Sshots_Changer_Timer")->interval(), 5100);
        QVERIFY(!f.timer("Sshots_Changer_Timer")->isActive());
        const int first = f.skin.State().Slideshow_Index;
        QList<QImage> seen;
        for (int tick = 1; tick <= 6; ++tick) {
            f.skin.Sshots_Changer_TimerTimer();
            QCOMPARE(int(f.skin.State().Slideshow_Index), (first + tick) % 6);
            const QImage shown = qobject_cast<QLabel*>(f.part("Main_TVOut_Image"))->pixmap().toImage();
            QCOMPARE(shown.size(), QSize(286, 215));
            QVERIFY(!seen.contains(shown));
            seen << shown;
        }

        // Shown: the controls appear only once the form has grown to its working size.
        f.form.show();
        QVERIFY(!f.part("Page_Control")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(f.form.Opening_Done(), 5000);
        QCOMPARE(f.form.size(), QSize(789, 554));
        QVERIFY(f.part("Page_Control")->isVisible() && f.part("Main_TVOut_Panel")->isVisible());
        QVERIFY(f.timer("Sshots_Changer_Timer")->isActive() && !f.timer("Open_Grow_Timer")->isActive());
        QVERIFY(f.skin.State().Slideshow_Index <= 4);
        f.form.hide();
    }

    void what_the_mouse_does_on_the_skin_is_told_to_the_form_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<int>("event");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("told");   // the signals the skin sent, in order
        const int press = QEvent::MouseButtonPress, release = QEvent::MouseButtonRelease,
                  double_click = QEvent::MouseButtonDblClick, move = QEvent::MouseMove;
        QTest::newRow("double click on the top") << "Top_Image" << double_click << QPoint(5, 5) << "close";
        QTest::newRow("double click on the right post") << "Right_Image_bottom" << double_click << QPoint(5, 5) << "close";
        QTest::newRow("double click on the left post") << "Left_Image_Middle" << double_click << QPoint(5, 5) << "";
        QTest::newRow("release on the exit button") << "Top_Exit_Image_passive" << release << QPoint(5, 5) << "close";
        QTest::newRow("release off the exit button") << "Top_Exit_Image_active" << release << QPoint(50, 5) << "";
        QTest::newRow("press on the exit button") << "Top_Exit_Image_passive" << press << QPoint(5, 5) << "";
        QTest::newRow("press on the frame") << "Bottom_Image" << press << QPoint(5, 5) << "drag";
        QTest::newRow("press on the screen") << "Main_TVOut_Image" << press << QPoint(5, 5) << "drag";
        QTest::newRow("press on the pages") << "Page_Control" << press << QPoint(5, 5) << "";
        QTest::newRow("move over a page") << "TabSheet_Main" << move << QPoint(5, 5) << "moved";
        QTest::newRow("move over the box below the screen") << "glGroupBox_Channels_Monitoring" << move << QPoint(5, 5)
                                                             << "box moved";
        QTest::newRow("move over the exit button") << "Top_Exit_Image_passive" << move << QPoint(5, 5) << "";
    }

    void what_the_mouse_does_on_the_skin_is_told_to_the_form()
    {
        QFETCH(QString, part);
        QFETCH(int, event);
        QFETCH(QPoint, at);
        QFETCH(QString, told);
        const TempFolder dir("skin");
        TAdjustment_Form form(Paths_In(dir));
        auto* skin = form.findChild<Form_Skin*>();
        QWidget* widget = form.findChild<QWidget*>(part);
        QVERIFY(skin && widget);
        // Only what the skin says counts here, not what the form then does with it.
        QObject::disconnect(skin, nullptr, &form, nullptr);
        QStringList said;
        QPointF drag_from;
        connect(skin, &Form_Skin::Close_Requested, this, [&] { said << "close"; });
        connect(skin, &Form_Skin::Drag_Requested, this, [&](const QPointF& p) { said << "drag"; drag_from = p; });
        connect(skin, &Form_Skin::Channels_Box_Mouse_Moved, this, [&] { said << "box"; });
        connect(skin, &Form_Skin::Mouse_Moved_Over_Form, this, [&] { said << "moved"; });
        const QPointF global(1000 + at.x(), 700 + at.y());
        const Qt::MouseButton button = event == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent mouse(QEvent::Type(event), QPointF(at), global, button, button, Qt::NoModifier);
        QApplication::sendEvent(widget, &mouse);
        QCOMPARE(said.join(' '), told);
        if (told == "drag") QCOMPARE(drag_from, global);
        disconnect(skin, nullptr, this, nullptr);
    }
};

QTEST_MAIN(Skin_Test)
#include "skin_test.moc"
