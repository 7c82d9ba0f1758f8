#pragma once
// A private PulseAudio daemon for tests: started by the test in a folder of its own, with only
// the modules asked for, reached through PULSE_SERVER, and stopped (by its own pid) at the end.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <csignal>
#include <filesystem>
#include <string>

#include "tests/support/test_env.h"
#include "tests/support/wait.h"

namespace vyk::test {

class PulseTestDaemon {
public:
    // modules: e.g. {"module-null-source source_name=mic"}
    explicit PulseTestDaemon(const std::string& name) : dir_(freshDir(name)) {}
    ~PulseTestDaemon() { stop(); }

    // The address clients use (also when the daemon is not running).
    QString server() const { return QStringLiteral("unix:") + QString::fromStdString((dir_ / "native").string()); }

    bool start(const QStringList& modules) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir_.string()));
        env.insert("HOME", QString::fromStdString(dir_.string()));
        QStringList args = {"-n",
                            "--daemonize=no",
                            "--exit-idle-time=-1",
                            "--use-pid-file=no",
                            "--disable-shm=yes",
                            "--log-target=stderr",
                            "--log-level=error"};
        for (const QString& m : modules) args << ("--load=" + m);
        args << ("--load=module-native-protocol-unix auth-anonymous=1 socket=" +
                 QString::fromStdString((dir_ / "native").string()));
        proc_.setProcessEnvironment(env);
        proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc_.start("pulseaudio", args);
        if (!proc_.waitForStarted(5000)) return false;
        // Ready when it answers.
        bool ready = false;
        waitUntil(
            [&] {
                ready = pactl({"info"}).first;
                return ready || proc_.state() != QProcess::Running;
            },
            5000, false);
        return ready;
    }

    void stop() {
        if (proc_.state() == QProcess::NotRunning) return;
        thaw();  // a frozen daemon would not act on the request to end
        proc_.terminate();
        if (!proc_.waitForFinished(5000)) {
            proc_.kill();
            proc_.waitForFinished(5000);
        }
    }

    // Stops the daemon in its tracks (it keeps its socket but answers nothing) and lets it go on.
    bool freeze() { return signal(SIGSTOP); }
    bool thaw() { return signal(SIGCONT); }

    // Runs pactl against this daemon: (success, standard output).
    std::pair<bool, QString> pactl(const QStringList& args) const {
        QProcess p;
        p.start("pactl", QStringList{"--server=" + server()} + args);
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished();
            return {false, {}};
        }
        return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
    }

    // "yes", "no" or "" when the source cannot be read.
    QString sourceMute(const QString& source) const {
        auto [ok, out] = pactl({"get-source-mute", source});
        if (!ok) return {};
        return out.section(':', 1).trimmed();
    }

    bool setSourceMute(const QString& source, bool mute) const {
        return pactl({"set-source-mute", source, mute ? "1" : "0"}).first;
    }

private:
    bool signal(int sig) {
        const qint64 pid = proc_.processId();
        return pid > 0 && ::kill(static_cast<pid_t>(pid), sig) == 0;
    }

    std::filesystem::path dir_;
    QProcess proc_;
};

}  // namespace vyk::test
