// COM numbers and saved files on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "system/files.h"
#include "system/paths.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ComDevicePathTest, EveryNumberIsADeviceNamespaceName) {
    EXPECT_EQ(ComDevicePath(1), "\\\\.\\COM1");
    EXPECT_EQ(ComDevicePath(9), "\\\\.\\COM9");
    EXPECT_EQ(ComDevicePath(10), "\\\\.\\COM10");
    EXPECT_EQ(ComDevicePath(50), "\\\\.\\COM50");
    EXPECT_EQ(ComDevicePath(0), "");
    EXPECT_EQ(ComDevicePath(-3), "");
    EXPECT_EQ(PortsDir(), "");
}

TEST(CanCreateFilesInTest, OnlyInAFolderThatTakesFilesAndLeavesNothingThere) {
    testing::TempDir dir;
    std::ofstream(dir.path() + "\\kept.txt") << "kept";
    EXPECT_TRUE(CanCreateFilesIn(dir.path()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(CanCreateFilesIn(dir.path() + "\\missing"));
    EXPECT_FALSE(CanCreateFilesIn(dir.path() + "\\kept.txt"));  // a file is no folder
    EXPECT_FALSE(CanCreateFilesIn(""));
}

TEST(WriteFileSafelyTest, ReplacesWholeAndLeavesNothingBeside) {
    testing::TempDir dir;
    const std::string path = dir.path() + "\\keyer.eep";
    std::ofstream(path, std::ios::binary) << "old contents, longer than the new";
    const Bytes bytes = {1, 2, 3, 0, 0xff};
    EXPECT_EQ(WriteFileSafely(path, bytes), SafeWrite::Ok);
    EXPECT_EQ(ReadAll(path), bytes);
    EXPECT_EQ(WriteFileSafely(dir.path() + "\\new.eep", bytes), SafeWrite::Ok);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    // A folder cannot be replaced, nor a file be made in a folder that is not there.
    EXPECT_EQ(WriteFileSafely(dir.path(), bytes), SafeWrite::CreateFailed);
    EXPECT_EQ(WriteFileSafely(dir.path() + "\\missing\\x.eep", bytes), SafeWrite::CreateFailed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(WriteFileSafelyTest, AFileInUseKeepsItsContents) {
    testing::TempDir dir;
    const std::string path = dir.path() + "\\held.eep";
    std::ofstream(path, std::ios::binary) << "held";
    // Open without sharing deletion: the move over it must fail.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteFileSafely(path, Bytes{9, 9}), SafeWrite::CreateFailed);
    CloseHandle(held);
    EXPECT_EQ(ReadAll(path), (Bytes{'h', 'e', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A read-only file is kept as it is; a replaced one keeps its marks; a short
// temporary name leaves room for the longest name a path may have.
TEST(WriteFileSafelyTest, ReadOnlyIsRefusedAndAttributesAndLongNamesKept) {
    testing::TempDir dir;
    const std::string locked = dir.path() + "\\locked.eep", hidden = dir.path() + "\\hidden.eep";
    std::ofstream(locked, std::ios::binary) << "old";
    std::ofstream(hidden, std::ios::binary) << "old";
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    FileTrouble trouble;
    EXPECT_EQ(WriteFileSafely(locked, Bytes{1}, &trouble), SafeWrite::CreateFailed);
    EXPECT_EQ(trouble.cause, "read-only");
    EXPECT_EQ(CheckWritable(locked), SafeWrite::CreateFailed);
    EXPECT_EQ(ReadAll(locked), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(WriteFileSafely(hidden, Bytes{1}), SafeWrite::Ok);
    EXPECT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(ReadAll(hidden), Bytes{1});

    const std::string longest =
        dir.path() + "\\" + std::string(MAX_PATH - 2 - dir.path().size(), 'k');
    EXPECT_EQ(WriteFileSafely(longest, Bytes{2}), SafeWrite::Ok);
    EXPECT_EQ(ReadAll(longest), Bytes{2});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
}

TEST(ReadingTest, SizeAndShortReadAtTheEnd) {
    testing::TempDir dir;
    const std::string path = dir.path() + "\\five";
    std::ofstream(path, std::ios::binary) << "abcde";
    InputFile* file = OpenForReading(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(FileSize(file), 5);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(ReadBytes(file, buffer, sizeof buffer), 5);
    EXPECT_EQ(ReadBytes(file, buffer, sizeof buffer), 0);
    CloseFile(file);
    FileTrouble trouble;
    EXPECT_EQ(OpenForReading(dir.path() + "\\none", &trouble), nullptr);
    EXPECT_FALSE(trouble.notAFile);
    // A folder or a device is no file to read, and says so.
    for (const std::string& name : {dir.path(), std::string("NUL")}) {
        EXPECT_EQ(OpenForReading(name, &trouble), nullptr) << name;
        EXPECT_TRUE(trouble.notAFile) << name;
        EXPECT_FALSE(FileStream(name).IsOpen()) << name;
    }
    EXPECT_TRUE(FileStream(path).IsOpen());
}

}  // namespace
}  // namespace zt
