// The headless sway for program tests (POSIX, swaymsg, grim, wtype; the virtual devices of
// virtual_devices.cpp).
#include "support/sway_session.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

static constexpr uid_t kNobody = 65534;

static std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

bool SwaySession::installed()
{
    int status = 0;
    shell("command -v sway && command -v swaymsg && command -v grim && command -v wtype", &status);
    return status == 0;
}

// The waits look once more after the deadline, as program_runner's do.
bool SwaySession::waitUntil(double seconds, const std::string& what, bool (SwaySession::*check)() const)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        const bool past = std::chrono::steady_clock::now() >= deadline;
        if ((this->*check)()) return true;
        if (swayPid > 0 && waitpid(swayPid, nullptr, WNOHANG) == swayPid) {
            swayPid = -1;
            why = "sway ended before " + what + ":\n" + log();
            return false;
        }
        if (past) {
            why = "no " + what + " after " + std::to_string(static_cast<int>(seconds)) + " s:\n" + log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// Its IPC socket and Wayland socket are both there, and swaymsg gets an answer on the first.
bool SwaySession::answers() const
{
    if (socket.empty() || display.empty()) return false;
    int status = -1;
    msg("-t get_version", &status);
    return status == 0;
}

bool SwaySession::launch(const std::map<std::string, std::string>& env, double seconds)
{
    char pattern[] = "/tmp/quelm-sway-XXXXXX";
    if (!mkdtemp(pattern)) {
        why = std::string("no folder for sway: ") + std::strerror(errno);
        return false;
    }
    folder = pattern;
    runtimeDir = folder;
    configPath = folder + "/config";
    logPath = folder + "/sway.log";
    const bool asNobody = geteuid() == 0;
    {
        std::ofstream config(configPath);
        // No X server: the engine must manage without one. The first output is made by the backend.
        config << "xwayland disable\n";
        if (!parent) config << "output HEADLESS-1 mode " << env.at("mode") << " scale " << env.at("scale") << " pos 0 0\n";
        // Windows show no border (a nested sway's outputs are windows of its parent's).
        config << "default_border none\n";
    }
    const int logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (asNobody && (chown(folder.c_str(), kNobody, kNobody) != 0 || fchown(logFd, kNobody, kNobody) != 0)) {
        why = std::string("cannot give the folder to nobody: ") + std::strerror(errno);
        close(logFd);
        return false;
    }
    swayPid = fork();
    if (swayPid == 0) {
        setpgid(0, 0);
        dup2(logFd, 1);
        dup2(logFd, 2);
        // A compositor of its own, never a client of the session's display or of ours.
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "WAYLAND_SOCKET", "I3SOCK"}) unsetenv(name);
        setenv("HOME", folder.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        setenv("WLR_RENDERER", "pixman", 1);
        setenv("WLR_LIBINPUT_NO_DEVICES", "1", 1);
        for (const auto& [key, value] : env)
            if (key.starts_with("WLR_") || key == "WAYLAND_DISPLAY") setenv(key.c_str(), value.c_str(), 1);
        // sway refuses to run as root.
        if (asNobody && (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
                         setresuid(kNobody, kNobody, kNobody) != 0))
            _exit(126);
        execlp("sway", "sway", "-c", configPath.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(logFd);
    if (swayPid < 0) {
        why = std::string("cannot start sway: ") + std::strerror(errno);
        return false;
    }
    setpgid(swayPid, swayPid);

    // Its sockets: wayland-N (the lock file beside it is made first) and sway-ipc.UID.PID.sock.
    auto sockets = [this]() {
        std::error_code ec;
        for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
            const std::string name = e.path().filename();
            if (!e.is_socket(ec)) continue;
            if (name.starts_with("wayland-")) display = name;
            if (name.starts_with("sway-ipc.")) socket = e.path();
        }
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (display.empty() || socket.empty()) {
        const bool past = std::chrono::steady_clock::now() >= deadline;
        sockets();
        if (!display.empty() && !socket.empty()) break;
        if (waitpid(swayPid, nullptr, WNOHANG) == swayPid) {
            swayPid = -1;
            why = "sway ended at start:\n" + log();
            return false;
        }
        if (past) {
            why = "sway made no sockets in " + folder + ":\n" + log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!waitUntil(seconds, "answer from swaymsg", &SwaySession::answers)) return false;
    return connectPointer();
}

bool SwaySession::start(const OutputMode& first, double seconds)
{
    const std::string mode = std::to_string(first.width) + "x" + std::to_string(first.height);
    if (!launch({{"WLR_BACKENDS", "headless"}, {"mode", mode}, {"scale", std::to_string(first.scale)}}, seconds))
        return false;
    auto hasFirst = [this]() { return output("HEADLESS-1").has_value(); };
    if (!hasFirst()) {
        why = "sway lists no HEADLESS-1:\n" + msg("-t get_outputs -p");
        return false;
    }
    return true;
}

bool SwaySession::startNested(SwaySession& host, double seconds)
{
    parent = &host;
    return launch({{"WLR_BACKENDS", "wayland"}, {"WLR_WL_OUTPUTS", "1"},
                   {"WAYLAND_DISPLAY", host.runtimeDir + "/" + host.display}},
                  seconds);
}

bool SwaySession::connectPointer()
{
    devices = std::make_unique<VirtualDevices>();
    if (!devices->connect(runtimeDir + "/" + display, why)) return false;
    // The seat takes the new device in the same turn of its loop; a look at it says so.
    const std::string seats = msg("-t get_seats -r");
    std::smatch caps;
    if (!std::regex_search(seats, caps, std::regex("\"capabilities\": ([0-9]+)")) || (std::stoi(caps[1]) & 3) != 3) {
        why = "the seat has no pointer or no keyboard after the virtual devices were made:\n" + seats;
        return false;
    }
    return true;
}

SwaySession::SwaySession() = default;

SwaySession::~SwaySession()
{
    devices.reset();
    if (swayPid > 0) {
        // Asked first (it closes its clients' surfaces), then killed with whatever it started.
        kill(swayPid, SIGCONT);
        kill(swayPid, SIGTERM);
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = waitpid(swayPid, nullptr, WNOHANG) == swayPid;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(-swayPid, SIGKILL);
        if (!ended) waitpid(swayPid, nullptr, 0);
    }
    std::error_code ec;
    if (!folder.empty()) fs::remove_all(folder, ec);
}

std::map<std::string, std::string> SwaySession::clientEnv() const
{
    return {{"WAYLAND_DISPLAY", display}, {"XDG_RUNTIME_DIR", runtimeDir}, {"SWAYSOCK", socket}};
}

bool isDesktopGrey(const std::array<int, 3>& rgb)
{
    return std::abs(rgb[0] - 63) <= 1 && std::abs(rgb[1] - 63) <= 1 && std::abs(rgb[2] - 63) <= 1;
}

int greyOnTheEdges(const Picture& p)
{
    int grey = 0;
    for (int x = 0; x < p.width; ++x) grey += isDesktopGrey(p.at(x, 0)) + isDesktopGrey(p.at(x, p.height - 1));
    for (int y = 1; y + 1 < p.height; ++y) grey += isDesktopGrey(p.at(0, y)) + isDesktopGrey(p.at(p.width - 1, y));
    return grey;
}

std::string SwaySession::log() const
{
    std::ifstream in(logPath);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string SwaySession::msg(const std::string& arguments, int* status) const
{
    return shell("XDG_RUNTIME_DIR=" + quoted(runtimeDir) + " swaymsg -s " + quoted(socket) + " " + arguments + " 2>&1",
                 status);
}

std::vector<OutputState> SwaySession::outputs() const
{
    // The JSON listing, cut into the array's top-level objects (one per output); within one, the
    // first "name" is the output's own (its nested objects have none).
    std::vector<OutputState> list;
    const std::string json = msg("-t get_outputs -r");
    std::vector<std::string> blocks;
    size_t depth = 0, start = 0;
    for (size_t i = 0; i < json.size(); ++i) {
        if (json[i] == '{' && depth++ == 0) start = i;
        if (json[i] == '}' && depth > 0 && --depth == 0) blocks.push_back(json.substr(start, i - start + 1));
    }
    for (const std::string& block : blocks) {
        OutputState o;
        std::smatch m;
        if (std::regex_search(block, m, std::regex("\"name\": \"([^\"]+)\""))) o.name = m[1];
        if (std::regex_search(block, m, std::regex("\"active\": (true|false)"))) o.active = m[1] == "true";
        if (std::regex_search(block, m, std::regex("\"dpms\": (true|false)"))) o.powered = m[1] == "true";
        if (std::regex_search(block, m, std::regex("\"scale\": ([0-9.]+)"))) o.scale = std::stod(m[1]);
        if (std::regex_search(block, m, std::regex("\"rect\": \\{\\s*\"x\": (-?[0-9]+),\\s*\"y\": (-?[0-9]+)"))) {
            o.x = std::stoi(m[1]);
            o.y = std::stoi(m[2]);
        }
        if (std::regex_search(block, m,
                              std::regex("\"current_mode\": \\{\\s*\"width\": ([0-9]+),\\s*\"height\": ([0-9]+)"))) {
            o.width = std::stoi(m[1]);
            o.height = std::stoi(m[2]);
        }
        list.push_back(o);
    }
    return list;
}

std::optional<OutputState> SwaySession::output(const std::string& name) const
{
    for (const OutputState& o : outputs())
        if (o.name == name) return o;
    return std::nullopt;
}

std::optional<std::string> SwaySession::createOutput(const OutputMode& mode)
{
    std::vector<OutputState> before = outputs();
    int right = 0;
    for (const OutputState& o : before) right = std::max(right, o.x + static_cast<int>(o.width / o.scale));
    int status = -1;
    std::string said = msg("create_output", &status);
    if (status != 0) {
        why = "create_output: " + said;
        return std::nullopt;
    }
    std::string made;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (made.empty() && std::chrono::steady_clock::now() < deadline) {
        for (const OutputState& o : outputs()) {
            bool known = false;
            for (const OutputState& b : before) known = known || b.name == o.name;
            if (!known) made = o.name;
        }
        if (made.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (made.empty()) {
        why = "create_output made no output:\n" + msg("-t get_outputs -p");
        return std::nullopt;
    }
    if (!parent) {
        said = msg("output " + made + " mode " + std::to_string(mode.width) + "x" + std::to_string(mode.height) +
                       " scale " + std::to_string(mode.scale) + " pos " + std::to_string(right) + " 0",
                   &status);
        if (status != 0) {
            why = "output " + made + ": " + said;
            return std::nullopt;
        }
    }
    return made;
}

bool SwaySession::setPower(const std::string& name, bool on)
{
    msg("output " + name + " dpms " + (on ? "on" : "off"));
    std::optional<OutputState> now = output(name);
    if (!now || now->powered != on) {
        why = "sway did not power " + name + (on ? " on" : " off") + " (" +
              (now ? "dpms still " + std::string(now->powered ? "on" : "off") : "no such output") + ")";
        return false;
    }
    return true;
}

std::string SwaySession::windowTitle(const std::string& outputName) const
{
    // wlroots' Wayland backend titles each output's window so.
    return "wlroots - " + outputName;
}

bool SwaySession::removeOutput(const std::string& name, double seconds)
{
    if (parent) parent->msg("'[title=\"^" + windowTitle(name) + "$\"] kill'");
    else msg("output " + name + " disable");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        const bool past = std::chrono::steady_clock::now() >= deadline;
        std::optional<OutputState> now = output(name);
        if (!now || !now->active) return true;
        if (past) {
            why = "sway still lists " + name + " as active after " + std::to_string(static_cast<int>(seconds)) +
                  " s:\n" + log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool SwaySession::hideOutput(const std::string& name, bool hidden)
{
    if (!parent) {
        why = "only a nested sway's outputs can be hidden";
        return false;
    }
    const std::string criteria = "'[title=\"^" + windowTitle(name) + "$\"] ";
    int status = -1;
    std::string said;
    if (hidden) said = parent->msg(criteria + "move to workspace quelm-hidden'", &status);
    else said = parent->msg(criteria + "move to workspace quelm-shown, workspace quelm-shown'", &status);
    if (status != 0) why = "the parent did not move " + name + "'s window: " + said;
    return status == 0;
}

std::optional<Picture> SwaySession::screenshot(const std::string& outputName, const std::string& path) const
{
    int status = -1;
    const std::string said = shell("XDG_RUNTIME_DIR=" + quoted(runtimeDir) + " WAYLAND_DISPLAY=" + quoted(display) +
                                       " timeout 20 grim -o " + quoted(outputName) + " " + quoted(path) + " 2>&1",
                                   &status);
    if (status != 0) {
        std::fprintf(stderr, "grim -o %s: %s\n", outputName.c_str(), said.c_str());
        return std::nullopt;
    }
    return readPng(path);
}

bool SwaySession::type(const std::string& wtypeArguments) const
{
    int status = -1;
    const std::string said = shell("XDG_RUNTIME_DIR=" + quoted(runtimeDir) + " WAYLAND_DISPLAY=" + quoted(display) +
                                       " wtype " + wtypeArguments + " 2>&1",
                                   &status);
    if (status != 0) std::fprintf(stderr, "wtype %s: %s\n", wtypeArguments.c_str(), said.c_str());
    return status == 0;
}

bool SwaySession::movePointer(int x, int y) const
{
    // "cursor set" leaves a coordinate of 0 where it was: the layout's first column and row are
    // reached by way of a step past them.
    int status = -1;
    if (x == 0 || y == 0) msg("seat seat0 cursor set " + std::to_string(x == 0 ? 1 : x) + " " + std::to_string(y == 0 ? 1 : y));
    std::string said = x == 0 || y == 0 ? msg("seat seat0 cursor move " + std::to_string(x == 0 ? -1 : 0) + " " +
                                                  std::to_string(y == 0 ? -1 : 0),
                                              &status)
                                        : msg("seat seat0 cursor set " + std::to_string(x) + " " + std::to_string(y), &status);
    if (status != 0) std::fprintf(stderr, "cursor to %d,%d: %s\n", x, y, said.c_str());
    return status == 0;
}

bool SwaySession::click(int button) const
{
    const std::string name = "button" + std::to_string(button);
    int pressed = -1, released = -1;
    msg("seat seat0 cursor press " + name, &pressed);
    msg("seat seat0 cursor release " + name, &released);
    return pressed == 0 && released == 0;
}
