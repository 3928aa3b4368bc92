#include "ui/qt/qt_dialog_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <functional>

#include "ui/qt/qt_accessible.h"
#include "ui/qt/qt_host.h"
#include "ui/qt/qt_widgets.h"

namespace ui::qtview {

namespace {

bool isMultiline(const Control& c) {
    return c.kind == Kind::Edit && (c.style & style::Multiline);
}

// Windows edit controls keep a line break as CR LF, Qt's as LF. A lone CR is
// dropped on the way to the view, so a CR LF split over two appends still
// shows as one break.
QString toView(const std::string& s, bool multiline) {
    QString q = QString::fromStdString(s);
    if (multiline) q.remove(QLatin1Char('\r'));
    return q;
}

std::string toModel(QString q, bool multiline) {
    if (multiline) q.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return q.toStdString();
}

// A length as the model counts it: UTF-8 bytes, a line break as two.
int modelLength(const QString& q, bool multiline) {
    return static_cast<int>(toModel(q, multiline).size());
}

// The longest head of s whose model length fits into room.
QString fitToRoom(const QString& s, int room, bool multiline) {
    int used = 0;
    qsizetype n = 0;
    for (; n < s.size(); ++n) {
        const char16_t u = s[n].unicode();
        const int len = (multiline && u == u'\n') ? 2 : (u < 0x80 ? 1 : (u < 0x800 ? 2 : 3));
        if (used + len > room) break;
        used += len;
    }
    return s.left(n);
}

// Pasted text gets the conversion typed characters get; no filter sees it.
QString convertText(const Control& c, QString s) {
    for (QChar& ch : s) ch = QChar(static_cast<char16_t>(convertTypedChar(c, ch.unicode())));
    return s;
}

// Breaks a caption into lines at blanks so that each fits width.
QString wrapCaption(const QString& text, const QFontMetrics& fm, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && fm.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines.join(QLatin1Char('\n'));
}

// The character a key press types, as Windows would hand it to WM_CHAR, or -1
// for keys that type nothing (navigation, Tab, Delete, Alt combinations).
int typedChar(const QKeyEvent* e, const Control& c) {
    switch (e->key()) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return isMultiline(c) ? '\n' : -1;  // Ctrl+Enter: a line break
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
        case Qt::Key_Escape:
            return -1;
        default:
            break;
    }
    const Qt::KeyboardModifiers m = e->modifiers();
    if ((m & Qt::AltModifier) && !(m & Qt::ControlModifier)) return -1;
    const QList<uint> u = e->text().toUcs4();
    return u.size() == 1 ? static_cast<int>(u[0]) : -1;
}

QString toQt(const std::string& s) {
    return QString::fromStdString(s);
}

// A caption as the platform shows it: the access key's letter underlined.
QString shownCaption(const QString& text, char key) {
    return toQt(markAccessKey(text.toStdString(), key));
}

// A frame's lines drawn over what its widget holds. At a fractional scale
// (1.5) a scroll area's text area and scroll bar, placed inside its frame,
// round out over the frame's right and bottom lines; drawn again on top, the
// frame keeps them. It takes no input.
class FrameLines : public QWidget {
  public:
    explicit FrameLines(QFrame* frame) : QWidget(frame), frame_(frame) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        frame->installEventFilter(this);
        // The scroll area raises its scroll bars when it lays them out.
        for (QWidget* part : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (part != this) part->installEventFilter(this);
        setGeometry(frame->rect());
        raise();
    }

  protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj == frame_ && e->type() == QEvent::Resize) setGeometry(frame_->rect());
        if (obj != frame_ && e->type() == QEvent::ZOrderChange) raise();
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOptionFrame opt;
        opt.initFrom(frame_);
        opt.rect = rect();
        opt.frameShape = frame_->frameShape();
        opt.lineWidth = frame_->lineWidth();
        opt.midLineWidth = frame_->midLineWidth();
        opt.state |=
            frame_->frameShadow() == QFrame::Sunken ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawControl(QStyle::CE_ShapedFrame, &opt, &p, frame_);
    }

  private:
    QFrame* frame_;
};

