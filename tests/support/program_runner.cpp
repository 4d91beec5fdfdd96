// Process, window and picture helpers for program-level tests (POSIX, xwininfo, ImageMagick, libpng).
#include "support/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

// Xlib last: its macros (Status, None, Bool) clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;

// The programs started and not yet ended, for the report of a window that does not come.
static std::vector<const RunningProgram*> g_running;

ProgramDir::ProgramDir() : path(folder_.str())
{
    for (const fs::directory_entry& e : fs::directory_iterator(QUELM_PROGRAM_DIR))
        fs::create_symlink(e.path(), fs::path(path) / e.path().filename());
}

ConfigHome::ConfigHome(const std::string& programDir) : path(folder_.str())
{
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(path + "/Velmora");
    std::ofstream(path + "/Velmora/Quelm 3D.ini") << "[General]\nPath=" << programDir << "\n";
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> builtAssets(const std::vector<std::string>& leaveOut)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> assets;
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(QUELM_ASSET_DIR))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        std::string name = f.filename().string();
        if (std::find(leaveOut.begin(), leaveOut.end(), name) != leaveOut.end()) continue;
        std::ifstream in(f, std::ios::binary);
        assets.push_back({name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})});
    }
    return assets;
}

// Every process now: its id and its /proc folder.
template <typename Visit>
static void forEachProcess(Visit visit)
{
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator("/proc", ec)) {
        const std::string name = e.path().filename();
        if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) visit(std::stoi(name), e.path());
    }
}

// The processes whose working directory is that folder.
static std::vector<pid_t> processesWorkingIn(const std::string& folder)
{
    std::vector<pid_t> found;
    forEachProcess([&](pid_t pid, const fs::path& proc) {
        std::error_code gone;
        if (fs::read_symlink(proc / "cwd", gone) == folder) found.push_back(pid);
    });
    return found;
}

ProgramDir::~ProgramDir()
{
    // Asked to end first (an engine restores what it changed), then killed after five seconds.
    std::vector<pid_t> left = processesWorkingIn(path);
    for (pid_t pid : left) kill(pid, SIGTERM);
    for (int i = 0; i < 100 && !left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        left = processesWorkingIn(path);
    }
    for (pid_t pid : left) kill(pid, SIGKILL);
    // The folder goes with its TempFolder, after this.
}

std::map<std::string, std::string> knownFlight()
{
    return {{"ZERO_SEED", "7"}, {"ZERO_CAPTURE_SEGMENT", "12"}};
}

