// The user's XScreenSaver list changed on request: the file is replaced whole (a new file renamed
// over it, only when no other program saved it since it was read), and two record files in the
// user's state folder remember what it held before and what the list was, without our entry,
// when we wrote it.
#include "xscreensaver_register.h"

#include "idle_autostart.h"
#include "profile.h"
#include "program_dir.h"
#include "say.h"
#include "xscreensaver_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#ifndef QUELM_SYSTEM_HACK
#error "the build names the installed hack (QUELM_SYSTEM_HACK)"
#endif

namespace {

constexpr const char* kAppDefaults = "/etc/X11/app-defaults/XScreenSaver";
// A list that another program saves again between each reading and writing is read this often
// before the change is given up, with nothing written.
constexpr int kEditTries = 5;
// Names in the record folder longer than this are made from the path's hash instead.
constexpr size_t kLongestRecordName = 200;

// The records of one list: what the file held before the first --register (absent when there was
// no file), and the file as --register wrote it, less our entry. Named after the list's path, so
// a record is only ever read for the list it was made for.
struct Records {
    std::string Before, Registered;
};

std::string Record_Name(const std::string& list_path)
{
    std::string name;
    for (char c : list_path) {
        if (c == '/') name += "%2F";
        else if (c == '%') name += "%25";
        else name += c;
    }
    if (name.size() <= kLongestRecordName) return name;
    uint64_t hash = 14695981039346656037ull;   // FNV-1a
    for (unsigned char c : list_path) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string("long-") + hex;
}

Records Records_Of(const List_Files& files)
{
    const std::string base =
        files.Record_Dir + Record_Name(std::filesystem::path(files.User_File).lexically_normal().string());
    return {base + ".before", base + ".registered"};
}

// A file of the list's: its text, whether it is there, and why it could not be read when it is
// there and unreadable.
Profile_Load Read_Whole(const std::string& path, std::string& text, std::string* error = nullptr,
                        File_Identity* identity = nullptr)
{
    const Profile_Load state = Read_Small_File(path, text, identity);
    if (state == Profile_Load::Unreadable && error)
        *error = "cannot read " + path + " (not a readable file of at most 1 MiB)";
    return state;
}

bool Write_Record(const std::string& path, const std::string& text, std::string& error)
{
    std::string reason;
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    if (!ec && Replace_File(path, text, reason)) return true;
    error = "cannot keep the list's record " + path + ": " + (ec ? ec.message() : reason);
    return false;
}

// The records gone, and with them the folders made for them where nothing else is left in them:
// the record folder, and the default state folder (~/.local/state) with ~/.local it was made in.
void Remove_Records(const Records& records)
{
    unlink(records.Before.c_str());
    unlink(records.Registered.c_str());
    const std::filesystem::path folder = std::filesystem::path(records.Before).parent_path();
    const std::filesystem::path state = folder.parent_path(), local = state.parent_path();
    if (rmdir(folder.c_str()) == 0 && state.filename() == "state" && local.filename() == ".local" &&
        rmdir(state.c_str()) == 0)
        rmdir(local.c_str());
}

// The user's file written or removed, unless another program saved it since it was read.
Replace_Result Write_List(const List_Files& files, const std::optional<std::string>& text,
                          const File_Identity& read, std::string& error)
{
    if (files.Before_Write) files.Before_Write();
    std::string reason;
    const Replace_Result result = text ? Replace_File_If_Unchanged(files.User_File, *text, read, reason)
                                       : Remove_File_If_Unchanged(files.User_File, read, reason);
    if (result == Replace_Result::Failed)
        error = (text ? "cannot write " + files.User_File + ": " : std::string()) + reason;
    return result;
}

std::string Kept_Changing(const List_Files& files)
{
    return files.User_File + " changed " + std::to_string(kEditTries) +
           " times while it was being edited (another program keeps saving it); nothing was written";
}

}  // namespace

std::string List_Record_Dir()
{
    const QByteArray state = qgetenv("XDG_STATE_HOME"), home = qgetenv("HOME");
    // A relative XDG_STATE_HOME is not valid; it is ignored, as by every other program that reads it.
    if (state.startsWith('/')) return state.toStdString() + "/quelm3d/";
    if (home.isEmpty()) return {};
    return home.toStdString() + "/.local/state/quelm3d/";
}

