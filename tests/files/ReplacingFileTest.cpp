// A file replaced only when the new one is whole: a full disk, a missing
// folder, a target that cannot be replaced or a writer that gives up all
// leave the old file as it was and nothing else behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "FileSizeLimit.h"
#include "FilesKit.h"
#include "platform/ReplacingFile.h"

namespace {

namespace fs = std::filesystem;

Bytes readBack(const std::string& path) {
    Bytes bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(uint8_t(c));
    std::fclose(file);
    return bytes;
}

size_t entriesIn(const std::string& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
}

TEST(ReplacingFile, EveryFailureLeavesTheOldFileAndNothingElse) {
    const Bytes fresh(20000, 0x5A);
    const struct {
        const char* what;
        std::function<std::string(const TempDir&, std::string&)> attempt;  // answers the failure
        size_t entriesAfter;  // in the folder: the old file, or nothing
    } failures[] = {
        {"a full disk",
         [&](const TempDir& dir, std::string& target) {
             target = dir.write("kit.bin", {'o', 'l', 'd'});
             FileSizeLimit full(8192);
             return writeWholeFileReplacing(target, fresh.data(), fresh.size());
         },
         1},
        {"a folder that is not there",
         [&](const TempDir& dir, std::string& target) {
             target = dir / "missing/kit.bin";
             return writeWholeFileReplacing(target, fresh.data(), fresh.size());
         },
         0},
        {"a target that is a folder",
         [&](const TempDir& dir, std::string& target) {
             target = dir / "kit.bin";
             fs::create_directories(target + "/inside");
             return writeWholeFileReplacing(target, fresh.data(), fresh.size());
         },
         1},
        {"a writer that gives up before committing",
         [&](const TempDir& dir, std::string& target) {
             target = dir.write("kit.bin", {'o', 'l', 'd'});
             ReplacingFile file(target);
             file.write(fresh.data(), fresh.size());
             return std::string("gave up");
         },
         1},
    };
    for (const auto& failure : failures) {
        TempDir dir;
        std::string target;
        const std::string why = failure.attempt(dir, target);
        EXPECT_FALSE(why.empty()) << failure.what;
        EXPECT_EQ(entriesIn(dir.path()), failure.entriesAfter) << failure.what;
        if (fs::is_directory(target)) {
            EXPECT_TRUE(fs::exists(target + "/inside")) << failure.what;
        } else if (failure.entriesAfter != 0) {
            EXPECT_EQ(readBack(target), Bytes({'o', 'l', 'd'})) << failure.what;
        }
    }
}

TEST(ReplacingFile, ACommittedFileTakesTheOldOnesPlaceWithTheUsualRights) {
    TempDir dir;
    const std::string target = dir.write("kit.bin", {'o', 'l', 'd'});
    const mode_t mask = umask(022);
    const Bytes fresh(20000, 0x5A);
    ReplacingFile file(target);
    ASSERT_TRUE(file.write(fresh.data(), 7) && file.write(fresh.data() + 7, fresh.size() - 7));
    EXPECT_EQ(readBack(target), Bytes({'o', 'l', 'd'})) << "nothing shows before the commit";
    ASSERT_TRUE(file.commit()) << file.failure();
    umask(mask);
    EXPECT_EQ(readBack(target), fresh);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

}  // namespace