std::vector<std::string> ProgramDir::entries() const
{
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(path)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The waits below note the time before each look and give up only after a look that began
// past the deadline: a test process starved for the whole wait on a busy machine still looks
// once more before it gives up.
template <typename TimePoint>
static bool pastDeadline(TimePoint deadline)
{
    return std::chrono::steady_clock::now() >= deadline;
}

bool RunningProgram::start(const std::string& dir, const std::string& program,
                           const std::map<std::string, std::string>& env, const std::vector<std::string>& args)
{
    char pattern[] = "/tmp/quelm-stderr-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0) return false;
    stderrPath = pattern;
    pid = fork();
    if (pid == 0) {
        // A group of its own, so that whatever it starts (the host's engine) can be ended with it.
        setpgid(0, 0);
        dup2(fd, 2);
        if (chdir(dir.c_str()) != 0) _exit(126);
        for (const auto& [key, value] : env) setenv(key.c_str(), value.c_str(), 1);
        std::string exe = program.starts_with('/') ? program : "./" + program;
        std::vector<char*> argv{exe.data()};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(fd);
    if (pid > 0) {
        setpgid(pid, pid);   // as the child does, so that the group exists before either goes on
        group = pid;
        if (std::find(g_running.begin(), g_running.end(), this) == g_running.end()) g_running.push_back(this);
    }
    return pid > 0;
}

bool RunningProgram::waitExit(double seconds)
{
    if (pid <= 0) return exitCode >= 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    // Looks at least once, so that waitExit(0) tells whether the program has ended by now.
    while (true) {
        const bool past = pastDeadline(deadline);
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            signalled = WIFSIGNALED(status);
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid = -1;
            return true;
        }
        if (past) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void RunningProgram::signal(int sig)
{
    if (pid > 0) kill(pid, sig);
}

bool RunningProgram::waitForOutput(const std::string& text, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        const bool past = pastDeadline(deadline);
        if (stderrText().find(text) != std::string::npos) return true;
        if (past || (pid > 0 && waitpid(pid, nullptr, WNOHANG) == pid)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string RunningProgram::stderrText() const
{
    std::ifstream in(stderrPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

RunningProgram::~RunningProgram()
{
    // The whole group: a child left behind by a test that stopped early would hold the test's
    // output open (so CTest waits on it until its time-out) and load the machine for the next one.
    if (group > 0) kill(-group, SIGKILL);
    if (pid > 0) waitpid(pid, nullptr, 0);
    std::erase(g_running, this);
    if (!stderrPath.empty()) std::remove(stderrPath.c_str());
}

bool PrivateXServer::start(double seconds)
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid = fork();
    if (pid == 0) {
        // Xvfb writes its display number to descriptor 3 once it accepts connections.
        dup2(fds[1], 3);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 2);
        // -noreset: a server that resets when its last client leaves refuses or tears down a
        // client that connects in that moment.
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (pid > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c = 0;
        if (read(fds[0], &c, 1) != 1) break;
        if (c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) return false;
    display = ":" + number;
    return true;
}

void PrivateXServer::signal(int sig)
{
    if (pid > 0) kill(pid, sig);
}

bool PrivateXServer::waitExit(double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (pid > 0) {
        const bool past = pastDeadline(deadline);
        if (waitpid(pid, nullptr, WNOHANG) == pid) pid = -1;
        else if (past) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

PrivateXServer::~PrivateXServer()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

double processorSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), {});
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) user = std::stoull(field);
        if (i == 15) system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string shell(const std::string& command, int* status)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int rc = pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

// The processes of a process group, with their command names.
static std::vector<std::pair<pid_t, std::string>> groupMembers(pid_t group)
{
    std::vector<std::pair<pid_t, std::string>> members;
    forEachProcess([&](pid_t pid, const fs::path& proc) {
        std::ifstream in(proc / "stat");
        const std::string stat((std::istreambuf_iterator<char>(in)), {});
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 2 > stat.size()) return;
        std::istringstream rest(stat.substr(close + 2));
        char state = 0;
        pid_t parent = 0, processGroup = 0;
        if (rest >> state >> parent >> processGroup && processGroup == group)
            members.push_back({pid, stat.substr(open + 1, close - open - 1)});
    });
    return members;
}

// The inodes of the client ends of every connection to the X server of that display number: the
// peers of the sockets the server listens and accepts on (/tmp/.X11-unix/XN, also abstract).
static std::set<std::string> displayClientSockets(const std::string& number)
{
    std::set<std::string> clients;
    std::istringstream lines(shell("ss -xH 2>/dev/null"));
    const std::string serverPath = "/tmp/.X11-unix/X" + number;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string netid, state, received, sent, local, localInode, peer, peerInode;
        if (!(fields >> netid >> state >> received >> sent >> local >> localInode >> peer >> peerInode)) continue;
        if (local.ends_with(serverPath)) clients.insert(peerInode);
    }
    return clients;
}

std::string displayReport()
{
    const char* name = std::getenv("DISPLAY");
    const std::string display = name ? name : "";
    std::string report = "display \"" + display + "\"";
    Display* connection = XOpenDisplay(nullptr);
    report += connection ? " answers" : " does not answer";
    if (connection) XCloseDisplay(connection);
    // ":N" or ":N.S": the server's number.
    const std::string number = display.substr(display.find(':') + 1, display.find('.') - display.find(':') - 1);
    const std::set<std::string> clients = displayClientSockets(number);
    for (const RunningProgram* program : g_running) {
        if (program->group <= 0) continue;
        std::vector<std::pair<pid_t, std::string>> members = groupMembers(program->group);
        if (members.empty()) report += "; process group " + std::to_string(program->group) + " has ended";
        for (const auto& [pid, command] : members) {
            int connections = 0;
            std::error_code ec;
            for (const fs::directory_entry& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
                const std::string target = fs::read_symlink(fd.path(), ec).string();
                if (target.starts_with("socket:[") && clients.count(target.substr(8, target.size() - 9))) ++connections;
            }
            report += "; " + command + " (pid " + std::to_string(pid) + ") holds " + std::to_string(connections) +
                      " connection(s) to it";
        }
    }
    return report;
}
