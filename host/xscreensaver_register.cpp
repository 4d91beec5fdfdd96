// The user's XScreenSaver list changed on request: the file is replaced whole (a new file renamed
// over it, only when no other program saved it since it was read), and two record files in the
// user's state folder remember what it held before and what the list was, without our entry,
// when we wrote it.
#include "xscreensaver_register.h"

#include "idle_autostart.h"
#include "files.h"
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

// A file of the list's; a message where it is there and unreadable.
Result<Small_File> Read_Whole(const std::string& path)
{
    Small_File file = Read_Small_File(path);
    if (file.State == File_State::Unreadable)
        return Failed("cannot read " + path + " (not a readable file of at most 1 MiB)");
    return {Succeeded(), std::move(file)};
}

Outcome Write_Record(const std::string& path, const std::string& text)
{
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    if (ec) return Failed("cannot keep the list's record " + path + ": " + ec.message());
    const Outcome written = Replace_File(path, text);
    if (written.Ok) return written;
    return Failed("cannot keep the list's record " + path + ": " + written.Message);
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
Result<Replace_Result> Write_List(const List_Files& files, const std::optional<std::string>& text,
                                  const File_Identity& read)
{
    if (files.Before_Write) files.Before_Write();
    Result<Replace_Result> written = text ? Replace_File_If_Unchanged(files.User_File, *text, read)
                                          : Remove_File_If_Unchanged(files.User_File, read);
    if (!written.Ok && text) written.Message = "cannot write " + files.User_File + ": " + written.Message;
    return written;
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

Result<std::optional<List_Request>> Read_List_Request(const QStringList& args)
{
    if (args.isEmpty()) return Succeeded();
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
                if (!ok || minutes < 1 || minutes > 1440)
                    return Failed_With(QStringLiteral("--idle-minutes takes a number from 1 to 1440"));
                request.Idle_Minutes = minutes;
                ++i;
            } else if (!request.Hack.isEmpty()) {
                return Failed_With(QStringLiteral("--register takes one hack path at most"));
            } else if (!QDir::isAbsolutePath(arg)) {
                return Failed_With(QStringLiteral("--register: \"%1\" is not an absolute path").arg(arg));
            } else {
                request.Hack = arg;
            }
        }
        return {Succeeded(), request};
    }
    if (first == u"--unregister") {
        if (args.size() > 1) return Failed_With(QStringLiteral("--unregister takes no arguments"));
        return {Succeeded(), List_Request{List_Action::Unregister, {}}};
    }
    return Succeeded();
}

List_Change Register_Hack(const List_Files& files, const std::string& hack_path)
{
    const Records records = Records_Of(files);
    int redone = 0;
    for (; redone < kEditTries; ++redone) {
        const Result<Small_File> read = Read_Whole(files.User_File);
        if (!read.Ok) return {read, redone};
        const bool exists = read.Value.State == File_State::Loaded;
        const std::string& text = read.Value.Text;
        const List_Registration made =
            Register_In_List(text, exists, Read_Small_File(files.App_Defaults).Text, hack_path);
        switch (made.Outcome) {
        case List_Outcome::No_List:
            return {Failed(files.User_File + " has no list of hacks and XScreenSaver's own list (" +
                           files.App_Defaults + ") is missing: is XScreenSaver installed?"),
                    redone};
        case List_Outcome::Unusable_Path:
            return {Failed(hack_path + " holds a line break, which XScreenSaver's list cannot carry"), redone};
        case List_Outcome::Already_There:
            return {Succeeded("Quelm 3D is already in XScreenSaver's list (" + files.User_File +
                              "); its line is kept as it is"),
                    redone};
        case List_Outcome::Added:
        case List_Outcome::Path_Updated:
            break;
        }

        // A second --register keeps the record of the file as it was before the first.
        const bool first = Read_Small_File(records.Registered).State == File_State::Missing;
        if (first) {
            unlink(records.Before.c_str());
            if (exists)
                if (Outcome kept = Write_Record(records.Before, text); !kept.Ok) return {kept, redone};
        }
        if (Outcome kept = Write_Record(records.Registered, Remove_Quelm_Entries(made.Text)); !kept.Ok) {
            if (first) Remove_Records(records);
            return {kept, redone};
        }
        const Result<Replace_Result> written = Write_List(files, made.Text, read.Value.Identity);
        if (!(written.Ok && written.Value == Replace_Result::Replaced) && first) Remove_Records(records);
        if (!written.Ok) return {written, redone};
        if (written.Value == Replace_Result::Changed) continue;
        return {Succeeded(made.Outcome == List_Outcome::Added
                              ? "Quelm 3D added to XScreenSaver's list (" + files.User_File + ")"
                              : "Quelm 3D's line in XScreenSaver's list (" + files.User_File + ") now runs " +
                                    hack_path + ", with its options kept"),
                redone};
    }
    return {Failed(Kept_Changing(files)), redone};
}

