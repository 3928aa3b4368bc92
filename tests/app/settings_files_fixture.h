#pragma once
// Settings files through the main window's file buttons and dialogs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings_files.h"
#include "support/app_fixture.h"

namespace zt::testing {

using Bytes = std::vector<unsigned char>;

inline Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline Bytes WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return bytes;
}

inline Bytes Pattern(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<unsigned char>(i * 7 + 3);
    return b;
}

class SettingsFiles : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        openMain();
    }
    // Load or save through the dialog answered with path; the message box text, if any.
    std::string run(bool (*command)(ui::Window&), const std::string& path) {
        host().messageBoxes.clear();
        host().answerFileDialog(path);
        const bool ok = command(*main);
        if (host().messageBoxes.empty()) return ok ? "ok" : "failed silently";
        const ui::MessageBoxRecord& box = host().messageBoxes.back();
        EXPECT_TRUE(!ok && box.caption == "Error" && box.icon == ui::Icon::None &&
                    box.owner == main.get());
        return box.text;
    }
};

}  // namespace zt::testing
