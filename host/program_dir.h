// Where the host finds the engine, its pack and the settings files (the program directory, named
// by the Path file or else the executable's own folder), and the web pages the dialog links to.
#pragma once

#include <QString>

struct Host_Paths {
    QString Program_Dir;   // holds zero, data.res and the settings files; ends with "/"
    QString Help_Dir;      // Program_Dir + "Info/"
    QString Home_Page_Address;
    QString Support_Page_Address;
};

// The file that tells where the program directory is: $XDG_CONFIG_HOME/Velmora/Quelm 3D.ini,
// or ~/.config/Velmora/Quelm 3D.ini.
QString Path_File_Name();
// The folder that holds the running executable, with a trailing "/".
QString Executable_Dir();

// Sets the program directory and the help folder.
void Init_Paths(Host_Paths& paths);
// Sets the two web addresses.
void Build_Web_Links(Host_Paths& paths);