List_Change Unregister_Hack(const List_Files& files)
{
    const Records records = Records_Of(files);
    int redone = 0;
    for (; redone < kEditTries; ++redone) {
        const Result<Small_File> read = Read_Whole(files.User_File);
        if (!read.Ok) return {read, redone};
        if (read.Value.State == File_State::Missing) {
            Remove_Records(records);
            return {Succeeded("there is no " + files.User_File + "; nothing to take out"), redone};
        }
        const std::string stripped = Remove_Quelm_Entries(read.Value.Text);
        std::string message;
        std::optional<std::string> result;   // the file's new text; nothing: the file goes
        // The record was made for this very list, and everything but our line is as --register
        // left it: the file as it was, or none where there was none.
        const Small_File registered = Read_Small_File(records.Registered);
        if (registered.State == File_State::Loaded && registered.Text == stripped) {
            const Result<Small_File> before = Read_Whole(records.Before);
            if (!before.Ok) return {before, redone};
            // A line of ours already there before the first --register (written by hand) goes too.
            if (before.Value.State == File_State::Loaded) result = Remove_Quelm_Entries(before.Value.Text);
            message = "Quelm 3D taken out of XScreenSaver's list; " + files.User_File + " is as it was before";
        } else if (stripped != read.Value.Text) {
            result = stripped;
            message = "Quelm 3D taken out of XScreenSaver's list (" + files.User_File + ")";
        } else {
            Remove_Records(records);
            return {Succeeded("Quelm 3D is not in XScreenSaver's list (" + files.User_File + ")"), redone};
        }
        const Result<Replace_Result> written = Write_List(files, result, read.Value.Identity);
        if (!written.Ok) return {written, redone};
        if (written.Value == Replace_Result::Changed) continue;
        Remove_Records(records);
        return {Succeeded(message), redone};
    }
    return {Failed(Kept_Changing(files)), redone};
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
    if (change.Ok && change.Redone > 0)
        Say("(%s was saved by another program meanwhile and read again, %d time%s)", files.User_File.c_str(),
            change.Redone, change.Redone == 1 ? "" : "s");
    // The idle start: wanted on a Wayland session (XScreenSaver cannot run there) or when asked;
    // always taken out with the list's entry.
    const bool idle_wanted = request.Action == List_Action::Register &&
                             (request.Idle_Start || !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty());
    Outcome idle = Succeeded();
    if (idle_wanted) {
        const QString quelmscr = Is_System_Program_Dir(Executable_Dir()) ? QStringLiteral("/usr/bin/quelmscr")
                                                                         : Executable_Dir() + QStringLiteral("quelmscr");
        idle = Enable_Idle_Start(Autostart_Dir(), QFile::encodeName(quelmscr).toStdString(), request.Idle_Minutes);
    } else if (request.Action == List_Action::Unregister) {
        idle = Disable_Idle_Start(Autostart_Dir());
    }
    if (!idle.Message.empty()) Say("%s", idle.Message.c_str());
    // On a Wayland session the idle start is what counts; XScreenSaver may not even be there.
    if (idle_wanted) return idle.Ok ? 0 : 1;
    return change.Ok && idle.Ok ? 0 : 1;
}
