// The ODBC connection strings of the two connects: the data-source rules for
// the port and the instance, and values that must not add keywords.
#include <gtest/gtest.h>

#include "libs/database/Dovrin.h"

namespace {

struct Case2005 {
    const char* server;
    const char* password;
    const char* instance;
    int port;
    const char* expected;
};

TEST(ConnectStringTest, SqlServer2005Form) {
    const Case2005 cases[] = {
        {"10.0.0.5", "kq", "", 1433, "Driver=FreeTDS;Server=10.0.0.5;Database=qv7411;UID=kq;PWD=kq;"},
        {"10.0.0.5", "kq", "", 1500,
         "Driver=FreeTDS;Server=10.0.0.5;Port=1500;Database=qv7411;UID=kq;PWD=kq;"},
        // Any instance text means the instance sqlexpress.
        {"host", "kq", "MYINST", 1433,
         "Driver=FreeTDS;PWD=kq;UID=kq;Database=qv7411;Server=host\\sqlexpress;"},
        {"host", "kq", "x", 1500,
         "Driver=FreeTDS;PWD=kq;UID=kq;Database=qv7411;Server=host\\sqlexpress;Port=1500;"},
        // Separators, braces and edge spaces are braced and stay inside
        // their value; quotes and inner spaces need nothing.
        {"h", "a;b", "", 1433, "Driver=FreeTDS;Server=h;Database=qv7411;UID=kq;PWD={a;b};"},
        {"h", "}x;UID=sa", "", 1433, "Driver=FreeTDS;Server=h;Database=qv7411;UID=kq;PWD={}}x;UID=sa};"},
        {"h", "{'\" p w}}", "", 1433, "Driver=FreeTDS;Server=h;Database=qv7411;UID=kq;PWD={{'\" p w}}}}};"},
        {"h", "it's a \"pw\"", "", 1433, "Driver=FreeTDS;Server=h;Database=qv7411;UID=kq;PWD=it's a \"pw\";"},
        {"h", " pw", "", 1433, "Driver=FreeTDS;Server=h;Database=qv7411;UID=kq;PWD={ pw};"},
        {"h", "", "", 1433, "Driver=FreeTDS;Server=h;Database=qv7411;UID=kq;PWD=;"},
    };
    for (const Case2005& c : cases) {
        EXPECT_EQ(DbConnectString2005(c.server, "qv7411", "kq", c.password, c.instance, c.port, "FreeTDS"),
                  c.expected)
            << c.password << " " << c.port;
    }
}

TEST(ConnectStringTest, SqlServer2000FormAndTheDriverName) {
    EXPECT_EQ(DbConnectString2000("srv", "db 1", "us}er", "p;w", "PostgreSQL ANSI"),
              "Driver=PostgreSQL ANSI;Server=srv;Database=db 1;UID={us}}er};PWD={p;w};");
}

} // namespace