// Multi-line edit whose pasted and dropped text goes through adjustPaste.
class PlainEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;
    std::function<QString(const QString&)> adjustPaste;

    void keepFrameLines() {
        const qreal ratio = devicePixelRatioF();
        if (ratio != std::floor(ratio)) new FrameLines(this);
    }

  protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (!source->hasText() || !adjustPaste) return QPlainTextEdit::insertFromMimeData(source);
        insertPlainText(adjustPaste(source->text()));
        ensureCursorVisible();
    }
};

// Converts whatever reaches a single-line edit by paste or drop, and refuses a
// change that would grow the text past its limit. QLineEdit runs it for
// setText too, where the model's text must show as it is.
class EditValidator : public QValidator {
  public:
    EditValidator(QLineEdit* edit, Window& w, int id, const int& mirroring)
        : QValidator(edit), edit_(edit), w_(w), id_(id), mirroring_(mirroring) {}

    State validate(QString& input, int&) const override {
        if (mirroring_) return Acceptable;
        const Control& c = control(w_, id_);
        input = convertText(c, input);
        if (input.size() > edit_->text().size() && modelLength(input, false) > c.textLimit)
            return Invalid;
        return Acceptable;
    }

  private:
    QLineEdit* edit_;
    Window& w_;
    int id_;
    const int& mirroring_;
};

// How long a window that comes back waits for the window system's focus.
constexpr int kSettleMs = 100;

// Windows places a group box's caption in pixels, not dialog units: the text
// starts this far in from the left edge, with this much room either side.
constexpr int kCaptionIndent = 8;
constexpr int kCaptionGap = 2;
constexpr int kCaptionFlags =
    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;

}  // namespace

QRect GroupFrame::captionRect() const {
    if (title().isEmpty()) return {};
    const QFontMetrics fm = fontMetrics();
    const int textWidth = fm.size(kCaptionFlags, title()).width();
    return {kCaptionIndent - kCaptionGap, 0, textWidth + 2 * kCaptionGap, fm.height()};
}

int GroupFrame::frameTop() const {
    return std::max(0, fontMetrics().height() / 2 - 1);
}

void GroupFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Etched, as DrawEdge draws it: a shadow outline, and a highlight outline
    // one pixel further right and down.
    const int top = frameTop();
    const QRect outline(0, top, width() - 2, height() - top - 2);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(outline);
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(outline.translated(1, 1));
    const QRect caption = captionRect();
    if (caption.isEmpty()) return;
    // The caption's background breaks the frame line behind the text.
    p.fillRect(caption, palette().window());
    style()->drawItemText(&p, caption.adjusted(kCaptionGap, 0, -kCaptionGap, 0), kCaptionFlags,
                          palette(), isEnabled(), title(), QPalette::WindowText);
}

