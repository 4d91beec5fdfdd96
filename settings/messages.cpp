// Error messages of the settings dialog.
#include "messages.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "say.h"

static std::function<void(const QString&)> g_handler;

void Show_Error_Message(const QString& text)
{
    Say(text);
    if (g_handler) {
        g_handler(text);
        return;
    }
    QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), text);
}

void Set_Message_Handler(std::function<void(const QString&)> handler) { g_handler = std::move(handler); }
