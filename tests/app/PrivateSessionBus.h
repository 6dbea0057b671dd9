// A session bus of the test's own: a dbus-daemon on a socket in a scratch
// folder, announced to the process through DBUS_SESSION_BUS_ADDRESS (set
// before anything in the process first asks for the session bus), and a
// client connection to it that is not the program's own.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QString>

#include <filesystem>
#include <fstream>
#include <string>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

class PrivateSessionBus {
public:
    PrivateSessionBus() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_bus_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        m_folder = pattern;
        const std::string socket = m_folder + "/bus";
        const std::string config = m_folder + "/session.conf";
        std::ofstream(config)
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
               "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:path="
            << socket
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n";
        const std::string configArg = "--config-file=" + config;
        const char* argv[] = {"dbus-daemon", configArg.c_str(), "--nofork", "--nopidfile", nullptr};
        if (posix_spawnp(&m_pid, "dbus-daemon", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            m_pid = -1;
            return;
        }
        for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i) {
            usleep(10000);
        }
        m_address = "unix:path=" + socket;
        setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
    }
    ~PrivateSessionBus() {
        QDBusConnection::disconnectFromBus("test-client");
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool IsRunning() const { return m_pid > 0 && std::filesystem::exists(m_folder + "/bus"); }
    // A client connection of its own to this bus.
    QDBusConnection Client() const {
        return QDBusConnection::connectToBus(QString::fromStdString(m_address), "test-client");
    }

private:
    std::string m_folder;
    std::string m_address;
    pid_t m_pid = -1;
};
