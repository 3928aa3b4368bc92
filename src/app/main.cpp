// zttools: the desktop program. Everything but the widgets is in the core.
#include <QApplication>

#include "app/startup.h"
#include "platform/qt/qt_host.h"
#include "resources/templates.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::QtHost host(zt::kIconXpm);
    ui::setHost(&host);
    return zt::RunProgram();
}
