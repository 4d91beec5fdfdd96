// Message boxes through SDL.
#include "app/message_box.h"

#include "base/messages.h"

#include <SDL.h>

// Modal, with an OK button; false when no display can show it.
static bool showSdlMessageBox(const char* text, const char* caption)
{
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
}

void installMessageBox() { setMessageBox(showSdlMessageBox); }
