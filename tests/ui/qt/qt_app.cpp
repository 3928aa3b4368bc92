// One QApplication for the test program, offscreen unless the caller chose.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>

namespace {

struct QtEnvironment : ::testing::Environment {
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app = new QApplication(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));  // the layout checks assume one style
        // With an accessibility bus (tests/ui/qt/with-atspi), Qt's bridge joins it
        // once the event loop has run a little.
        if (QApplication::platformName() != QLatin1String("xcb")) return;
        QElapsedTimer clock;
        clock.start();
        while (!QAccessible::isActive() && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    void TearDown() override { delete app; }
    int argc = 1;
    char name[8] = "zt_qt";
    char* argv[2] = {name, nullptr};
    QApplication* app = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
