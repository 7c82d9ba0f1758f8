#pragma once
// A private X server: Xvfb on a display number it picks itself (-displayfd), with xdotool to
// type and click on it. While it runs, DISPLAY names it in this process's environment. When
// Xvfb is missing or does not report its display, running() is false and nothing is left
// behind. The server is ended when the object goes. No test framework needed (the benchmarks
// use it too).

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace vyk::test {

class XvfbServer {
public:
    XvfbServer() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) return;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], 3);  // -displayfd needs an inheritable descriptor
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            const std::string path = xvfb.toStdString();
            ::execl(path.c_str(), "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                    "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (number.empty()) {
            stop();
            return;
        }
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);
    }

    ~XvfbServer() {
        stop();
        ::unsetenv("DISPLAY");
    }

    bool running() const { return !display_.empty() && pid_ > 0; }
    const std::string& display() const { return display_; }

    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    // Runs xdotool on this display; true when it succeeded.
    bool xdotool(const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display_));
        p.setProcessEnvironment(env);
        p.start("xdotool", args);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    static bool haveXdotool() { return !QStandardPaths::findExecutable("xdotool").isEmpty(); }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace vyk::test
