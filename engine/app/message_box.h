// The engine's message box: SDL's simple box without a parent window, installed as the box of
// base/messages.h at the start of main.
#pragma once

void installMessageBox();
