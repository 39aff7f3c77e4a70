// The path of the first local file in a text/uri-list, as file managers
// hand dragged files over.
#include <gtest/gtest.h>

#include <string>

#include "editor/x11/UriList.h"

namespace {

TEST(UriList, FileUrisGiveTheirPath) {
    EXPECT_EQ(firstFilePath("file:///home/me/kick.wav"), "/home/me/kick.wav");
    EXPECT_EQ(firstFilePath("file:///home/me/kick.wav\r\n"), "/home/me/kick.wav");
    EXPECT_EQ(firstFilePath("file://localhost/srv/kits/snare.wav\r\n"), "/srv/kits/snare.wav");
}

TEST(UriList, EscapesAreDecoded) {
    EXPECT_EQ(firstFilePath("file:///tmp/my%20kick%20%231.wav\r\n"), "/tmp/my kick #1.wav");
    EXPECT_EQ(firstFilePath("file:///tmp/100%25%2fx.wav"), "/tmp/100%/x.wav");
    // UTF-8 names travel as escaped bytes.
    EXPECT_EQ(firstFilePath("file:///tmp/caf%C3%A9.wav"), "/tmp/caf\xC3\xA9.wav");
}

TEST(UriList, TheFirstLocalFileOfSeveralLinesWins) {
    const std::string list =
        "# dragged from a file manager\r\n"
        "http://example.org/kick.wav\r\n"
        "file://otherhost/tmp/kick.wav\r\n"
        "\r\n"
        "file:///tmp/first.wav\r\n"
        "file:///tmp/second.wav\r\n";
    EXPECT_EQ(firstFilePath(list), "/tmp/first.wav");
    // Plain newlines as some sources send them.
    EXPECT_EQ(firstFilePath("# comment\nfile:///a.wav\nfile:///b.wav\n"), "/a.wav");
}

TEST(UriList, NoLocalFileGivesNothing) {
    EXPECT_EQ(firstFilePath(""), "");
    EXPECT_EQ(firstFilePath("\r\n"), "");
    EXPECT_EQ(firstFilePath("# file:///tmp/commented.wav\r\n"), "");
    EXPECT_EQ(firstFilePath("file://otherhost/tmp/kick.wav"), "");
    EXPECT_EQ(firstFilePath("http://example.org/kick.wav"), "");
    EXPECT_EQ(firstFilePath("smb://server/share/kick.wav"), "");
    EXPECT_EQ(firstFilePath("/tmp/kick.wav"), "") << "a bare path is no URI";
    EXPECT_EQ(firstFilePath("file:/tmp/kick.wav"), "");
    EXPECT_EQ(firstFilePath("file://"), "");
}

TEST(UriList, MalformedEscapesAreRefused) {
    EXPECT_EQ(firstFilePath("file:///tmp/bad%2"), "");
    EXPECT_EQ(firstFilePath("file:///tmp/bad%zz.wav"), "");
    EXPECT_EQ(firstFilePath("file:///tmp/nul%00.wav"), "") << "no path holds a NUL";
    // A bad line does not hide a good one after it.
    EXPECT_EQ(firstFilePath("file:///tmp/bad%zz.wav\r\nfile:///tmp/good.wav\r\n"), "/tmp/good.wav");
}

}  // namespace