DialogView::DialogView(Window& w, QWidget* parent) : QDialog(parent), w_(w) {
    installAccessibleInterfaces();
    const DialogTemplate& t = *w.tmpl;
    Qt::WindowFlags flags =
        (parent ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.style & dstyle::SysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & dstyle::MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (t.style & dstyle::MaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
    // Windows disables the owner while a modal dialog runs, and nothing else.
    if (parent) setWindowModality(Qt::WindowModal);
    setWindowTitle(QString::fromStdString(w.title));

    setFont(dialogFont(t));
    units_ = baseUnits(font());
    createContent(t);
    for (std::size_t i = 0; i < t.controlCount; ++i) createControl(t.controls[i]);
    // Group boxes are frames behind the controls they hold.
    for (auto& [id, wd] : widgets_)
        if (dynamic_cast<QGroupBox*>(wd)) wd->lower();
    // A label is its control's buddy: screen readers read the pair as one. A
    // label shared by controls that take turns (the call signs) follows the
    // one shown (mirror).
    for (const auto& [id, c] : w_.controls)
        if (c.visible) followLabel(id);
}

DialogView::~DialogView() = default;

QWidget* DialogView::widget(int id) const {
    auto it = widgets_.find(id);
    return it == widgets_.end() ? nullptr : it->second;
}

QRect DialogView::place(int id) const {
    QWidget* wd = widget(id);
    return wd ? QRect(wd->mapTo(content_, QPoint(0, 0)), wd->size()) : QRect();
}

// The client area scrolls in the window, which is as large as the area
// until the screen is too small for it (see fitToScreen).
void DialogView::createContent(const DialogTemplate& t) {
    content_ = new QWidget;
    content_->setFixedSize(dialogRect(units_, 0, 0, t.cx, t.cy).size());
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);  // Tab goes from control to control only
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(content_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    setFixedSize(content_->size());
}

// The status bar's fields lie in one holder, made with the first of them and
// spanning them all.
QWidget* DialogView::statusArea(const DialogTemplate& t) {
    if (statusArea_) return statusArea_;
    QRect span;
    for (std::size_t i = 0; i < t.controlCount; ++i) {
        const ControlTemplate& c = t.controls[i];
        if (c.kind == Kind::Static && (c.style & style::StatusField))
            span |= dialogRect(units_, c.x, c.y, c.cx, c.cy);
    }
    statusArea_ = new StatusArea(content_);
    statusArea_->setGeometry(span);
    return statusArea_;
}

void DialogView::setVisible(bool visible) {
    if (visible && !isVisible()) fitToScreen();
    QDialog::setVisible(visible);
}

// The frame a window manager puts around the window is known once the window
// is up: a window that had to be made smaller is fitted again with it, and
// kept on its screen.
void DialogView::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() != QEvent::ActivationChange || !isActiveWindow()) return;
    // The focus comes back after this event; the result follows it.
    if (announcing_) QTimer::singleShot(0, this, [this] { showNotice(); });
    if (!limited_) return;
    limited_ = false;
    fitToScreen();
    const QRect room = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    if (room.contains(frame)) return;
    move(std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - frame.width())),
         std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() - frame.height())));
}

// A window larger than the screen it opens on (a large scale on a small
// screen) gets the screen's room and scroll bars, and can be made larger up
// to its full size; one that fits keeps its fixed size.
void DialogView::fitToScreen() {
    const QSize full = content_->size();
    QWidget* owner = parentWidget() ? parentWidget()->window() : this;
    const QScreen* screen = owner->screen();
    if (!screen) return;
    // The frame is known once the window has been shown; before, a title bar
    // of two lines and a thin edge are assumed.
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) {
        const int edge = style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 2;
        frame = QMargins(edge, 2 * fontMetrics().height() + edge, edge, edge);
    }
    const QSize room = screen->availableGeometry().size().shrunkBy(frame);
    const bool fits = full.width() <= room.width() && full.height() <= room.height();
    const Qt::ScrollBarPolicy bars = fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    scroll_->setHorizontalScrollBarPolicy(bars);
    scroll_->setVerticalScrollBarPolicy(bars);
    limited_ = !fits;
    if (fits) {
        setFixedSize(full);
        return;
    }
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_);
    const bool across = full.width() > room.width(), down = full.height() > room.height();
    QSize size = full + QSize(down ? bar : 0, across ? bar : 0);
    if (!across && size.width() > room.width()) size.rheight() += bar;
    if (!down && size.height() > room.height()) size.rwidth() += bar;
    size = size.boundedTo(room);
    setMinimumSize(size.boundedTo(QSize(160, 120)));
    setMaximumSize(full + QSize(bar, bar));
    resize(size);
}

int DialogView::focused() const {
    for (QWidget* f = focusWidget(); f && f != this; f = f->parentWidget()) {
        auto it = ids_.find(f);
        if (it != ids_.end()) return it->second;
    }
    return 0;
}

void DialogView::focus(int id, bool selectText) {
    QWidget* wd = widget(id);
    if (!wd) return;
    wd->setFocus(Qt::OtherFocusReason);
    // The whole control in view, not only an edit's caret.
    const QRect r = place(id);
    scroll_->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 1, r.height() / 2 + 1);
    if (!selectText) return;
    if (auto* e = qobject_cast<QLineEdit*>(wd)) {
        e->selectAll();
    } else if (auto* e = qobject_cast<QPlainTextEdit*>(wd)) {
        e->selectAll();
    } else if (auto* b = qobject_cast<QComboBox*>(wd); b && b->lineEdit()) {
        b->lineEdit()->selectAll();
    }
}

void DialogView::announce() {
    announcing_ = true;
    if (isActiveWindow()) showNotice();
}

