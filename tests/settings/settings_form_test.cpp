// The settings form driven as a user would: its controls' effects on each other, what each way
// of leaving it writes, the saved state read back, presets, keys, and a write that fails.
#include <QDesktopServices>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "messages.h"
#include "settings_files.h"
#include "settings_form.h"

// What closing the form writes on a first start.
static const QString kDefaultBehaviour =
    "[FullScreen behaviour Control]\nfpsch_on=0\nclock_on=1\nmouse_on=0\nvsync_on=0\nmusic_on=1\nsound_on=1\n"
    "music_vo=50\nsound_vo=50\nspeed_vo=1\ngamma_vo=133\ncamjump_vo=25\n";
static const QString kDefaultState =
    "[Adjustment Form Control Panel Settings]\nTrackBar_Volume_Music .Position=50\nTrackBar_Scene_Speed .Position=1\n"
    "TrackBar_Gamma .Position=133\nTrackBar_Cam .Position=25\nRadioGroup_Presets .ItemIndex=-1\n"
    "CheckBox_NoMusic .Checked/UnChecked=0\nCheckBox_ExitMouse .Checked/UnChecked=0\n"
    "CheckBox_FPS .Checked/UnChecked=0\nCheckBox_Time .Checked/UnChecked=1\n"
    "CheckBox_Vsynch .Checked/UnChecked=0\nCheckBox_Gamma .Checked/UnChecked=1\n";

// The form's controls, found by the names they carry.
class Controls {
public:
    explicit Controls(QWidget& form) : form_(form) {}
    template <class T> T* Find(const char* name) const
    {
        T* control = form_.findChild<T*>(name);
        if (!control) qFatal("the form has no %s named %s", T::staticMetaObject.className(), name);
        return control;
    }

private:
    QWidget& form_;

public:
    QTabWidget* Page_Control = Find<QTabWidget>("Page_Control");
    QWidget* TabSheet_Main = Find<QWidget>("TabSheet_Main");
    QWidget* TabSheet_Sound = Find<QWidget>("TabSheet_Sound");
    QLabel* Label35 = Find<QLabel>("Label35");
    TGradient_Label* glLabel_Gamma = Find<TGradient_Label>("glLabel_Gamma");
    TGradient_Label* glLabel_Cam_Sec = Find<TGradient_Label>("glLabel_Cam_Sec");
    QSlider* TrackBar_Gamma = Find<QSlider>("TrackBar_Gamma");
    QSlider* TrackBar_Cam = Find<QSlider>("TrackBar_Cam");
    QSlider* TrackBar_Scene_Speed = Find<QSlider>("TrackBar_Scene_Speed");
    QSlider* TrackBar_Volume_Music = Find<QSlider>("TrackBar_Volume_Music");
    TRadio_Group* RadioGroup_Presets = Find<TRadio_Group>("RadioGroup_Presets");
    QPushButton* OK_BitBtn = Find<QPushButton>("OK_BitBtn");
    QPushButton* Cancel_BitBtn = Find<QPushButton>("Cancel_BitBtn");
    QPushButton* Apply_BitBtn = Find<QPushButton>("Apply_BitBtn");
    QPushButton* Restore_BitBtn = Find<QPushButton>("Restore_BitBtn");
    QCheckBox* CheckBox_FPS = Find<QCheckBox>("CheckBox_FPS");
    QCheckBox* CheckBox_Vsynch = Find<QCheckBox>("CheckBox_Vsynch");
    QCheckBox* CheckBox_Gamma = Find<QCheckBox>("CheckBox_Gamma");
    QCheckBox* CheckBox_NoMusic = Find<QCheckBox>("CheckBox_NoMusic");
    QCheckBox* CheckBox_Time = Find<QCheckBox>("CheckBox_Time");
    TGradient_Group_Box* glGroupBox_Volume_Music = Find<TGradient_Group_Box>("glGroupBox_Volume_Music");
    QLabel* Label_Darker = Find<QLabel>("Label_Darker");
    QLabel* Label_Brighter = Find<QLabel>("Label_Brighter");
    TLink_Label* Label22 = Find<TLink_Label>("Label22");
    TGradient_Progress_Bar* glProgressBar_Volume_Music = Find<TGradient_Progress_Bar>("glProgressBar_Volume_Music");
    QDateEdit* DateTimePicker1 = Find<QDateEdit>("DateTimePicker1");
    TLink_Label* Label13 = Find<TLink_Label>("Label13");
    TLink_Label* Label14 = Find<TLink_Label>("Label14");
    QFrame* SpecialFX_GroupBox = Find<QFrame>("SpecialFX_GroupBox");
    TGradient_Group_Box* glGroupBox_Links = Find<TGradient_Group_Box>("glGroupBox_Links");
    QTimer* Current_Timer = Find<QTimer>("Current_Timer");
    QLabel* Label_Mashine_CPU_speed = Find<QLabel>("Label_Mashine_CPU_speed");
    QLabel* Label_VideoCardMemo = Find<QLabel>("Label_VideoCardMemo");
    QLabel* Label_RAM_Load = Find<QLabel>("Label_RAM_Load");
    QLabel* Label_RAM_Total = Find<QLabel>("Label_RAM_Total");
};

