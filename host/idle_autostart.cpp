// The autostart entry of the idle watcher, written whole through a new file renamed over it.
#include "idle_autostart.h"

#include "files.h"

#include <QString>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kEntryName = "quelm3d-idle.desktop";
// Beside the entry: says that the autostart folder did not exist before the entry was written.
const char* const kMadeMark = ".quelm3d-made-this-folder";

// A path as the Exec key wants it: plain where it can be, else quoted with \, " ` $ escaped.
std::string Exec_Quoted(const std::string& path)
{
    if (path.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") == std::string::npos) return path;
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        // A lone % would start a field code, quoted or not.
        if (c == '%') out += '%';
        out += c;
    }
    // The desktop file itself escapes backslashes once more.
    std::string escaped;
    for (char c : out + "\"") {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

std::string Autostart_Dir()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty() && config.startsWith(u'/')) return config.toStdString() + "/autostart/";
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) return {};
    return home.toStdString() + "/.config/autostart/";
}

std::string Idle_Autostart_Entry(const std::string& quelmscr, int minutes)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quelm 3D idle start\n"
           "Comment=Starts the Quelm 3D screensaver when the desktop has been idle for " +
           std::to_string(minutes) + " minute" + (minutes == 1 ? "" : "s") +
           "\n"
           "Exec=" +
           Exec_Quoted(quelmscr) + " --idle --idle-minutes " + std::to_string(minutes) +
           "\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

Outcome Enable_Idle_Start(const std::string& autostart_dir, const std::string& quelmscr, int minutes)
{
    if (autostart_dir.empty()) return Failed("HOME is not set: there is no autostart folder");
    if (quelmscr.find_first_of("\r\n") != std::string::npos)
        return Failed(quelmscr + " holds a line break, which an autostart entry cannot carry");
    struct stat info {};
    // What was made for the entry: "1" the autostart folder, "2" its parent (~/.config) too.
    std::string made;
    if (stat(autostart_dir.c_str(), &info) != 0) {
        const std::string parent = autostart_dir.substr(0, autostart_dir.find_last_of('/', autostart_dir.size() - 2));
        const bool parent_made = mkdir(parent.c_str(), 0700) == 0;
        if (mkdir(autostart_dir.c_str(), 0700) != 0 && errno != EEXIST)
            return Failed("cannot make " + autostart_dir + ": " + std::strerror(errno));
        made = parent_made ? "2" : "1";
    }
    if (Outcome written = Replace_File(autostart_dir + kEntryName, Idle_Autostart_Entry(quelmscr, minutes));
        !written.Ok)
        return written;
    if (!made.empty())
        if (Outcome marked = Replace_File(autostart_dir + kMadeMark, made); !marked.Ok) return marked;
    return Succeeded("Quelm 3D starts after " + std::to_string(minutes) + " idle minute" + (minutes == 1 ? "" : "s") +
                     " from your next login (" + autostart_dir + kEntryName + ")");
}

Outcome Disable_Idle_Start(const std::string& autostart_dir)
{
    if (autostart_dir.empty()) return Failed("HOME is not set: there is no autostart folder");
    const std::string entry = autostart_dir + kEntryName;
    if (unlink(entry.c_str()) != 0) {
        if (errno == ENOENT) return Succeeded();
        return Failed("cannot remove " + entry + ": " + std::strerror(errno));
    }
    // Folders made for the entry go too, each only if nothing else came in meanwhile.
    const std::string mark = autostart_dir + kMadeMark;
    const std::string made = Read_Small_File(mark).Text;
    if (unlink(mark.c_str()) == 0 && rmdir(autostart_dir.c_str()) == 0 && made == "2") {
        const std::string parent = autostart_dir.substr(0, autostart_dir.find_last_of('/', autostart_dir.size() - 2));
        rmdir(parent.c_str());
    }
    return Succeeded("Quelm 3D no longer starts by itself (" + entry + " removed)");
}
