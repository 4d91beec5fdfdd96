// A D-Bus daemon of a test's own, on a socket in a folder the test owns: a system bus or session
// bus for one test (DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS set to its address).
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

struct PrivateBus {
    pid_t pid = -1;
    std::string address;   // "unix:path=FOLDER/bus"

    // Starts the daemon and waits until its socket is there; false where it does not come up.
    bool start(const std::string& folder)
    {
        const std::string socket = folder + "/bus";
        address = "unix:path=" + socket;
        const std::string option = "--address=" + address;
        pid = fork();
        if (pid == 0) {
            // Its notes (an fd limit it may not raise) are not the test's.
            const int null = open("/dev/null", O_WRONLY);
            if (null >= 0) dup2(null, 2);
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", option.c_str(),
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && access(socket.c_str(), F_OK) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return access(socket.c_str(), F_OK) == 0;
    }
    ~PrivateBus()
    {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};
