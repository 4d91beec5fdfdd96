// The user's XScreenSaver list changed on request: the file is replaced whole (a new file renamed
// over it), and two record files in the program directory remember what it held before and what
// the list was, without our entry, when we wrote it.
#include "xscreensaver_register.h"

#include "profile.h"
#include "program_dir.h"
#include "say.h"
#include "xscreensaver_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

#ifndef QUELM_SYSTEM_HACK
#error "the build names the installed hack (QUELM_SYSTEM_HACK)"
#endif

namespace {

constexpr const char* kAppDefaults = "/etc/X11/app-defaults/XScreenSaver";
// The user's file as it was before the first --register; absent when there was none.
constexpr const char* kBeforeRecord = ".xscreensaver-before";
// The user's file as --register wrote it, less our entry.
constexpr const char* kRegisteredRecord = ".xscreensaver-registered";

// A file of the list's: its text, whether it is there, and why it could not be read when it is
// there and unreadable.
Profile_Load Read_Whole(const std::string& path, std::string& text, std::string* error = nullptr)
{
    const Profile_Load state = Read_Small_File(path, text);
    if (state == Profile_Load::Unreadable && error)
        *error = "cannot read " + path + " (not a readable file of at most 1 MiB)";
    return state;
}

bool Write_Whole(const std::string& path, const std::string& text, std::string& error)
{
    std::string reason;
    if (Replace_File(path, text, reason)) return true;
    error = "cannot write " + path + ": " + reason;
    return false;
}

void Remove_Records(const List_Files& files)
{
    unlink((files.Record_Dir + kBeforeRecord).c_str());
    unlink((files.Record_Dir + kRegisteredRecord).c_str());
}

}  // namespace

std::optional<List_Request> Read_List_Request(const QStringList& args, QString* error)
{
    if (args.isEmpty()) return std::nullopt;
    const QString& first = args.at(0);
    if (first == u"--register") {
        if (args.size() > 2) {
            *error = QStringLiteral("--register takes one hack path at most");
            return std::nullopt;
        }
        const QString hack = args.size() == 2 ? args.at(1) : QString();
        if (args.size() == 2 && !QDir::isAbsolutePath(hack)) {
            *error = QStringLiteral("--register: \"%1\" is not an absolute path").arg(hack);
            return std::nullopt;
        }
        return List_Request{List_Action::Register, hack};
    }
    if (first == u"--unregister") {
        if (args.size() > 1) {
            *error = QStringLiteral("--unregister takes no arguments");
            return std::nullopt;
        }
        return List_Request{List_Action::Unregister, {}};
    }
    return std::nullopt;
}

List_Change Register_Hack(const List_Files& files, const std::string& hack_path)
{
    std::string text, app_defaults, error;
    const Profile_Load state = Read_Whole(files.User_File, text, &error);
    if (state == Profile_Load::Unreadable) return {false, error};
    const bool exists = state == Profile_Load::Loaded;
    Read_Whole(files.App_Defaults, app_defaults);
    const std::string updated = Register_In_List(text, exists, app_defaults, hack_path).Text;
    if (updated.empty())
        return {false, files.User_File + " has no list of hacks and XScreenSaver's own list (" + files.App_Defaults +
                           ") is missing: is XScreenSaver installed?"};
    if (exists && updated == text) return {true, "Quelm 3D is already in XScreenSaver's list (" + files.User_File + ")"};

    // A second --register keeps the record of the file as it was before the first.
    const std::string before = files.Record_Dir + kBeforeRecord, registered = files.Record_Dir + kRegisteredRecord;
    std::string ignored;
    const bool first = Read_Whole(registered, ignored) == Profile_Load::Missing;
    if (first) {
        unlink(before.c_str());
        if (exists && !Write_Whole(before, text, error)) return {false, error};
    }
    if (!Write_Whole(registered, Remove_Quelm_Entries(updated), error) || !Write_Whole(files.User_File, updated, error)) {
        if (first) Remove_Records(files);
        return {false, error};
    }
    return {true, "Quelm 3D added to XScreenSaver's list (" + files.User_File + ")"};
}

List_Change Unregister_Hack(const List_Files& files)
{
    std::string text, error;
    const Profile_Load state = Read_Whole(files.User_File, text, &error);
    if (state == Profile_Load::Unreadable) return {false, error};
    if (state == Profile_Load::Missing) {
        Remove_Records(files);
        return {true, "there is no " + files.User_File + "; nothing to take out"};
    }
    const std::string stripped = Remove_Quelm_Entries(text);
    std::string registered, before, message;
    if (Read_Whole(files.Record_Dir + kRegisteredRecord, registered) == Profile_Load::Loaded && registered == stripped) {
        // Nothing else changed since --register: the file as it was, or none where there was none.
        const Profile_Load before_state = Read_Whole(files.Record_Dir + kBeforeRecord, before, &error);
        if (before_state == Profile_Load::Unreadable) return {false, error};
        if (before_state == Profile_Load::Loaded) {
            if (!Write_Whole(files.User_File, before, error)) return {false, error};
        } else if (unlink(files.User_File.c_str()) != 0 && errno != ENOENT) {
            return {false, "cannot remove " + files.User_File + ": " + std::strerror(errno)};
        }
        message = "Quelm 3D taken out of XScreenSaver's list; " + files.User_File + " is as it was before";
    } else if (stripped != text) {
        if (!Write_Whole(files.User_File, stripped, error)) return {false, error};
        message = "Quelm 3D taken out of XScreenSaver's list (" + files.User_File + ")";
    } else {
        message = "Quelm 3D is not in XScreenSaver's list (" + files.User_File + ")";
    }
    Remove_Records(files);
    return {true, message};
}

int Change_Hack_List(const List_Request& request, const QString& program_dir)
{
    const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    if (home.isEmpty()) {
        Say("HOME is not set: there is no XScreenSaver list to change");
        return 1;
    }
    const List_Files files{QFile::encodeName(home + QStringLiteral("/.xscreensaver")).toStdString(), kAppDefaults,
                           QFile::encodeName(program_dir).toStdString()};
    QString hack = request.Hack;
    // The installed hack where the daemon looks for hacks; a build elsewhere names itself.
    if (hack.isEmpty())
        hack = Is_System_Program_Dir(Executable_Dir()) ? QStringLiteral(QUELM_SYSTEM_HACK)
                                                        : Executable_Dir() + QStringLiteral("quelmscr");
    // The daemon would fail to start a hack that is not there, each time it picked Quelm 3D.
    const QFileInfo hack_file(hack);
    if (request.Action == List_Action::Register && (!hack_file.isFile() || !hack_file.isExecutable())) {
        Say("%s is not an executable program; Quelm 3D was not added to XScreenSaver's list", qPrintable(hack));
        return 1;
    }
    const List_Change change = request.Action == List_Action::Register
                                   ? Register_Hack(files, QFile::encodeName(hack).toStdString())
                                   : Unregister_Hack(files);
    Say("%s", change.Message.c_str());
    return change.Done ? 0 : 1;
}
