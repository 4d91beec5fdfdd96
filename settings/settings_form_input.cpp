// The settings form's keys and mouse: F1 and Esc wherever they are pressed, the user entering a
// setting, the links' colours and the addresses they open, and the form dragged by any mouse
// button on its background or on the skin.
#include "settings_form.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRadioButton>
#include <QUrl>
#include <QWindow>

#include "form_skin.h"

static const QColor kLinkBlue(0, 0, 255), kLinkHover(255, 0, 255), kLinkVisited(128, 0, 0);

void TAdjustment_Form::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) Help_BitBtnClick();
    else if (event->key() == Qt::Key_Escape) Cancel_BitBtnClick();
}

void TAdjustment_Form::keyPressEvent(QKeyEvent* event)
{
    // Esc works anywhere, as the form's cancel button; F1 only on the form itself and the
    // controls that pass it here through the event filter.
    if (event->key() == Qt::Key_Escape || (event->key() == Qt::Key_F1 && (!focusWidget() || focusWidget() == this))) {
        FormKeyDown(event);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TAdjustment_Form::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 && key->key() != Qt::Key_Escape) break;
        // The presets' items pass Esc to the form but have no help key.
        if (qobject_cast<QRadioButton*>(watched)) {
            if (key->key() == Qt::Key_F1) return true;
            break;
        }
        FormKeyDown(key);
        return true;
    }
    case QEvent::FocusIn: {
        // Only the user moving the focus counts, not the window coming back to the front.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && watched != OK_BitBtn &&
            watched != Cancel_BitBtn && watched != Apply_BitBtn && watched != Restore_BitBtn && watched != Help_BitBtn)
            CheckBox_ExitMouseEnter();
        break;
    }
    case QEvent::MouseMove:
        if (watched == SpecialFX_GroupBox || watched == glGroupBox_Links) SpecialFX_GroupBoxMouseMove();
        break;
    case QEvent::MouseButtonPress:
        if (watched == Main_Logo_Image || watched->objectName() == "Home_Page_Picture") {
            Main_Logo_ImageMouseDown();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TAdjustment_Form::FormMouseDown(const QPointF& global_position)
{
    // Any mouse button moves the form as if its (absent) caption had been grabbed. Without a
    // window manager to do it, the form follows the mouse itself until the button is released.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    drag_offset_ = global_position.toPoint() - frameGeometry().topLeft();
    grabMouse();
}

void TAdjustment_Form::mousePressEvent(QMouseEvent* event) { FormMouseDown(event->globalPosition()); }

void TAdjustment_Form::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) move(event->globalPosition().toPoint() - drag_offset_);
    else FormMouseMove();
}

void TAdjustment_Form::FormMouseMove() { Skin->Mouse_Left_Exit(); }

void TAdjustment_Form::mouseReleaseEvent(QMouseEvent*)
{
    if (!dragging_) return;
    dragging_ = false;
    releaseMouse();
}

void TAdjustment_Form::Label14Click()
{
    Label14->Set_Colour(kLinkVisited);
    QDesktopServices::openUrl(QUrl(paths_.Home_Page_Address));
}

void TAdjustment_Form::Label13Click()
{
    Label13->Set_Colour(kLinkVisited);
    QDesktopServices::openUrl(QUrl(paths_.Support_Page_Address));
}

void TAdjustment_Form::Label13MouseMove()
{
    Label13->Set_Colour(kLinkHover);
    Label14->Set_Colour(kLinkBlue);
}

void TAdjustment_Form::Label14MouseMove()
{
    Label14->Set_Colour(kLinkHover);
    Label13->Set_Colour(kLinkBlue);
}

void TAdjustment_Form::SpecialFX_GroupBoxMouseMove()
{
    Label13->Set_Colour(kLinkBlue);
    Label14->Set_Colour(kLinkBlue);
}

void TAdjustment_Form::Main_Logo_ImageMouseDown() { QDesktopServices::openUrl(QUrl(paths_.Home_Page_Address)); }
