// Command line, program directory, web links and password change of the screensaver host.
#include "modul_another.h"

#include "profile.h"

#include <cstdlib>
#include <filesystem>

QString Mode;
unsigned long Preview_Window = 0;
QString Program_Dir;
QString Help_Dir;
QString Home_Page_Address;
QString Support_Page_Address;
bool Quit_Flag = false;

namespace {

const QString kProductTitle = QStringLiteral("Quelm 3D Screensaver");
const QString kSiteAddress = QStringLiteral("https://quelm3d.org/");
// The install writes the program directory as Path in this section of the Path file.
constexpr const char* kPathSection = "General";

// A decimal window handle as the command line gives it: leading digits, 0 when there are none.
unsigned long decimalHandle(const QString& text)
{
    unsigned long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') break;
        unsigned long next = value * 10 + static_cast<unsigned long>(c.unicode() - u'0');
        if (next < value) return 0;   // more digits than a handle can hold
        value = next;
    }
    return value;
}

QString withTrailingSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

// The value "Path" of the per-user file, or empty when the file or the value is missing.
QString readPathValue(const QString& fileName)
{
    Profile_File file;
    if (Load_Profile(fileName.toStdString(), file) != Profile_Load::Loaded) return {};
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
    return withTrailingSlash(QString::fromStdString(exe.parent_path().string()));
}

void Init_Paths()
{
    const QString value = readPathValue(Path_File_Name());
    Program_Dir = value.isEmpty() ? Executable_Dir() : withTrailingSlash(value);
    Help_Dir = Program_Dir + QStringLiteral("Info/");
}

void Build_Web_Links()
{
    const QString page = QString(kProductTitle).replace(u' ', u'-').toLower();
    Home_Page_Address = kSiteAddress + page + QStringLiteral(".shtml");
    Support_Page_Address = kSiteAddress + QStringLiteral("support.shtml");
}

void Read_Command_Line(const QStringList& args)
{
    const QString second = args.size() > 1 ? args.at(1) : QString();
    Preview_Window = second.isEmpty() ? 0 : decimalHandle(second);

    QString first = args.isEmpty() ? QString() : args.at(0);
    if (first.size() > 1) first = first.mid(1, 1);   // "/c", "-c" and "/c:1234" all give "c"

    if (first == u"a" || first == u"A") Mode = QStringLiteral("a");
    else if (first == u"c" || first == u"C" || first == u"r" || first == u"R") Mode = QStringLiteral("c");
    else if (first == u"p" || first == u"P") Mode = QStringLiteral("p");
    else Mode.clear();
}

void Change_Password()
{
    // Linux screen lockers keep their own passwords; there is no provider to hand the change to.
}
