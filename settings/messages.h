// The settings dialog's one message path: an error in a message box captioned with the
// application's title, each text also written to standard error for logs and tests.
#pragma once

#include <QString>

#include <functional>

void Show_Error_Message(const QString& text);

// Replaces the message box by handler (tests record the texts instead of answering a box);
// an empty handler brings the box back.
void Set_Message_Handler(std::function<void(const QString&)> handler);
