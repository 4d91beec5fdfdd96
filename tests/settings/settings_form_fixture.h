// What the settings form's tests share: a fresh program folder for every test, the form opened
// and grown to its full size, its controls found by the names they carry, and the messages it
// shows and addresses it opens caught instead of shown.
#pragma once

#include <QDesktopServices>
#include <QtTest>

#include <memory>

#include "messages.h"
#include "settings_files.h"
#include "settings_form.h"
#include "support/temp_folder.h"

// What closing the form writes on a first start.
inline const QString kDefaultBehaviour =
    "[FullScreen behaviour Control]\nfpsch_on=0\nclock_on=1\nmouse_on=0\nvsync_on=0\nmusic_on=1\nsound_on=1\n"
    "music_vo=50\nsound_vo=50\nspeed_vo=1\ngamma_vo=133\ncamjump_vo=25\n";
inline const QString kDefaultState =
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

// The base of every test class of the form: Qt Test runs the set-up slots it inherits from here
// around the derived class's own tests.
class Settings_Form_Fixture : public QObject {
    Q_OBJECT
protected:
    std::unique_ptr<TempFolder> dir_;
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
    QString Folder() const { return QString::fromStdString(dir_->str()); }
    QString Path(const QString& name) const { return Folder() + "/" + name; }
    QString Text(const QString& name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<missing>");
    }
    void Write(const QString& name, const QString& text) const
    {
        QFile file(Path(name));
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
        dir_ = std::make_unique<TempFolder>("settings-form");
        paths_.Program_Dir = Folder() + "/";
        paths_.Help_Dir = paths_.Program_Dir + "Info/";
        messages_.clear();
        opened_.urls.clear();
    }
    // Each test's folder goes with its test.
    void cleanup() { dir_.reset(); }
};
