// The settings form's controls as laid out: every caption fits the box it is drawn in.
#include <QTabBar>

#include "settings_form_fixture.h"

class Settings_Form_Layout_Test : public Settings_Form_Fixture {
    Q_OBJECT
private slots:
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
};

QTEST_MAIN(Settings_Form_Layout_Test)
#include "settings_form_layout_test.moc"
