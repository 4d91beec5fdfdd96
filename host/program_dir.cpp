// The program directory from the Path file (an INI file in the user's configuration folder that
// the install writes), the user's own folder beside a system-wide install, and the web addresses
// built on the product's title.
#include "program_dir.h"

#include "files.h"
#include "profile.h"
#include "say.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef QUELM_SYSTEM_PROGRAM_DIR
#error "the build names the system-wide program folder (QUELM_SYSTEM_PROGRAM_DIR)"
#endif

namespace {

const QString kProductTitle = QStringLiteral("Quelm 3D Screensaver");
const QString kSiteAddress = QStringLiteral("https://quelm3d.org/");
// The install writes the program directory as Path in this section of the Path file.
constexpr const char* kPathSection = "General";
// What a user's own folder links to in the system-wide one; the settings files are the user's.
const char* const kSharedEntries[] = {"zero", "data.res", "Info"};

QString With_Trailing_Slash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

QString Without_Trailing_Slash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir;
}

// The value "Path" of the per-user file, or empty when the file or the value is missing.
QString Read_Path_Value(const QString& file_name)
{
    Profile_File file;
    if (Load_Profile(QFile::encodeName(file_name).toStdString(), file) != File_State::Loaded) return {};
    const std::optional<std::string> value = file.Read_String(kPathSection, "Path");
    return value ? QFile::decodeName(value->c_str()) : QString();
}

QString Errno_Text(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// One link of the user's folder: made where the name is free, renewed where the link leads
// nowhere (it named a program folder that has moved or gone), left alone otherwise: a file of
// the user's own there is theirs.
Outcome Link_Entry(const QByteArray& link, const QByteArray& target)
{
    struct stat entry {};
    if (lstat(link.constData(), &entry) == 0) {
        struct stat followed {};
        if (!S_ISLNK(entry.st_mode) || stat(link.constData(), &followed) == 0) return Succeeded();
        if (unlink(link.constData()) != 0 && errno != ENOENT)
            return Failed_With(QStringLiteral("cannot replace the broken link %1: %2")
                                           .arg(QFile::decodeName(link), Errno_Text(errno)));
    }
    // Another host may be making the same folder at this moment; its link serves as well.
    if (symlink(target.constData(), link.constData()) != 0 && errno != EEXIST)
        return Failed_With(QStringLiteral("cannot link %1 to %2: %3")
                                       .arg(QFile::decodeName(link), QFile::decodeName(target), Errno_Text(errno)));
    return Succeeded();
}

Outcome Write_Path_File(const QString& path_file, const QString& program_dir)
{
    if (!QDir().mkpath(QFileInfo(path_file).path()))
        return Failed_With(QStringLiteral("cannot make the folder %1").arg(QFileInfo(path_file).path()));
    const std::string text = "[" + std::string(kPathSection) + "]\nPath=" +
                             QFile::encodeName(Without_Trailing_Slash(program_dir)).toStdString() + "\n";
    const Outcome written = Replace_File(QFile::encodeName(path_file).toStdString(), text);
    if (written.Ok) return written;
    return Failed(Message_Text(QStringLiteral("cannot write %1: ").arg(path_file)) + written.Message);
}

QString Canonical_Dir(const QString& dir)
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return canonical.isEmpty() ? With_Trailing_Slash(dir) : With_Trailing_Slash(canonical);
}

QString Data_Home()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty()) base = QString::fromLocal8Bit(qgetenv("HOME")) + QStringLiteral("/.local/share");
    return base;
}

}  // namespace

QString Path_File_Name()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty()) base = QString::fromLocal8Bit(qgetenv("HOME")) + QStringLiteral("/.config");
    return base + QStringLiteral("/Velmora/Quelm 3D.ini");
}

QString Executable_Dir()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return QStringLiteral("./");
    return With_Trailing_Slash(QString::fromStdString(exe.parent_path().string()));
}

QString System_Program_Dir() { return With_Trailing_Slash(QStringLiteral(QUELM_SYSTEM_PROGRAM_DIR)); }

