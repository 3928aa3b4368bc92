#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QThread>
#include <cmath>

#include "ui/qt/qt_dialog_view.h"

namespace ui {

using qtview::DialogView;
using qtview::viewOf;

namespace {

// MulDiv as Windows maps dialog units: rounded half away from zero.
int mulDiv(int v, int num, int den) {
    const long long p = static_cast<long long>(v) * num;
    return static_cast<int>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
}

// Liberation Sans has Arial's metrics, the closest installed match to the
// Windows dialog faces; DejaVu Sans is wider but everywhere.
QString sansFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Liberation Sans", "DejaVu Sans"})
        if (installed.contains(QLatin1String(family))) return QString::fromLatin1(family);
    return QApplication::font().family();
}

// A filter as Qt takes it, "Name (patterns)", with the name as the program
// gives it ("Settings Files (*.eep)", "Bin Files"); the dialog shows only the
// name (HideNameFilterDetails). Windows' "*.*" means every file, Qt's only
// names with a point.
QString nameFilter(const std::string& name, const std::string& patterns) {
    QStringList list = QString::fromStdString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : list)
        if (p.trimmed() == QLatin1String("*.*")) p = QStringLiteral("*");
    return QString::fromStdString(name) + QStringLiteral(" (") + list.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

QWidget* ownerWidget(Window* owner) {
    return owner ? windowWidget(*owner) : nullptr;
}

// A window of ours that a modal window covered becomes active again once that
// window has gone, with the focus where it was: left to the window manager, it
// is sometimes left without the focus, and the keys go on working unheard.
class ComingBack {
  public:
    explicit ComingBack(Window* owner) {
        view_ = dynamic_cast<DialogView*>(QApplication::activeWindow());
        if (!view_ && owner) view_ = viewOf(*owner);
        if (view_) hadFocus_ = view_->focusWidget();
    }
    ~ComingBack() {
        if (view_) view_->comeBack(hadFocus_);
    }
    ComingBack(const ComingBack&) = delete;
    ComingBack& operator=(const ComingBack&) = delete;

  private:
    QPointer<DialogView> view_;
    QPointer<QWidget> hadFocus_;
};

}  // namespace

QFont dialogFont(const DialogTemplate& t) {
    static const QString family = sansFamily();
    QFont f(family);
    f.setPointSize(t.pointSize > 0 ? t.pointSize : 8);
    return f;
}

BaseUnits baseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The whole cell height: a static text one unit-height high must hold a
    // full line, as a Windows font's integer tmHeight does.
    return {(width / 26 + 1) / 2, static_cast<int>(std::ceil(QFontMetricsF(font).height()))};
}

QRect dialogRect(BaseUnits u, int x, int y, int cx, int cy) {
    // Edges are mapped, not sizes, so that controls the template puts edge to
    // edge do not overlap by a rounded pixel.
    const int left = mulDiv(x, u.cx, 4), top = mulDiv(y, u.cy, 8);
    return QRect(QPoint(left, top),
                 QPoint(mulDiv(x + cx, u.cx, 4) - 1, mulDiv(y + cy, u.cy, 8) - 1));
}

QtHost::QtHost(const char* const* iconXpm) : iconXpm_(iconXpm) {
    // Windows end through the model; Qt must not end the application (and with
    // it every nested modal loop) because the last window went away.
    QApplication::setQuitOnLastWindowClosed(false);
}

QtHost::~QtHost() = default;

void QtHost::opened(Window& w) {
    auto* v = new DialogView(w, ownerWidget(w.owner));
    if (iconXpm_) v->setWindowIcon(QIcon(QPixmap(iconXpm_)));
    w.view = v;
}

void QtHost::modalLoop(Window& w) {
    viewOf(w)->runLoop();
}

void QtHost::closed(Window& w) {
    DialogView* v = viewOf(w);
    const bool shown = v->isVisible() || w.ended;
    w.view = nullptr;
    v->hide();
    delete v;
    DialogView* owner = w.owner ? viewOf(*w.owner) : nullptr;
    if (shown && owner) owner->comeBack(owner->focusWidget());
}

