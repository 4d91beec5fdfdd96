// The idle watcher started with the user's graphical session: an XDG autostart entry
// (~/.config/autostart/quelm3d-idle.desktop), which GNOME, KDE Plasma, MATE and Xfce run at login
// without a systemd user instance; sway runs it through its config (see the README).
#pragma once

#include "outcome.h"

#include <string>

// $XDG_CONFIG_HOME/autostart/ or ~/.config/autostart/, with "/"; empty when HOME is not set.
std::string Autostart_Dir();

// The entry's text: the watcher with the user's minutes.
std::string Idle_Autostart_Entry(const std::string& quelmscr, int minutes);

// Writes the entry (replacing one of ours with other minutes); folders made for it are noted so
// that Disable_Idle_Start can take them away again. The message says what was done, or why not.
Outcome Enable_Idle_Start(const std::string& autostart_dir, const std::string& quelmscr, int minutes);
// Removes the entry, and the autostart folder when it is left empty and was made for it; the
// message is empty where there was no entry.
Outcome Disable_Idle_Start(const std::string& autostart_dir);
