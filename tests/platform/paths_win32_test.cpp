// COM numbers and saved files on Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

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
    EXPECT_EQ(OpenForReading(dir.path() + "\\none"), nullptr);
    EXPECT_EQ(OpenForReading(dir.path()), nullptr);  // a folder is no file to read
}

}  // namespace
}  // namespace zt
