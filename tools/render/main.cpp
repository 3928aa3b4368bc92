// ztrender OUTDIR [--operations | --screen NAME]: draws each dialog template
// to OUTDIR/<id>-<name>.png as the Qt host lays it out, without a display and
// without running any procedure. With --operations it then runs the real
// main window, presses Test ZT and Read ZT, opens the port dialog, the About
// box and the RTTY dialog with their own procedures, programs a small
// firmware image through the uploader, and draws each. With --screen it runs
// the main window on the screen it is given (an X display), presses Test ZT
// and Read ZT, and takes a picture of the whole screen to
// OUTDIR/screen-NAME.png: how the window sits on it at the scale in use.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "app/about.h"
#include "app/main_window.h"
#include "app/port_dialog.h"
#include "app/rtty_dialog.h"
#include "app/session.h"
#include "app/startup.h"
#include "app/uploader.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "ui/qt/qt_host.h"

namespace {

struct Entry {
    const ui::DialogTemplate* tmpl;
    const char* name;
};

const Entry kEntries[] = {
    {&zt::kMainTemplate, "main"},         {&zt::kPortTemplate, "port"},
    {&zt::kUploaderTemplate, "uploader"}, {&zt::kAboutTemplate, "about"},
    {&zt::kRttyTemplate, "rtty"},
};

// Runs a dialog with its own procedure and draws it once it is initialised;
// then closes it with its close box, as an operator would.
bool renderRunning(const ui::DialogTemplate& tmpl, ui::Window* owner, ui::DialogProc proc,
                   const std::string& path) {
    bool ok = false;
    ui::runModal(tmpl, owner, [&](ui::Window& w, const ui::Message& m) {
        const int handled = proc(w, m);
        if (m.msg == ui::Msg::Init) {
            QTimer::singleShot(0, [&w, &ok, path] {
                ok = ui::grabWindow(w, path);
                ui::closeBox(w);
            });
        }
        return handled;
    });
    return ok;
}

// The file the uploader's open-file dialog answers with; empty: cancelled.
std::string chosenFile;

// An SMT image, version 31.05 (program word 3), with a few words of code.
bool writeDemoImage(const std::string& path) {
    std::ofstream(path) << ":100000008C28000000001F05FF3FFF3FFF3FFF3F20\n"
                           ":10004000831603138316FF3087000800FF3FFF3F2E\n"
                           ":00000001FF\n";
    return std::ifstream(path).good();
}

// Draws the window once done() holds, checking at every tick of the
// uploader's own period, then closes it with its close box.
void grabWhen(ui::Window& w, std::function<bool()> done, std::string path, bool& ok) {
    if (!done()) {
        QTimer::singleShot(zt::kUploadTimerMs,
                           [&w, done, path, &ok] { grabWhen(w, done, path, ok); });
        return;
    }
    ok = ui::grabWindow(w, path);
    ui::closeBox(w);
}

// FW Update as the operator goes through it: Load BIN File, Program ZOVOV,
// and the picture once the result is shown.
bool renderUpload(ui::Window& owner, const std::string& image, const std::string& path) {
    if (!writeDemoImage(image)) return false;
    chosenFile = image;
    zt::CurrentSession().verboseMode = 1;  // as if set in the About box: the log lists every frame
    bool ok = false;
    ui::runModal(zt::kUploaderTemplate, &owner, [&](ui::Window& w, const ui::Message& m) {
        const int handled = zt::UploaderProc(w, m);
        if (m.msg == ui::Msg::Init) {
            QTimer::singleShot(0, [&w, &ok, path] {
                ui::click(w, zt::ids::kLoadBin);
                ui::click(w, zt::ids::kProgram);
                grabWhen(
                    w, [&w] { return ui::isEnabled(w, zt::ids::kLoadBin); }, path, ok);
            });
        }
        return handled;
    });
    chosenFile.clear();
    return ok;
}

// The program's own windows after start-up and a Test, as the operator would
// see them: the main window, then the port dialog and the About box over it.
int renderOperations(const std::string& dir, const std::function<void(bool, std::string)>& report) {
    zt::LoadConfiguration(zt::CurrentSession());
    ui::runModal(zt::kMainTemplate, nullptr, [&](ui::Window& w, const ui::Message& m) {
        const int handled = zt::MainWindowProc(w, m);
        if (m.msg == ui::Msg::Init) {
            QTimer::singleShot(0, [&w, dir, report] {
                ui::click(w, zt::ids::kTestZt);  // returns when the whole Test is done
                // A tick later the status area shows the byte count as well.
                QTimer::singleShot(400, [&w, dir, report] {
                    std::string path = dir + "/1001-main-after-test.png";
                    report(ui::grabWindow(w, path), path);
                    path = dir + "/1002-port-listing.png";
                    report(renderRunning(zt::kPortTemplate, &w, zt::PortDialogProc, path), path);
                    path = dir + "/1004-about-running.png";
                    report(renderRunning(zt::kAboutTemplate, &w, zt::AboutProc, path), path);
                    ui::click(w, zt::ids::kReadZt);
                    path = dir + "/1001-main-after-read.png";
                    report(ui::grabWindow(w, path), path);
                    path = dir + "/1005-rtty-running.png";
                    report(renderRunning(zt::kRttyTemplate, &w, zt::RttyProc, path), path);
                    path = dir + "/1003-uploader-programmed.png";
                    report(renderUpload(w, dir + "/demo-smt-31.05.bin", path), path);
                    ui::click(w, zt::ids::kExit);
                });
            });
        }
        return handled;
    });
    return 0;
}

// The main window on the screen after Test ZT and Read ZT, and the whole
// screen drawn once it has settled.
int renderScreen(const std::string& path, const std::function<void(bool, std::string)>& report) {
    zt::LoadConfiguration(zt::CurrentSession());
    ui::runModal(zt::kMainTemplate, nullptr, [&](ui::Window& w, const ui::Message& m) {
        const int handled = zt::MainWindowProc(w, m);
        if (m.msg == ui::Msg::Init) {
            QTimer::singleShot(0, [&w, path, report] {
                ui::click(w, zt::ids::kTestZt);
                ui::click(w, zt::ids::kReadZt);
                QTimer::singleShot(600, [&w, path, report] {
                    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
                    report(screen.save(QString::fromStdString(path), "PNG"), path);
                    ui::click(w, zt::ids::kExit);
                });
            });
        }
        return handled;
    });
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool operations = argc == 3 && std::strcmp(argv[2], "--operations") == 0;
    const bool onScreen = argc == 4 && std::strcmp(argv[2], "--screen") == 0;
    if (argc != 2 && !operations && !onScreen) {
        std::fprintf(stderr, "usage: ztrender OUTDIR [--operations | --screen NAME]\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // a caller may still pick another platform
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));  // the same pictures on every desktop
    ui::QtHost host(zt::kIconXpm);
    // Nobody is there to answer a dialog.
    host.messageBoxHook = [](ui::Window*, const std::string& text, const std::string& caption,
                             ui::Icon) {
        std::fprintf(stderr, "ztrender: message box \"%s\": %s\n", caption.c_str(), text.c_str());
        return 1;
    };
    host.fileDialogHook = [](ui::Window*, const ui::FileDialogRequest&) {
        return chosenFile.empty() ? std::optional<std::string>() : chosenFile;
    };
    ui::setHost(&host);
    zt::Session session;
    const zt::SessionScope scope(session);

    const std::string dir = argv[1];
    if (!QDir().mkpath(QString::fromStdString(dir))) {
        std::fprintf(stderr, "ztrender: cannot create %s\n", dir.c_str());
        return 1;
    }
    int failures = 0;
    std::function<void(bool, std::string)> report = [&](bool ok, std::string path) {
        std::fprintf(ok ? stdout : stderr, ok ? "%s\n" : "ztrender: cannot write %s\n",
                     path.c_str());
        failures += ok ? 0 : 1;
    };
    if (onScreen) {
        renderScreen(dir + "/screen-" + argv[3] + ".png", report);
        ui::setHost(nullptr);
        return failures ? 1 : 0;
    }
    for (const Entry& e : kEntries) {
        const std::string path = dir + "/" + std::to_string(e.tmpl->id) + "-" + e.name + ".png";
        report(ui::renderTemplate(*e.tmpl, path), path);
    }
    if (operations) renderOperations(dir, report);
    ui::setHost(nullptr);
    return failures ? 1 : 0;
}