void DialogView::showNotice() {
    if (!announcing_) return;
    announcing_ = false;
    if (!notice_) notice_ = new Notice(statusArea_ ? statusArea_ : content_, w_.announcement);
    // Shown anew, it is a notification that a screen reader speaks.
    notice_->hide();
    notice_->show();
}

void DialogView::comeBack(QWidget* hadFocus) {
    if (!isVisible()) return;
    activateWindow();
    if (hadFocus && hadFocus->window() == this && hadFocus->isEnabled()) hadFocus->setFocus();
    // Qt drops the activation that arrives while a popup of the window that
    // went (a file dialog's name completer) still holds the keyboard: the
    // window system has given this window the focus, and the widgets are told
    // so once that is over.
    QTimer::singleShot(kSettleMs, this, [this] {
        if (!isVisible() || isActiveWindow() || QGuiApplication::focusWindow() != windowHandle())
            return;
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
        QApplication::setActiveWindow(this);
#else
        activateWindow();
#endif
    });
}

void DialogView::followLabel(int id) {
    auto* label = qobject_cast<QLabel*>(widget(control(w_, id).label));
    if (label && widget(id) && label->buddy() != widget(id)) label->setBuddy(widget(id));
}

void DialogView::nameControl(QWidget* wd, const Control& c) {
    if (!needsName(c.kind)) return;
    wd->setAccessibleName(toQt(c.name));
    if (auto* b = qobject_cast<QComboBox*>(wd); b && b->lineEdit())
        b->lineEdit()->setAccessibleName(toQt(c.name));
}