// Receives the addresses the form opens instead of a browser.
class Url_Catcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class Settings_Form_Test : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir_;
    Host_Paths paths_;
    QStringList messages_;
    Url_Catcher opened_;

    std::unique_ptr<TAdjustment_Form> Open_Form()
    {
        auto form = std::make_unique<TAdjustment_Form>(paths_);
        form->show();
        if (!QTest::qWaitForWindowActive(form.get())) qWarning("the form did not become active");
        // The controls are ready once the opening has grown the form to its full size.
        if (!QTest::qWaitFor([&] { return form->Opening_Done(); }, 5000)) qWarning("the form did not open");
        return form;
    }
    QString Text(const QString& name) const
    {
        QFile file(dir_->filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<missing>");
    }
    void Write(const QString& name, const QString& text) const
    {
        QFile file(dir_->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }
    // The user's focus entering a setting control.
    static void Enter(QWidget* control) { control->setFocus(Qt::TabFocusReason); }

private slots:
    void initTestCase()
    {
        Set_Message_Handler([this](const QString& text) { messages_.append(text); });
        QDesktopServices::setUrlHandler("file", &opened_, "open");
        QDesktopServices::setUrlHandler("https", &opened_, "open");
        Build_Web_Links(paths_);
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
        Set_Message_Handler({});
    }
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        paths_.Program_Dir = dir_->path() + "/";
        paths_.Help_Dir = paths_.Program_Dir + "Info/";
        messages_.clear();
        opened_.urls.clear();
    }

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
        QCOMPARE(QFile::exists(dir_->filePath("Controls.cfg")), closes);
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
    void a_failed_write_names_the_path_and_the_dialog_still_ends()
    {
        paths_.Program_Dir = dir_->path() + "/missing/";
        auto form = Open_Form();
        const Controls c(*form);
        QSignalSpy ended(form.get(), &TAdjustment_Form::Form_Ended);
        QTest::keyClick(c.OK_BitBtn, Qt::Key_Escape);
        QCOMPARE(messages_, QStringList{"Unable to write to " + paths_.Program_Dir + "Controls.cfg"});
        QCOMPARE(ended.count(), 1);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    }
    void a_failed_restore_brings_the_pages_back()
    {
        QVERIFY(QDir(dir_->path()).mkdir("Controls.cfg"));   // a folder where the file should be
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
    void every_text_fits_its_box()
    {
        // Measured at the form's own font (and each widget's own, where it has one): a text the
        // box cuts off shows a word that is not there ("Camera spee").
        auto form = Open_Form();
        const Controls c(*form);
        form->Page_ControlChange();   // the "About" page's figures filled in
        QStringList cut;
        auto check = [&](QWidget* w, const QString& text, const QFont& font, int room) {
            const QString shown = QString(text).remove('&');
            int widest = 0;
            for (const QString& line : shown.split('\n')) widest = std::max(widest, QFontMetrics(font).horizontalAdvance(line));
            if (widest > room) cut << QString("%1 \"%2\": %3 > %4").arg(w->metaObject()->className(), shown).arg(widest).arg(room);
        };
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (auto* box = qobject_cast<TGradient_Group_Box*>(w)) {
                check(w, box->Caption(), box->Caption_Font(), box->width() - 6);
                if (box->Caption_Font().pixelSize() < 9) cut << "too small to read: " + box->Caption();
            } else if (auto* label = qobject_cast<TGradient_Label*>(w)) {
                check(w, label->Text(), label->font(), label->width() - 2);
            } else if (auto* check_box = qobject_cast<QCheckBox*>(w)) {
                check(w, check_box->text(), check_box->font(), check_box->width() - 20);
            } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
                check(w, radio->text(), radio->font(), radio->width() - 20);
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                check(w, button->text(), button->font(), button->width() - button->iconSize().width() - 12);
            } else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
                check(w, label->text(), label->font(), label->contentsRect().width());
            } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
                QFont bold = group->font();
                check(w, group->title(), bold, group->width() - 12);
            }
        }
        for (int i = 0; i < c.Page_Control->count(); ++i)
            check(c.Page_Control, c.Page_Control->tabText(i), c.Page_Control->tabBar()->font(),
                  c.Page_Control->tabBar()->tabRect(i).width() - 4);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
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
