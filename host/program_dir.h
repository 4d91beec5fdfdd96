// Where the host finds the engine, its pack and the settings files (the program directory, named
// by the Path file or else the executable's own folder; for a system-wide install, a folder of the
// user's own that links to it), and the web pages the dialog links to.
#pragma once

#include "outcome.h"

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
// Where a system-wide install keeps the program (the package's folder), with a trailing "/".
QString System_Program_Dir();
// Whether dir (with "/") is that folder, by whatever path it is reached.
bool Is_System_Program_Dir(const QString& dir);
// The user's own program directory for a system-wide install: $XDG_DATA_HOME/quelm3d/, or
// ~/.local/share/quelm3d/.
QString User_Program_Dir_Name();

// What decides the program directory.
struct Program_Dir_Places {
    QString Path_File;         // Path_File_Name()
    QString Own_Dir;           // the executable's folder, with "/"
    bool Own_Dir_Shared;       // a system-wide install: the folder is not the user's to write in
    QString User_Dir;          // User_Program_Dir_Name()
};

// The program directory, with "/": the Path file's value; without one, the executable's own
// folder, unless that is shared: then the user's own folder, made (links to the engine, its
// pack and help folder) and named in a new Path file; made again where the Path file names it
// and it is gone. What could not be made is said on the terminal; the run then goes on in the
// executable's folder.
QString Find_Program_Dir(const Program_Dir_Places& places);

// Makes user_dir (with "/") hold links to the engine, the pack and the help folder in own_dir,
// where it has no entry of that name yet or a link that leads nowhere; every other entry, the
// settings files among them, stays; the message says why it could not.
Outcome Make_User_Program_Dir(const QString& user_dir, const QString& own_dir);

// Why the engine cannot work in dir (it keeps its temporary folder there): empty when this
// process may make files in it.
QString Unwritable_Reason(const QString& dir);

// Why the host must not write into the home it was given: empty when HOME is unset, missing, or
// owned by the user the host runs as. A home of another user (sudo with HOME kept) would get
// files that user's own runs cannot change any more.
QString Foreign_Home_Reason();

// Sets the program directory and the help folder.
void Init_Paths(Host_Paths& paths);
// Sets the two web addresses.
void Build_Web_Links(Host_Paths& paths);
