// The settings form's keys and mouse driven as a user would: F1 and Esc on each kind of control,
// the focus entering a setting, the links' addresses and their colours under the mouse.
#include <QMouseEvent>

#include "settings_form_fixture.h"

class Settings_Form_Input_Test : public Settings_Form_Fixture {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("closes");
        QTest::newRow("F1 on a button") << "Apply" << int(Qt::Key_F1) << true << false;
        QTest::newRow("F1 on a check box") << "FPS" << int(Qt::Key_F1) << true << false;
        QTest::newRow("F1 on a track bar") << "Cam" << int(Qt::Key_F1) << true << false;
        QTest::newRow("F1 on the date picker") << "Date" << int(Qt::Key_F1) << true << false;
        QTest::newRow("F1 on a preset: nothing") << "Preset" << int(Qt::Key_F1) << false << false;
        QTest::newRow("Esc on a track bar") << "Cam" << int(Qt::Key_Escape) << false << true;
        QTest::newRow("Esc on a preset") << "Preset" << int(Qt::Key_Escape) << false << true;
    }
    void keys()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(bool, help);
        QFETCH(bool, closes);
        auto form = Open_Form();
        const Controls c(*form);
        QWidget* target = control == "Apply" ? static_cast<QWidget*>(c.Apply_BitBtn)
                          : control == "FPS" ? c.CheckBox_FPS
                          : control == "Cam" ? c.TrackBar_Cam
                          : control == "Date" ? static_cast<QWidget*>(c.DateTimePicker1)
                                              : c.RadioGroup_Presets->Buttons()[2];
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(opened_.urls, help ? QList<QUrl>{QUrl::fromLocalFile(paths_.Program_Dir + "Info/help.html")} : QList<QUrl>{});
        QCOMPARE(form->isHidden(), closes);
        QCOMPARE(QFile::exists(Path("Controls.cfg")), closes);
    }
    void focus_on_a_setting_enables_apply_and_restore()
    {
        auto form = Open_Form();
        const Controls c(*form);
        Enter(c.OK_BitBtn);
        QVERIFY(!c.Apply_BitBtn->isEnabled());
        Enter(c.TrackBar_Gamma->isEnabled() ? c.TrackBar_Gamma : c.TrackBar_Scene_Speed);
        QVERIFY(c.Apply_BitBtn->isEnabled() && c.Restore_BitBtn->isEnabled());
        QTest::mouseClick(c.Apply_BitBtn, Qt::LeftButton);
        QVERIFY(!c.Apply_BitBtn->isEnabled());
        QVERIFY(form->isVisible());
        QCOMPARE(Text("Controls.cfg"), kDefaultBehaviour);
    }
    void links_open_their_addresses()
    {
        auto form = Open_Form();
        const Controls c(*form);
        QTest::mouseClick(c.Label14, Qt::LeftButton);
        QTest::mouseClick(c.Label13, Qt::LeftButton);
        QCOMPARE(opened_.urls, (QList<QUrl>{QUrl(paths_.Home_Page_Address), QUrl(paths_.Support_Page_Address)}));
        QCOMPARE(c.Label14->Colour(), QColor(128, 0, 0));
    }
    void the_links_turn_blue_again_over_the_boxes_around_them()
    {
        auto form = Open_Form();
        const Controls c(*form);
        for (QWidget* box : {static_cast<QWidget*>(c.SpecialFX_GroupBox), static_cast<QWidget*>(c.glGroupBox_Links),
                             static_cast<QWidget*>(c.Find<TGradient_Group_Box>("glGroupBox_Channels_Monitoring"))}) {
            form->Label13MouseMove();
            QCOMPARE(c.Label13->Colour(), QColor(255, 0, 255));
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(box, &move);
            QCOMPARE(c.Label13->Colour(), QColor(0, 0, 255));
        }
    }
};

QTEST_MAIN(Settings_Form_Input_Test)
#include "settings_form_input_test.moc"
