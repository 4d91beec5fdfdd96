// The host's process-wide state and the steps its entry point takes before it picks a mode:
// the command line, the program directory, the web links, and the password change.
#pragma once

#include <QString>
#include <QStringList>

// "a", "p", "c" or empty (run the scene).
extern QString Mode;
// The X window id of the preview's parent; 0 when the second argument is empty or not a number.
extern unsigned long Preview_Window;
// The folder that holds zero, data.res and the settings files; always ends with "/".
extern QString Program_Dir;
// Program_Dir + "Info/".
extern QString Help_Dir;
extern QString Home_Page_Address;
extern QString Support_Page_Address;
// Set to end the message loops of run mode and preview mode.
extern bool Quit_Flag;

// The file that tells where the program directory is: $XDG_CONFIG_HOME/Velmora/Quelm 3D.ini,
// or ~/.config/Velmora/Quelm 3D.ini.
QString Path_File_Name();
// The folder that holds the running executable, with a trailing "/".
QString Executable_Dir();

void Init_Paths();
void Build_Web_Links();
// args: the command-line arguments without the program name.
void Read_Command_Line(const QStringList& args);
// No screensaver password provider exists here: returns at once, as without the provider library.
void Change_Password();
