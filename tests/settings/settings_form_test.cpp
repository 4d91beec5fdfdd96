// The settings form driven as a user would: its controls' effects on each other, what each way
// of leaving it writes, the saved state read back, presets, the About page's figures and clock,
// and a write that fails.
#include <QSignalSpy>
#include <QTabBar>

#include "settings_form_fixture.h"

class Settings_Form_Test : public Settings_Form_Fixture {
    Q_OBJECT
private slots:
    void first_start_shows_the_defaults_and_closing_writes_them_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("Ok") << "ok";
        QTest::newRow("close request") << "close";
    }
    void first_start_shows_the_defaults_and_closing_writes_them()
    {
        QFETCH(QString, way);
        auto form = Open_Form();
        const Controls c(*form);
        QVERIFY(c.Page_Control->isVisible());
        QCOMPARE(c.Page_Control->currentWidget(), c.TabSheet_Main);
        QCOMPARE(c.Page_Control->tabText(1), QString(" Music FX Volume"));
        QCOMPARE(c.Label35->text(), QString("50"));
        QCOMPARE(c.glLabel_Gamma->Text(), QString("133 "));
        QCOMPARE(c.glLabel_Cam_Sec->Text(), QString("25  sec "));
        QVERIFY(!c.TrackBar_Gamma->isEnabled());
        QCOMPARE(c.RadioGroup_Presets->Item_Index(), -1);
        QVERIFY(!c.Apply_BitBtn->isEnabled());
        QVERIFY(!c.Restore_BitBtn->isEnabled());

        QSignalSpy ended(form.get(), &TAdjustment_Form::Form_Ended);
        if (way == "cancel") QTest::mouseClick(c.Cancel_BitBtn, Qt::LeftButton);
        if (way == "esc") QTest::keyClick(c.CheckBox_FPS, Qt::Key_Escape);
        if (way == "ok") QTest::mouseClick(c.OK_BitBtn, Qt::LeftButton);
        if (way == "close") form->close();
        QVERIFY(form->isHidden());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(Text("Controls.cfg"), kDefaultBehaviour);
        QCOMPARE(Text("ControlsAdj.cfg"), kDefaultState);
        QVERIFY(messages_.isEmpty());
    }
    void ok_writes_once_more_when_apply_is_enabled_data()
    {
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("saves");
        QTest::newRow("nothing touched: once, by the hide") << false << 1;
        QTest::newRow("a setting changed: Apply, then the hide") << true << 2;
    }
    void ok_writes_once_more_when_apply_is_enabled()
    {
        QFETCH(bool, change);
        QFETCH(int, saves);
        auto form = Open_Form();
        const Controls c(*form);
        QSignalSpy saved(form.get(), &TAdjustment_Form::Settings_Saved);
        if (change) {
            Enter(c.CheckBox_Vsynch);
            QTest::mouseClick(c.CheckBox_Vsynch, Qt::LeftButton);
        }
        QTest::mouseClick(c.OK_BitBtn, Qt::LeftButton);
        QCOMPARE(saved.count(), saves);
        QVERIFY(Text("Controls.cfg").contains(change ? "vsync_on=1\n" : "vsync_on=0\n"));
    }
    void restore_defaults_erases_then_ok_writes_the_defaults()
    {
        Write("ControlsAdj.cfg", "[Adjustment Form Control Panel Settings]\nTrackBar_Cam .Position=70\n"
                                 "CheckBox_NoMusic .Checked/UnChecked=1\nCheckBox_Gamma .Checked/UnChecked=0\n"
                                 "TrackBar_Gamma .Position=180\n");
        Write("Controls.cfg", "[FullScreen behaviour Control]\ncamjump_vo=70\n\n[Kept]\nx=1\n");
        auto form = Open_Form();
        const Controls c(*form);
        QCOMPARE(c.TrackBar_Cam->value(), 70);
        QCOMPARE(c.TrackBar_Gamma->value(), 180);
        QVERIFY(c.glGroupBox_Volume_Music->isHidden());

        Enter(c.TrackBar_Cam);
        QTest::mouseClick(c.Restore_BitBtn, Qt::LeftButton);
        QCOMPARE(Text("Controls.cfg"), QString("[Kept]\nx=1\n"));
        QCOMPARE(Text("ControlsAdj.cfg"), QString(""));
        QCOMPARE(c.TrackBar_Cam->value(), 25);
        QCOMPARE(c.TrackBar_Gamma->value(), 133);
        QVERIFY(!c.glGroupBox_Volume_Music->isHidden());
        QVERIFY(c.Page_Control->isVisible());
        QVERIFY(!c.Apply_BitBtn->isEnabled() && !c.Restore_BitBtn->isEnabled());

        QTest::mouseClick(c.OK_BitBtn, Qt::LeftButton);
        QCOMPARE(Text("Controls.cfg"), kDefaultBehaviour);
        QCOMPARE(Text("ControlsAdj.cfg"), kDefaultState);
    }
    void gamma_default_box()
    {
        auto form = Open_Form();
        const Controls c(*form);
        QTest::mouseClick(c.CheckBox_Gamma, Qt::LeftButton);
        auto enabled = [&] {
            return QList<bool>{c.TrackBar_Gamma->isEnabled(), c.Label_Darker->isEnabled(),
                               c.Label_Brighter->isEnabled()};
        };
        QCOMPARE(enabled(), QList<bool>({true, true, true}));
        QCOMPARE(c.TrackBar_Gamma->value(), 133);
        c.TrackBar_Gamma->setValue(60);
        QCOMPARE(c.glLabel_Gamma->Text(), QString("60 "));
        QTest::mouseClick(c.CheckBox_Gamma, Qt::LeftButton);
        QCOMPARE(c.TrackBar_Gamma->value(), 133);
        QCOMPARE(enabled(), QList<bool>({false, false, false}));
    }
    void mute_hides_and_restores_the_volume_group()
    {
        auto form = Open_Form();
        const Controls c(*form);
        c.Page_Control->setCurrentWidget(c.TabSheet_Sound);
        c.TrackBar_Volume_Music->setValue(30);
        QTest::mouseClick(c.CheckBox_NoMusic, Qt::LeftButton);
        QVERIFY(c.glGroupBox_Volume_Music->isHidden());
        form->hide();
        QVERIFY(Text("Controls.cfg").contains("music_on=0\nsound_on=0\nmusic_vo=70\nsound_vo=70\n"));

        form = Open_Form();
        const Controls again(*form);
        QVERIFY(again.CheckBox_NoMusic->isChecked() && again.glGroupBox_Volume_Music->isHidden());
        QTest::mouseClick(again.CheckBox_NoMusic, Qt::LeftButton);
        QVERIFY(!again.glGroupBox_Volume_Music->isHidden());
        QCOMPARE(again.TrackBar_Volume_Music->value(), 30);
        QTest::mouseClick(again.Label22, Qt::LeftButton);
        QCOMPARE(again.TrackBar_Volume_Music->value(), 50);
        QCOMPARE(again.Label35->text(), QString("50"));
    }
    void volume_bar_labels_and_written_volume_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("written");
        QTest::newRow("top") << 0 << "100" << 101 << 99;
        QTest::newRow("one below the top") << 1 << "99" << 100 << 99;
        QTest::newRow("two below the top") << 2 << "98" << 99 << 98;
        QTest::newRow("middle") << 50 << "50" << 51 << 50;
        QTest::newRow("last above the floor") << 90 << "10" << 11 << 10;
        QTest::newRow("95") << 95 << "5" << 6 << 10;
        QTest::newRow("bottom") << 100 << "0" << 1 << 10;
    }
    void volume_bar_labels_and_written_volume()
    {
        QFETCH(int, position);
        QFETCH(QString, label);
        QFETCH(int, percent);
        QFETCH(int, written);
        auto form = Open_Form();
        const Controls c(*form);
        c.TrackBar_Volume_Music->setValue(position == 50 ? 49 : 50);
        c.TrackBar_Volume_Music->setValue(position);
        QCOMPARE(c.Label35->text(), label);
        QCOMPARE(c.glProgressBar_Volume_Music->Percent(), percent);
        form->hide();
        const QString volume = QString::number(written);
        QVERIFY(Text("Controls.cfg").contains("music_vo=" + volume + "\nsound_vo=" + volume + "\n"));
    }
    void stored_state_is_held_to_the_ranges_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("shown");   // the control's position, item index or check state
        QTest::newRow("camera 1 -> 3") << "TrackBar_Cam .Position" << "1" << 3;
        QTest::newRow("camera 0x40") << "trackbar_cam .position" << "0x40" << 64;
        QTest::newRow("gamma 500 -> 200") << "TrackBar_Gamma .Position" << "500" << 200;
        QTest::newRow("gamma not a number -> 133") << "TrackBar_Gamma .Position" << "bright" << 133;
        QTest::newRow("speed -3 -> 0") << "TrackBar_Scene_Speed .Position" << "-3" << 0;
        QTest::newRow("volume 7.5 -> 50") << "TrackBar_Volume_Music .Position" << "7.5" << 50;
        QTest::newRow("preset 9 -> 4") << "RadioGroup_Presets .ItemIndex" << "9" << 4;
        QTest::newRow("preset -5 -> none") << "RadioGroup_Presets .ItemIndex" << "-5" << -1;
        QTest::newRow("clock 2 -> checked") << "CheckBox_Time .Checked/UnChecked" << "2" << 1;
        QTest::newRow("clock yes -> default") << "CheckBox_Time .Checked/UnChecked" << "yes" << 1;
        QTest::newRow("clock 0") << "CheckBox_Time .Checked/UnChecked" << "0" << 0;
    }
    void stored_state_is_held_to_the_ranges()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, shown);
        Write("ControlsAdj.cfg", "[Adjustment Form Control Panel Settings]\n" + key + "=" + value + "\n");
        auto form = Open_Form();
        const Controls c(*form);
        const QString control = key.section(' ', 0, 0).toLower();
        int actual = control == "trackbar_cam"            ? c.TrackBar_Cam->value()
                     : control == "trackbar_gamma"        ? c.TrackBar_Gamma->value()
                     : control == "trackbar_scene_speed"  ? c.TrackBar_Scene_Speed->value()
                     : control == "trackbar_volume_music" ? c.TrackBar_Volume_Music->value()
                     : control == "radiogroup_presets"    ? c.RadioGroup_Presets->Item_Index()
                                                          : int(c.CheckBox_Time->isChecked());
        QCOMPARE(actual, shown);
    }
    void presets_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("seconds");
        QTest::newRow("1") << 0 << 0 << 5;
        QTest::newRow("2") << 1 << 1 << 3;
        QTest::newRow("4") << 3 << 2 << 3;
        QTest::newRow("5") << 4 << 3 << 25;
    }
    void presets()
    {
        QFETCH(int, item);
        QFETCH(int, speed);
        QFETCH(int, seconds);
        auto form = Open_Form();
        const Controls c(*form);
        QTest::mouseClick(c.RadioGroup_Presets->Buttons()[item], Qt::LeftButton);
        QCOMPARE(c.TrackBar_Scene_Speed->value(), speed);
        QCOMPARE(c.TrackBar_Cam->value(), seconds);
        QCOMPARE(c.glLabel_Cam_Sec->Text(), QString::number(seconds) + "  sec ");
        // Moving a bar by hand afterwards keeps the item.
        c.TrackBar_Cam->setValue(40);
        QCOMPARE(c.RadioGroup_Presets->Item_Index(), item);
    }
    void a_stored_preset_keeps_the_stored_positions()
    {
        Write("ControlsAdj.cfg", "[Adjustment Form Control Panel Settings]\nTrackBar_Scene_Speed .Position=6\n"
                                 "TrackBar_Cam .Position=77\nRadioGroup_Presets .ItemIndex=0\n");
        auto form = Open_Form();
        const Controls c(*form);
        QCOMPARE(c.RadioGroup_Presets->Item_Index(), 0);
        QCOMPARE(c.TrackBar_Scene_Speed->value(), 6);
        QCOMPARE(c.TrackBar_Cam->value(), 77);
        // The loading is over: a click on another item moves the bars again.
        QTest::mouseClick(c.RadioGroup_Presets->Buttons()[3], Qt::LeftButton);
        QCOMPARE(c.TrackBar_Scene_Speed->value(), 2);
        QCOMPARE(c.TrackBar_Cam->value(), 3);
    }
    void a_failed_write_names_the_path_and_the_dialog_still_ends()
    {
        paths_.Program_Dir = Folder() + "/missing/";
        auto form = Open_Form();
        const Controls c(*form);
        QSignalSpy ended(form.get(), &TAdjustment_Form::Form_Ended);
        QTest::keyClick(c.OK_BitBtn, Qt::Key_Escape);
        QCOMPARE(messages_, QStringList{"Unable to write to " + paths_.Program_Dir + "Controls.cfg"});
        QCOMPARE(ended.count(), 1);
        QCOMPARE(QDir(Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    }
    void a_failed_restore_brings_the_pages_back()
    {
        QVERIFY(QDir(Folder()).mkdir("Controls.cfg"));   // a folder where the file should be
        auto form = Open_Form();
        const Controls c(*form);
        Enter(c.TrackBar_Cam);
        c.TrackBar_Cam->setValue(60);
        QTest::mouseClick(c.Restore_BitBtn, Qt::LeftButton);
        QCOMPARE(messages_, QStringList{"Unable to write to " + paths_.Program_Dir + "Controls.cfg"});
        QVERIFY(c.Page_Control->isVisible());
        QCOMPARE(c.TrackBar_Cam->value(), 60);
        QVERIFY(c.Apply_BitBtn->isEnabled() && c.Restore_BitBtn->isEnabled());
    }
    void about_page_measures_once_and_runs_the_clock_only_while_shown()
    {
        auto form = Open_Form();
        const Controls c(*form);
        QTabBar* tabs = c.Page_Control->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QVERIFY(c.Current_Timer->isActive());
        auto matches = [](QLabel* label, const char* pattern) {
            return QRegularExpression(pattern).match(label->text()).hasMatch();
        };
        QVERIFY(matches(c.Label_Mashine_CPU_speed, "^[1-9][0-9]* MHz$"));
        QVERIFY(matches(c.Label_VideoCardMemo, "^[0-9]+ Mb$"));
        QVERIFY(matches(c.Label_RAM_Load, "^[0-9]{1,3}%$"));
        QVERIFY(matches(c.Label_RAM_Total, "^[1-9][0-9]* Mb$"));
        QCOMPARE(c.DateTimePicker1->date(), QDate::currentDate());
        QVERIFY(c.Apply_BitBtn->isEnabled());

        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        QVERIFY(!c.Current_Timer->isActive());
        c.Label_Mashine_CPU_speed->setText("measured");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QVERIFY(c.Current_Timer->isActive());
        QCOMPARE(c.Label_Mashine_CPU_speed->text(), QString("measured"));
    }
};

QTEST_MAIN(Settings_Form_Test)
#include "settings_form_test.moc"
