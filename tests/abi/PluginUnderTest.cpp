#include "PluginUnderTest.h"

#include <gtest/gtest.h>

#include <cstdio>

std::string pluginPath;
vsthost::PluginLibrary* library = nullptr;

namespace {

class LibraryEnvironment : public testing::Environment {
public:
    void SetUp() override {
        library = new vsthost::PluginLibrary;
        std::string error;
        ASSERT_TRUE(library->open(pluginPath, error)) << error;
    }
    // Unloading after every instance is closed: a leak checker sees what
    // effClose left behind.
    void TearDown() override {
        delete library;
        library = nullptr;
    }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [gtest options] PLUGIN\n", argv[0]);
        return 2;
    }
    pluginPath = argv[1];
    testing::AddGlobalTestEnvironment(new LibraryEnvironment);
    return RUN_ALL_TESTS();
}