void DialogView::createControl(const ControlTemplate& t) {
    const int id = t.id;
    const Control& c = control(w_, id);
    QRect r = dialogRect(units_, t.x, t.y, t.cx, t.cy);
    QWidget* parent = content_;
    if (t.kind == Kind::Static && (t.style & style::StatusField)) {
        parent = statusArea(*w_.tmpl);
        r.translate(-parent->pos());
    }
    QWidget* wd = nullptr;
    switch (t.kind) {
        case Kind::PushButton: {
            auto* b = new QPushButton(parent);
            b->setAutoDefault(false);  // Enter is the dialog manager's, never a button's own
            b->setDefault(false);
            connect(b, &QPushButton::clicked, this, [this, id] { click(w_, id); });
            wd = b;
            break;
        }
        case Kind::CheckBox: {
            auto* b = new ModelButton<QCheckBox>(parent);
            connect(b, &QCheckBox::clicked, this, [this, id] { click(w_, id); });
            wd = b;
            break;
        }
        case Kind::RadioButton: {
            auto* b = new ModelButton<QRadioButton>(parent);
            b->setAutoExclusive(false);
            connect(b, &QRadioButton::clicked, this, [this, id] { click(w_, id); });
            wd = b;
            break;
        }
        case Kind::GroupBox:
            wd = new GroupFrame(parent);
            break;
        case Kind::Static: {
            auto* l = new QLabel(parent);
            l->setTextFormat(Qt::PlainText);
            Qt::Alignment a = (c.style & style::Center)  ? Qt::AlignHCenter
                              : (c.style & style::Right) ? Qt::AlignRight
                                                         : Qt::AlignLeft;
            a |= (c.style & style::VCenter) ? Qt::AlignVCenter : Qt::AlignTop;
            l->setAlignment(a);
            // Windows wraps static text at blanks, except the vertically centred kind.
            l->setWordWrap(!(c.style & style::VCenter));
            wd = l;
            break;
        }
        case Kind::Edit:
            if (c.style & style::Multiline) {
                auto* e = new PlainEdit(parent);
                e->setFrameShape((c.style & style::Border) ? QFrame::StyledPanel : QFrame::NoFrame);
                e->setReadOnly(c.style & style::ReadOnly);
                e->setTabChangesFocus(true);
                e->setVerticalScrollBarPolicy((c.style & style::VScroll) ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
                e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                e->setLineWrapMode((c.style & style::AutoHScroll) ? QPlainTextEdit::NoWrap
                                                                  : QPlainTextEdit::WidgetWidth);
                e->document()->setDocumentMargin(2);
                if (c.style & style::Border) e->keepFrameLines();  // above the scroll bar
                e->adjustPaste = [this, e, id](const QString& text) {
                    const Control& now = control(w_, id);
                    QString selected = e->textCursor().selectedText();
                    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
                    const int room = now.textLimit - (modelLength(e->toPlainText(), true) -
                                                      modelLength(selected, true));
                    QString s = text;
                    s.remove(QLatin1Char('\r'));
                    return fitToRoom(convertText(now, s), room, true);
                };
                connect(e, &QPlainTextEdit::textChanged, this, [this, id] { edited(id); });
                wd = e;
            } else {
                auto* e = new QLineEdit(parent);
                e->setFrame(c.style & style::Border);
                e->setReadOnly(c.style & style::ReadOnly);
                if (c.style & style::Center) e->setAlignment(Qt::AlignCenter);
                if (c.style & style::Right) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                e->setValidator(new EditValidator(e, w_, id, mirroring_));
                connect(e, &QLineEdit::textChanged, this, [this, id] { edited(id); });
                wd = e;
            }
            break;
        case Kind::ComboBox: {
            auto* b = new ModelCombo(parent);
            b->setEditable(true);
            b->setInsertPolicy(QComboBox::NoInsert);  // the list is the program's
            b->setCompleter(nullptr);                 // Windows completes nothing
            // The template's height is the dropped-down list's; the box itself
            // is as high as its font needs, and the list shows what fits below.
            const int boxHeight = b->sizeHint().height();
            b->setMaxVisibleItems(std::max(1, (r.height() - boxHeight) / units_.cy));
            r.setHeight(boxHeight);
            connect(b, &QComboBox::activated, this, [this, b, id](int index) {
                // Leaving the text part with an entry's text typed in chooses
                // nothing: the list shows the model's choice again.
                if (b->leaving()) return mirror(id);
                selectItem(w_, id, index);
            });
            connect(b, &QComboBox::editTextChanged, this, [this, id](const QString& text) {
                if (!mirroring_) viewEdited(w_, id, text.toStdString());
            });
            watch(b->lineEdit(), id);
            wd = b;
            break;
        }
        case Kind::Progress: {
            auto* p = new QProgressBar(parent);
            p->setRange(0, 100);
            p->setTextVisible(false);
            wd = p;
            break;
        }
    }
    wd->setGeometry(r);  // before mirror: a multi-line caption wraps to the width
    widgets_[id] = wd;
    watch(wd, id);
    nameControl(wd, c);
    mirror(id);
    if (t.kind == Kind::CheckBox || t.kind == Kind::RadioButton) {
        // Windows centres the box in a rectangle that may be lower than Qt's
        // indicator; grow it evenly so that the indicator is not cut off.
        const int grow = wd->sizeHint().height() - r.height();
        if (grow > 0) wd->setGeometry(r.adjusted(0, -grow / 2, 0, grow - grow / 2));
    }
}

void DialogView::watch(QObject* part, int id) {
    ids_[part] = id;
    part->installEventFilter(this);
}

void DialogView::mirror(int id) {
    QWidget* wd = widget(id);
    if (!wd) return;
    const Control& c = control(w_, id);
    ++mirroring_;
    if (wd->isEnabled() != c.enabled) {
        // As on Windows, a control disabled with the focus leaves the focus
        // nowhere, where Qt would pass it on to the next control: an operation
        // that disables its buttons would otherwise walk it along the row.
        QWidget* f = focusWidget();
        if (!c.enabled && f && (f == wd || wd->isAncestorOf(f))) f->clearFocus();
        wd->setEnabled(c.enabled);
    }
    if (wd->isHidden() == c.visible) {
        wd->setHidden(!c.visible);
        if (c.visible) followLabel(id);
    }
    const QString text = QString::fromStdString(c.text);
    switch (c.kind) {
        case Kind::PushButton: {
            auto* b = static_cast<QPushButton*>(wd);
            // Windows wraps a multi-line button's caption at blanks.
            const QString lines = (c.style & style::Multiline)
                                      ? wrapCaption(text, b->fontMetrics(), b->width() - units_.cx)
                                      : text;
            b->setText(shownCaption(lines, c.accessKey));
            break;
        }
        case Kind::CheckBox:
        case Kind::RadioButton: {
            auto* b = static_cast<QAbstractButton*>(wd);
            b->setText(shownCaption(text, c.accessKey));
            b->setChecked(c.checked);
            break;
        }
        case Kind::GroupBox:
            static_cast<QGroupBox*>(wd)->setTitle(shownCaption(text, c.accessKey));
            break;
        case Kind::Static:
            static_cast<QLabel*>(wd)->setText(text);
            break;
        case Kind::Edit: {
            const QString shown = toView(c.text, isMultiline(c));
            if (auto* e = dynamic_cast<QLineEdit*>(wd)) {
                if (e->text() != shown) {
                    e->setText(shown);
                    e->setCursorPosition(0);  // as WM_SETTEXT leaves it: the start in view
                }
            } else if (auto* e = dynamic_cast<QPlainTextEdit*>(wd)) {
                if (e->toPlainText() != shown) e->setPlainText(shown);
            }
            break;
        }
        case Kind::ComboBox: {
            auto* b = static_cast<QComboBox*>(wd);
            QStringList items;
            for (const std::string& item : c.items) items << QString::fromStdString(item);
            QStringList shown;
            for (int i = 0; i < b->count(); ++i) shown << b->itemText(i);
            if (items != shown) {
                b->clear();
                b->addItems(items);
            }
            auto at = [](const std::vector<std::string>& v, std::size_t i) {
                return QString::fromStdString(i < v.size() ? v[i] : std::string());
            };
            for (std::size_t i = 0; i < c.items.size(); ++i) {
                const int row = static_cast<int>(i);
                b->setItemData(row, at(c.itemTips, i), Qt::ToolTipRole);
                b->setItemData(row, at(c.itemDescriptions, i), Qt::AccessibleDescriptionRole);
            }
            if (b->currentIndex() != c.selection) b->setCurrentIndex(c.selection);
            if (b->currentText() != text) b->setEditText(text);
            b->lineEdit()->setCursorPosition(0);
            break;
        }
        case Kind::Progress:
            static_cast<QProgressBar*>(wd)->setValue(c.progress);
            break;
    }
    wd->setToolTip(toQt(c.tip));
    if (wd->accessibleDescription() != toQt(c.description))
        wd->setAccessibleDescription(toQt(c.description));
    --mirroring_;
}

void DialogView::edited(int id) {
    if (mirroring_) return;
    QWidget* wd = widget(id);
    if (auto* e = dynamic_cast<QLineEdit*>(wd)) {
        viewEdited(w_, id, toModel(e->text(), false));
    } else if (auto* e = dynamic_cast<QPlainTextEdit*>(wd)) {
        viewEdited(w_, id, toModel(e->toPlainText(), true));
    }
}

void DialogView::appendText(int id, const std::string& s) {
    Control& c = control(w_, id);
    // A full edit takes no more, as one that gets EM_REPLACESEL.
    const std::string fits = fitsInLimit(c, s);
    c.text += fits;
    auto* e = dynamic_cast<QPlainTextEdit*>(widget(id));
    if (!e) return mirror(id);
    ++mirroring_;
    // As an edit that gets EM_SETSEL to the end and EM_REPLACESEL.
    e->moveCursor(QTextCursor::End);
    e->insertPlainText(toView(fits, true));
    if (c.style & style::AutoVScroll) e->ensureCursorVisible();
    --mirroring_;
}

void DialogView::mirrorTimer(int timerId) {
    auto it = w_.timers.find(timerId);
    auto t = timers_.find(timerId);
    if (it == w_.timers.end()) {
        if (t != timers_.end()) {
            delete t->second;
            timers_.erase(t);
        }
        return;
    }
    if (t == timers_.end()) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timerId] {
            if (Busy::depth == 0) timerTick(w_, timerId);
        });
        t = timers_.emplace(timerId, timer).first;
    }
    t->second->start(it->second);
}

