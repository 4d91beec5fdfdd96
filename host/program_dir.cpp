// The program directory from the Path file (an INI file in the user's configuration folder that
// the install writes), and the web addresses built on the product's title.
#include "program_dir.h"

#include "profile.h"

#include <filesystem>

namespace {

const QString kProductTitle = QStringLiteral("Quelm 3D Screensaver");
const QString kSiteAddress = QStringLiteral("https://quelm3d.org/");
// The install writes the program directory as Path in this section of the Path file.
constexpr const char* kPathSection = "General";

QString With_Trailing_Slash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

// The value "Path" of the per-user file, or empty when the file or the value is missing.
QString Read_Path_Value(const QString& file_name)
{
    Profile_File file;
    if (Load_Profile(file_name.toStdString(), file) != Profile_Load::Loaded) return {};
    const std::optional<std::string> value = file.Read_String(kPathSection, "Path");
    return value ? QString::fromStdString(*value) : QString();
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

void Init_Paths(Host_Paths& paths)
{
    const QString value = Read_Path_Value(Path_File_Name());
    paths.Program_Dir = value.isEmpty() ? Executable_Dir() : With_Trailing_Slash(value);
    paths.Help_Dir = paths.Program_Dir + QStringLiteral("Info/");
}

void Build_Web_Links(Host_Paths& paths)
{
    const QString page = QString(kProductTitle).replace(u' ', u'-').toLower();
    paths.Home_Page_Address = kSiteAddress + page + QStringLiteral(".shtml");
    paths.Support_Page_Address = kSiteAddress + QStringLiteral("support.shtml");
}
