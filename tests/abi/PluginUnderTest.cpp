#include "PluginUnderTest.h"

#include <gtest/gtest.h>

#include <cstdio>

std::string pluginPath;
vsthost::PluginLibrary* library = nullptr;

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_LEAK_CHECKER 1
#endif
#endif

#ifdef ZEL_LEAK_CHECKER
extern "C" void __lsan_do_leak_check();
void checkLeaksNow() { __lsan_do_leak_check(); }
#else
void checkLeaksNow() {}
#endif

class LibraryEnvironment : public testing::Environment {
public:
    void SetUp() override {
        library = new vsthost::PluginLibrary;
        std::string error;
        ASSERT_TRUE(library->open(pluginPath, error)) << error;
    }
    // Leaks are looked for while the plug-in and the libraries it brought
    // along are still loaded, so that every report names its place; then the
    // binary is unloaded.
    void TearDown() override {
        checkLeaksNow();
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