std::optional<List_Request> Read_List_Request(const QStringList& args, QString* error)
{
    if (args.isEmpty()) return std::nullopt;
    const QString& first = args.at(0);
    if (first == u"--register") {
        List_Request request;
        for (int i = 1; i < args.size(); ++i) {
            const QString& arg = args.at(i);
            if (arg == u"--idle-start") {
                request.Idle_Start = true;
            } else if (arg == u"--idle-minutes") {
                bool ok = false;
                const int minutes = i + 1 < args.size() ? args.at(i + 1).toInt(&ok) : 0;
                if (!ok || minutes < 1 || minutes > 1440) {
                    *error = QStringLiteral("--idle-minutes takes a number from 1 to 1440");
                    return std::nullopt;
                }
                request.Idle_Minutes = minutes;
                ++i;
            } else if (!request.Hack.isEmpty()) {
                *error = QStringLiteral("--register takes one hack path at most");
                return std::nullopt;
            } else if (!QDir::isAbsolutePath(arg)) {
                *error = QStringLiteral("--register: \"%1\" is not an absolute path").arg(arg);
                return std::nullopt;
            } else {
                request.Hack = arg;
            }
        }
        return request;
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
    const Records records = Records_Of(files);
    List_Change change;
    for (; change.Redone < kEditTries; ++change.Redone) {
        std::string text, app_defaults, error;
        File_Identity read;
        const Profile_Load state = Read_Whole(files.User_File, text, &error, &read);
        if (state == Profile_Load::Unreadable) return {false, error, change.Redone};
        const bool exists = state == Profile_Load::Loaded;
        Read_Whole(files.App_Defaults, app_defaults);
        const List_Registration made = Register_In_List(text, exists, app_defaults, hack_path);
        switch (made.Outcome) {
        case List_Outcome::No_List:
            return {false,
                    files.User_File + " has no list of hacks and XScreenSaver's own list (" + files.App_Defaults +
                        ") is missing: is XScreenSaver installed?",
                    change.Redone};
        case List_Outcome::Unusable_Path:
            return {false, hack_path + " holds a line break, which XScreenSaver's list cannot carry", change.Redone};
        case List_Outcome::Already_There:
            return {true,
                    "Quelm 3D is already in XScreenSaver's list (" + files.User_File + "); its line is kept as it is",
                    change.Redone};
        case List_Outcome::Added:
        case List_Outcome::Path_Updated:
            break;
        }

        // A second --register keeps the record of the file as it was before the first.
        std::string ignored;
        const bool first = Read_Whole(records.Registered, ignored) == Profile_Load::Missing;
        if (first) {
            unlink(records.Before.c_str());
            if (exists && !Write_Record(records.Before, text, error)) return {false, error, change.Redone};
        }
        if (!Write_Record(records.Registered, Remove_Quelm_Entries(made.Text), error)) {
            if (first) Remove_Records(records);
            return {false, error, change.Redone};
        }
        const Replace_Result written = Write_List(files, made.Text, read, error);
        if (written != Replace_Result::Replaced && first) Remove_Records(records);
        if (written == Replace_Result::Failed) return {false, error, change.Redone};
        if (written == Replace_Result::Changed) continue;
        return {true,
                made.Outcome == List_Outcome::Added
                    ? "Quelm 3D added to XScreenSaver's list (" + files.User_File + ")"
                    : "Quelm 3D's line in XScreenSaver's list (" + files.User_File + ") now runs " + hack_path +
                          ", with its options kept",
                change.Redone};
    }
    return {false, Kept_Changing(files), change.Redone};
}

List_Change Unregister_Hack(const List_Files& files)
{
    const Records records = Records_Of(files);
    List_Change change;
    for (; change.Redone < kEditTries; ++change.Redone) {
        std::string text, error;
        File_Identity read;
        const Profile_Load state = Read_Whole(files.User_File, text, &error, &read);
        if (state == Profile_Load::Unreadable) return {false, error, change.Redone};
        if (state == Profile_Load::Missing) {
            Remove_Records(records);
            return {true, "there is no " + files.User_File + "; nothing to take out", change.Redone};
        }
        const std::string stripped = Remove_Quelm_Entries(text);
        std::string registered, before, message;
        std::optional<std::string> result;   // the file's new text; nothing: the file goes
        // The record was made for this very list, and everything but our line is as --register
        // left it: the file as it was, or none where there was none.
        if (Read_Whole(records.Registered, registered) == Profile_Load::Loaded && registered == stripped) {
            const Profile_Load before_state = Read_Whole(records.Before, before, &error);
            if (before_state == Profile_Load::Unreadable) return {false, error, change.Redone};
            // A line of ours already there before the first --register (written by hand) goes too.
            if (before_state == Profile_Load::Loaded) result = Remove_Quelm_Entries(before);
            message = "Quelm 3D taken out of XScreenSaver's list; " + files.User_File + " is as it was before";
        } else if (stripped != text) {
            result = stripped;
            message = "Quelm 3D taken out of XScreenSaver's list (" + files.User_File + ")";
        } else {
            Remove_Records(records);
            return {true, "Quelm 3D is not in XScreenSaver's list (" + files.User_File + ")", change.Redone};
        }
        const Replace_Result written = Write_List(files, result, read, error);
        if (written == Replace_Result::Failed) return {false, error, change.Redone};
        if (written == Replace_Result::Changed) continue;
        Remove_Records(records);
        return {true, message, change.Redone};
    }
    return {false, Kept_Changing(files), change.Redone};
}

int Change_Hack_List(const List_Request& request)
{
    const QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    if (home.isEmpty()) {
        Say("HOME is not set: there is no XScreenSaver list to change");
        return 1;
    }
    const List_Files files{QFile::encodeName(home + QStringLiteral("/.xscreensaver")).toStdString(), kAppDefaults,
                           List_Record_Dir(), {}};
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
    if (change.Done && change.Redone > 0)
        Say("(%s was saved by another program meanwhile and read again, %d time%s)", files.User_File.c_str(),
            change.Redone, change.Redone == 1 ? "" : "s");
    // The idle start: wanted on a Wayland session (XScreenSaver cannot run there) or when asked;
    // always taken out with the list's entry.
    const bool idle_wanted = request.Action == List_Action::Register &&
                             (request.Idle_Start || !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty());
    Autostart_Change idle{true, {}};
    if (idle_wanted) {
        const QString quelmscr = Is_System_Program_Dir(Executable_Dir()) ? QStringLiteral("/usr/bin/quelmscr")
                                                                         : Executable_Dir() + QStringLiteral("quelmscr");
        idle = Enable_Idle_Start(Autostart_Dir(), QFile::encodeName(quelmscr).toStdString(), request.Idle_Minutes);
    } else if (request.Action == List_Action::Unregister) {
        idle = Disable_Idle_Start(Autostart_Dir());
    }
    if (!idle.Message.empty()) Say("%s", idle.Message.c_str());
    // On a Wayland session the idle start is what counts; XScreenSaver may not even be there.
    if (idle_wanted) return idle.Done ? 0 : 1;
    return change.Done && idle.Done ? 0 : 1;
}
