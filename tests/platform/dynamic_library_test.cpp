// Tests of loading shared objects by name at run time.
#include "platform/DynamicLibrary.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

using platform::DynamicLibrary;

TEST(DynamicLibrary, LoadsFromTheProgramFolderByName) {
    const std::string name = platform::SharedLibraryFileName("QvTestPlugin");
    EXPECT_EQ(name, "libQvTestPlugin.so");
    DynamicLibrary lib;
    ASSERT_TRUE(lib.Load(name)) << lib.LastError();
    const auto add = lib.Function<int (*)(int, int)>("QvPluginAdd");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_EQ(lib.Symbol("NoSuchFunction"), nullptr);
    EXPECT_EQ(lib.Symbol(nullptr), nullptr);
    lib.Unload();
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Symbol("QvPluginAdd"), nullptr);
}

TEST(DynamicLibrary, LoadsByPathAndFromTheDefaultPath) {
    DynamicLibrary byPath;
    EXPECT_TRUE(byPath.Load(platform::JoinPath(platform::ProgramFolder(), "libQvTestPlugin.so")));
    DynamicLibrary system;
    ASSERT_TRUE(system.Load("libm.so.6")) << system.LastError();
    EXPECT_NE(system.Symbol("cos"), nullptr);
}

TEST(DynamicLibrary, MissingLibraryIsNullNotFatal) {
    DynamicLibrary lib;
    for (const char* name : {"libQVNoSuchLibrary.so", "/nowhere/lib.so", ""}) {
        EXPECT_FALSE(lib.Load(name)) << name;
        EXPECT_FALSE(lib.IsLoaded());
        EXPECT_FALSE(lib.LastError().empty());
        EXPECT_EQ(lib.Symbol("QvPluginAdd"), nullptr);
    }
}