bool Is_System_Program_Dir(const QString& dir) { return Canonical_Dir(dir) == Canonical_Dir(System_Program_Dir()); }

QString User_Program_Dir_Name() { return Data_Home() + QStringLiteral("/quelm3d/"); }

Outcome Make_User_Program_Dir(const QString& user_dir, const QString& own_dir)
{
    if (!QDir().mkpath(user_dir)) return Failed_With(QStringLiteral("cannot make the folder %1").arg(user_dir));
    for (const char* name : kSharedEntries) {
        const QString target = own_dir + QString::fromLatin1(name);
        if (!QFileInfo::exists(target)) continue;   // nothing to link to (a build without help page)
        const Outcome linked =
            Link_Entry(QFile::encodeName(user_dir + QString::fromLatin1(name)), QFile::encodeName(target));
        if (!linked.Ok) return linked;
    }
    return Succeeded();
}

QString Find_Program_Dir(const Program_Dir_Places& places)
{
    const QString value = Read_Path_Value(places.Path_File);
    if (!value.isEmpty()) {
        const QString dir = With_Trailing_Slash(value);
        // The user's own folder beside a system-wide install, removed since: made again.
        if (places.Own_Dir_Shared && dir == places.User_Dir && !QFileInfo::exists(dir + QStringLiteral("zero")))
            if (const Outcome made = Make_User_Program_Dir(dir, places.Own_Dir); !made.Ok) Say(made.Message);
        return dir;
    }
    if (!places.Own_Dir_Shared) return places.Own_Dir;

    // A system-wide install: the settings files, the engine's temporary folder and the
    // screensaver list's record need a folder that is this user's.
    if (const Outcome made = Make_User_Program_Dir(places.User_Dir, places.Own_Dir); !made.Ok) {
        Say("%s; the settings cannot be kept", made.Message.c_str());
        return places.Own_Dir;
    }
    // Without the Path file this run still works; the next one makes the same folder again.
    if (const Outcome written = Write_Path_File(places.Path_File, places.User_Dir); !written.Ok) Say(written.Message);
    return places.User_Dir;
}

QString Unwritable_Reason(const QString& dir)
{
    // The effective user's rights, and a read-only file system, as making a file would meet them.
    if (faccessat(AT_FDCWD, QFile::encodeName(dir).constData(), W_OK | X_OK, AT_EACCESS) == 0) return {};
    return QStringLiteral("the program directory %1 cannot be written (%2): the engine keeps its temporary files "
                          "there")
        .arg(dir, Errno_Text(errno));
}

// The name of the user with that id, or the number where there is none.
static QString User_Name(uid_t uid)
{
    const passwd* entry = getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString Foreign_Home_Reason()
{
    const QByteArray home = qgetenv("HOME");
    struct stat info {};
    if (home.isEmpty() || stat(home.constData(), &info) != 0 || info.st_uid == geteuid()) return {};
    const QString owner = User_Name(info.st_uid), self = User_Name(geteuid());
    return QStringLiteral("HOME is %1, which belongs to %2, not to %3 who runs quelmscr: what it made there "
                          "would be %3's, and %2's own runs could not change it. Run it as %2 (without sudo), or "
                          "with sudo -H")
        .arg(QFile::decodeName(home), owner, self);
}

void Init_Paths(Host_Paths& paths)
{
    const QString own_dir = Executable_Dir();
    const bool shared = Is_System_Program_Dir(own_dir) || access(QFile::encodeName(own_dir).constData(), W_OK) != 0;
    paths.Program_Dir = Find_Program_Dir({Path_File_Name(), own_dir, shared, User_Program_Dir_Name()});
    paths.Help_Dir = paths.Program_Dir + QStringLiteral("Info/");
}

void Build_Web_Links(Host_Paths& paths)
{
    const QString page = QString(kProductTitle).replace(u' ', u'-').toLower();
    paths.Home_Page_Address = kSiteAddress + page + QStringLiteral(".shtml");
    paths.Support_Page_Address = kSiteAddress + QStringLiteral("support.shtml");
}
