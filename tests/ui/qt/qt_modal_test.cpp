// The message box and file dialogs of the Qt host.

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include "qt_fixture.h"

namespace zttest {
namespace {

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
