// One QApplication for the test program, offscreen unless the caller chose.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace {

struct QtEnvironment : ::testing::Environment {
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app = new QApplication(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));  // the layout checks assume one style
    }
    void TearDown() override { delete app; }
    int argc = 1;
    char name[8] = "zt_qt";
    char* argv[2] = {name, nullptr};
    QApplication* app = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