void DialogView::runLoop() {
    if (w_.ended) return;
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    loop_ = &loop;
    if (!w_.ended) loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
}

void DialogView::endLoop() {
    hide();  // as EndDialog does at once; the window itself goes when the loop is left
    if (loop_) loop_->quit();
}

bool DialogView::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::InputMethod) return false;
    auto it = ids_.find(obj);
    auto* wd = qobject_cast<QWidget*>(obj);
    // Only events sent past the window system can reach a disabled widget.
    if (it == ids_.end() || !wd || !wd->isEnabled()) return false;
    if (e->type() == QEvent::InputMethod)
        return composedText(static_cast<QInputMethodEvent*>(e), it->second);
    auto* ke = static_cast<QKeyEvent*>(e);
    return dialogKey(ke, it->second) || typedKey(ke, it->second);
}

void DialogView::keyPressEvent(QKeyEvent* e) {
    if (!dialogKey(e, 0)) QWidget::keyPressEvent(e);  // not QDialog's: it would end itself
}

void DialogView::closeEvent(QCloseEvent* e) {
    e->ignore();  // the procedure decides whether the window ends
    if (Busy::depth) {
        // Mid-operation, Windows would queue the request: ask again later.
        QTimer::singleShot(50, this, [this] {
            if (!w_.ended) close();
        });
        return;
    }
    closeBox(w_);
}