void QtHost::changed(Window& w, int id) {
    if (DialogView* v = viewOf(w)) v->mirror(id);
}

void QtHost::dialogEnded(Window& w) {
    if (DialogView* v = viewOf(w)) v->endLoop();
}

void QtHost::timerChanged(Window& w, int timerId) {
    if (DialogView* v = viewOf(w)) v->mirrorTimer(timerId);
}

void QtHost::repaint(Window& w) {
    if (!viewOf(w) || QThread::currentThread() != qApp->thread()) return;
    // Paint what the model changed; input stays queued and ticks are not
    // delivered, as during a blocking operation on Windows.
    DialogView::Busy busy;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtHost::appendTextSync(Window& w, int id, const std::string& s) {
    DialogView* v = viewOf(w);
    if (QThread::currentThread() == v->thread()) {
        v->appendText(id, s);
        return;
    }
    // The worker waits until the text is in, as with SendMessage; therefore the
    // GUI thread must never wait for the worker.
    QMetaObject::invokeMethod(
        v, [v, id, &s] { v->appendText(id, s); }, Qt::BlockingQueuedConnection);
}

int QtHost::messageBox(Window* owner, const std::string& text, const std::string& caption,
                       Icon icon) {
    if (messageBoxHook) return messageBoxHook(owner, text, caption, icon);
    const ComingBack back(owner);
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    ownerWidget(owner));
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return 1;
}

std::optional<std::string> QtHost::fileDialog(Window* owner, const FileDialogRequest& request) {
    if (fileDialogHook) return fileDialogHook(owner, request);
    const ComingBack back(owner);
    QFileDialog dialog(ownerWidget(owner), QString::fromStdString(request.title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!request.save && request.mustExist ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the program's dialogs never ask
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters;
    for (const auto& [name, patterns] : request.filters) filters << nameFilter(name, patterns);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.initialFilter > 0 && request.initialFilter < filters.size())
            dialog.selectNameFilter(filters[request.initialFilter]);
    }
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialPath.empty()) {
        const QFileInfo initial(QString::fromStdString(request.initialPath));
        if (initial.isDir()) {
            dialog.setDirectory(initial.absoluteFilePath());
        } else {
            if (initial.path() != QLatin1String(".")) dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.first().toStdString();
}

int QtHost::focusedControl(const Window& w) {
    DialogView* v = viewOf(w);
    return v ? v->focused() : 0;
}

void QtHost::setFocus(Window& w, int id, bool selectText) {
    if (DialogView* v = viewOf(w)) v->focus(id, selectText);
}

void QtHost::announce(Window& w) {
    if (DialogView* v = viewOf(w)) v->announce();
}

QDialog* windowWidget(const Window& w) {
    return viewOf(w);
}

QWidget* controlWidget(const Window& w, int id) {
    DialogView* v = viewOf(w);
    return v ? v->widget(id) : nullptr;
}

QRect controlRect(const Window& w, int id) {
    DialogView* v = viewOf(w);
    return v ? v->place(id) : QRect();
}

QWidget* clientArea(const Window& w) {
    DialogView* v = viewOf(w);
    return v ? v->content() : nullptr;
}

bool grabWindow(Window& w, const std::string& path) {
    DialogView* v = viewOf(w);
    if (!v) return false;
    const bool shown = v->isVisible();
    if (!shown) {
        // Laid out and polished as on screen, without appearing there.
        v->setAttribute(Qt::WA_DontShowOnScreen);
        v->show();
    }
    const QPixmap image = v->grab();
    if (!shown) {
        v->hide();
        v->setAttribute(Qt::WA_DontShowOnScreen, false);
    }
    return image.save(QString::fromStdString(path), "PNG");
}

bool renderTemplate(const DialogTemplate& t, const std::string& path,
                    const std::function<void(Window&)>& fill) {
    if (!dynamic_cast<QtHost*>(currentHost())) return false;
    std::unique_ptr<Window> w = openWindow(t, nullptr, {});
    if (fill) fill(*w);
    const bool ok = grabWindow(*w, path);
    closeWindow(*w);
    return ok;
}

}  // namespace ui
