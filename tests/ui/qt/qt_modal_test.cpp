// Modal loops, timers, painting during blocking work, text from a worker
// thread, and the message box and file dialogs of the Qt host.

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <atomic>
#include <string>
#include <thread>

#include "qt_fixture.h"

namespace zttest {
namespace {

using QtModal = QtHostTest;

// The child's loop runs over its blocked owner, whose timer keeps ticking;
// a click in the child ends it with the procedure's result.
TEST_F(QtModal, AChildLoopBlocksItsOwnerWhileTheOwnerTimerRuns) {
    int ownerTicks = 0, childResult = -1;
    QWidget *ownerView = nullptr, *childView = nullptr, *childParent = nullptr,
            *activeModal = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    auto child = [&](ui::Window& w, const ui::Message& m) {
        if (m.msg == ui::Msg::Command) ui::endDialog(w, 9);
        if (m.msg != ui::Msg::Init) return 1;
        childView = ui::windowWidget(w);
        childParent = childView->parentWidget();
        modality = childView->windowModality();
        const int start = ownerTicks;
        when([&, start] { return ownerTicks >= start + 2; },
             [&] {
                 activeModal = QApplication::activeModalWidget();
                 mouseClick(widgetOf(w, 1));
             },
             [&] { ui::endDialog(w, 0); });
        return 1;
    };
    auto owner = [&](ui::Window& w, const ui::Message& m) {
        if (m.msg == ui::Msg::Init) {
            ownerView = ui::windowWidget(w);
            ui::startTimer(w, 1, 5);
            QTimer::singleShot(0, [&w] { mouseClick(widgetOf(w, kGo)); });
        }
        if (m.msg == ui::Msg::Timer) ++ownerTicks;
        if (m.msg == ui::Msg::Command)
            ui::endDialog(w, childResult = ui::runModal(kChild, &w, child));
        return 1;
    };
    EXPECT_EQ(ui::runModal(kTest, nullptr, owner), 9);
    EXPECT_EQ(childResult, 9);
    EXPECT_EQ(activeModal, childView);
    EXPECT_EQ(childParent, ownerView);
    EXPECT_EQ(modality, Qt::WindowModal);
}

TEST_F(QtModal, RepaintPaintsButDeliversNoTicks) {
    ui::Window& w = open(kTest);
    struct PaintCounter : QObject {
        int n = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            return n += e->type() == QEvent::Paint, false;
        }
    } paints;
    QCoreApplication::processEvents();  // the first show's painting
    widgetOf(w, kGo)->installEventFilter(&paints);
    ui::startTimer(w, 3, 0);  // due at once
    ui::setText(w, kGo, "Testing");
    ui::repaint(w);
    EXPECT_GT(paints.n, 0);
    EXPECT_TRUE(messages.empty());
    QCoreApplication::processEvents();  // an ordinary loop delivers the tick
    ui::stopTimer(w, 3);
    EXPECT_FALSE(messages.empty());
    widgetOf(w, kGo)->removeEventFilter(&paints);
}

TEST_F(QtModal, AppendTextSyncFromAWorkerWhileTheLoopRuns) {
    std::string expected, modelText;
    for (int i = 0; i < 200; ++i) expected += "line " + std::to_string(i) + "\r\n";
    QString shown;
    std::thread worker;
    std::atomic<bool> done{false};
    ui::runModal(kTest, nullptr, [&](ui::Window& w, const ui::Message& m) {
        if (m.msg != ui::Msg::Init) return 0;
        worker = std::thread([&w, &done] {
            for (int i = 0; i < 200; ++i)
                ui::appendTextSync(w, kText, "line " + std::to_string(i) + "\r\n");
            done = true;
        });
        when([&] { return done.load(); },
             [&] {
                 modelText = ui::getText(w, kText);
                 shown = widgetOf<QPlainTextEdit>(w, kText)->toPlainText();
                 ui::endDialog(w, 1);
             },
             [&] { ui::endDialog(w, 0); });
        return 1;
    });
    worker.join();
    EXPECT_EQ(modelText, expected);
    EXPECT_EQ(shown, QString::fromStdString(expected).remove(QLatin1Char('\r')));
}

using QtDialogs = QtHostTest;

TEST_F(QtDialogs, AMessageBoxShowsCaptionTextIconAndOnlyOk) {
    QStringList seen;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        seen = {box->windowTitle(), box->text(), QString::number(box->icon()),
                QString::number(box->buttons().size())};
        mouseClick(box->button(QMessageBox::Ok));
    });
    EXPECT_EQ(ui::messageBox(nullptr, "ZT not connected", "Error", ui::Icon::Warning), 1);
    EXPECT_EQ(seen, (QStringList{"Error", "ZT not connected", QString::number(QMessageBox::Warning),
                                 "1"}));
}

TEST_F(QtDialogs, SavingAddsTheDefaultExtensionAndCancelGivesNothing) {
    QTemporaryDir dir;
    ui::FileDialogRequest r;
    r.save = true;
    r.filters = {{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    r.defaultExtension = "eep";
    r.initialPath = dir.filePath(QStringLiteral("start")).toStdString();
    QStringList filters, shown;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        filters = d->nameFilters();
        auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types && i < types->count(); ++i) shown << types->itemText(i);
        d->selectFile(QStringLiteral("keyer"));
        static_cast<QDialog*>(d)->accept();  // QFileDialog::accept is protected
    });
    EXPECT_EQ(ui::fileDialog(nullptr, r), dir.filePath(QStringLiteral("keyer.eep")).toStdString());
    // Named as given; "*.*" is every file.
    EXPECT_EQ(shown, (QStringList{"Settings Files (*.eep)", "All Documents (*.*)"}));
    EXPECT_EQ(filters, (QStringList{"Settings Files (*.eep) (*.eep)", "All Documents (*.*) (*)"}));

    r.save = false;
    whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(ui::fileDialog(nullptr, r), std::nullopt);
}

TEST_F(QtDialogs, AnOpenDialogPresetsItsFilterAndAcceptsOnlyExistingFilesWhenAsked) {
    ui::FileDialogRequest r;
    r.filters = {{"All files", "*.*"}, {"Bin Files", "*.bin"}};
    r.initialFilter = 1;
    r.initialPath = "*.bin";
    QString selected, name;
    QFileDialog::FileMode modes[2]{};
    for (bool mustExist : {false, true}) {
        r.mustExist = mustExist;
        whenModal<QFileDialog>([&](QFileDialog* d) {
            selected = d->selectedNameFilter();
            modes[mustExist] = d->fileMode();
            name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            d->reject();
        });
        EXPECT_EQ(ui::fileDialog(nullptr, r), std::nullopt);
        EXPECT_EQ(selected, "Bin Files");  // named as given
        EXPECT_EQ(name, "*.bin");          // the name field starts with the pattern
    }
    EXPECT_EQ(modes[0], QFileDialog::AnyFile);
    EXPECT_EQ(modes[1], QFileDialog::ExistingFile);
}

}  // namespace
}  // namespace zttest