// Enter and Escape as IsDialogMessage treats them; id is the focused control,
// 0 for the dialog itself.
bool DialogView::dialogKey(QKeyEvent* e, int id) {
    const Control* c = id ? &control(w_, id) : nullptr;
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (c && isMultiline(*c) && (e->modifiers() & Qt::ControlModifier)) return false;
            // A push button with the focus is the default button.
            if (c && c->kind == Kind::PushButton) {
                click(w_, id);
            } else {
                pressEnter(w_);
            }
            return true;
        case Qt::Key_Escape:
            pressEscape(w_);
            return true;
        default:
            return false;
    }
}

// A key typed into an edit: the model decides whether the character gets in
// and what it becomes; the widget then inserts it. Keys that type nothing and
// accepted control characters (backspace, Ctrl+V) are the widget's own.
bool DialogView::typedKey(QKeyEvent* e, int id) {
    const Control& c = control(w_, id);
    // A read-only edit refuses typing by itself and must keep Ctrl+C working.
    if (c.kind != Kind::Edit || (c.style & style::ReadOnly)) return false;
    const int ch = typedChar(e, c);
    if (ch < 0) return false;
    if (!acceptsTypedChar(w_, id, ch)) return true;
    if (ch == '\n') return insertTyped(id, QStringLiteral("\n"));
    if (ch < 32 || ch == 127) return false;
    const char32_t converted = static_cast<char32_t>(convertTypedChar(control(w_, id), ch));
    return insertTyped(id, QString::fromUcs4(&converted, 1));
}

// Characters finished by an input method (dead keys, compose) are typed
// characters too: each passes the model's rules like a key press.
bool DialogView::composedText(QInputMethodEvent* e, int id) {
    const Control& c = control(w_, id);
    if (c.kind != Kind::Edit || (c.style & style::ReadOnly) || e->commitString().isEmpty() ||
        !e->preeditString().isEmpty())
        return false;
    QString accepted;
    for (const uint ch : e->commitString().toUcs4()) {
        if (!acceptsTypedChar(w_, id, static_cast<int>(ch))) continue;
        const char32_t converted =
            static_cast<char32_t>(convertTypedChar(control(w_, id), static_cast<int>(ch)));
        accepted += QString::fromUcs4(&converted, 1);
    }
    if (!accepted.isEmpty()) insertTyped(id, accepted);
    return true;
}

bool DialogView::insertTyped(int id, const QString& s) {
    const Control& c = control(w_, id);
    const bool multiline = isMultiline(c);
    QWidget* wd = widget(id);
    if (auto* e = dynamic_cast<QLineEdit*>(wd)) {
        const int after = modelLength(e->text(), false) - modelLength(e->selectedText(), false) +
                          modelLength(s, false);
        if (after <= c.textLimit) e->insert(s);
    } else if (auto* e = dynamic_cast<QPlainTextEdit*>(wd)) {
        QString selected = e->textCursor().selectedText();
        selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        const int after = modelLength(e->toPlainText(), multiline) -
                          modelLength(selected, multiline) + modelLength(s, multiline);
        if (after <= c.textLimit) {
            e->insertPlainText(s);
            e->ensureCursorVisible();
        }
    }
    return true;  // a character past the limit is swallowed, as a full edit does
}

}  // namespace ui::qtview
