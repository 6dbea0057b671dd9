// The ODBC connection strings of the two connects. A value that holds a
// separator, a brace or an edge space is braced, with '}' doubled, so no
// value can end its keyword or add another; plain values stay plain (some
// drivers take braces literally where they are not needed).
#include "libs/database/Dovrin.h"

namespace {

constexpr int kDefaultPort = 1433;

std::string Braced(const std::string& value) {
    const bool plain = value.find_first_of(";{}") == std::string::npos &&
                       (value.empty() || (value.front() != ' ' && value.back() != ' '));
    if (plain) {
        return value;
    }
    std::string out = "{";
    for (const char c : value) {
        out += c;
        if (c == '}') {
            out += '}';
        }
    }
    return out + "}";
}

std::string Keyword(const char* name, const std::string& value) {
    return std::string(name) + "=" + Braced(value) + ";";
}

} // namespace

std::string DbConnectString2005(const std::string& server, const std::string& catalog,
                                const std::string& user, const std::string& password,
                                const std::string& instance, int port, const std::string& driver) {
    const std::string portPart = port != kDefaultPort ? Keyword("Port", std::to_string(port)) : std::string();
    if (instance.empty()) {
        return Keyword("Driver", driver) + Keyword("Server", server) + portPart +
               Keyword("Database", catalog) + Keyword("UID", user) + Keyword("PWD", password);
    }
    // Any instance text names the instance "sqlexpress".
    return Keyword("Driver", driver) + Keyword("PWD", password) + Keyword("UID", user) +
           Keyword("Database", catalog) + Keyword("Server", server + "\\sqlexpress") + portPart;
}

std::string DbConnectString2000(const std::string& server, const std::string& catalog,
                                const std::string& user, const std::string& password,
                                const std::string& driver) {
    return Keyword("Driver", driver) + Keyword("Server", server) + Keyword("Database", catalog) +
           Keyword("UID", user) + Keyword("PWD", password);
}
