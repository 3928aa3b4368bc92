// Tips reach the widgets, and the real templates lay out so that every
// caption fits where the template puts it.

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>

#include "common/keyer_records.h"
#include "firmware/identify.h"
#include "qt_fixture.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "ui/qt/qt_dialog_view.h"

namespace zttest {
namespace {

using QtMirror = QtHostTest;

// Tips, which the shared cases do not read: on Qt a widget's own tooltip.
TEST_F(QtMirror, TipsReachTheWidgets) {
    ui::Window& w = open(kTest);
    ui::setTip(w, kUpper, "/dev/ttyS0");
    for (const char* item : {"COM1", "COM3", "COM7"}) ui::comboAdd(w, kList, item);
    ui::comboSetItemTip(w, kList, 2, "/dev/ttyUSB0");
    EXPECT_EQ(widgetOf(w, kUpper)->toolTip(), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(widgetOf<QComboBox>(w, kList)->itemData(2, Qt::ToolTipRole).toString(),
              QStringLiteral("/dev/ttyUSB0"));
}

// ---- The real templates -----------------------------------------------------------

using QtLayout = QtHostTest;

TEST_F(QtLayout, EveryCaptionFitsItsControl) {
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        for (std::size_t i = 0; i < t->controlCount; ++i) {
            QWidget* wd = ui::controlWidget(w, t->controls[i].id);
            const std::string where = t->title + (", " + std::to_string(t->controls[i].id));
            EXPECT_TRUE(ui::windowWidget(w)->rect().contains(wd->geometry())) << where;
            const QFontMetrics fm = wd->fontMetrics();
            if (auto* b = qobject_cast<QPushButton*>(wd)) {
                const QStringList lines = b->text().split(QLatin1Char('\n'));
                for (const QString& line : lines)
                    EXPECT_LE(fm.size(Qt::TextShowMnemonic, line).width() + 4, b->width()) << where;
                EXPECT_LE(lines.size() * fm.height(), b->height()) << where;
            } else if (auto* b = qobject_cast<QAbstractButton*>(wd)) {
                QStyleOptionButton opt;
                opt.initFrom(b);
                const QRect caption = b->style()->subElementRect(
                    qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                                   : QStyle::SE_CheckBoxContents,
                    &opt, b);
                EXPECT_LE(caption.left() + fm.horizontalAdvance(b->text()), b->width()) << where;
            } else if (auto* l = qobject_cast<QLabel*>(wd); l && !l->text().isEmpty()) {
                EXPECT_LE(l->wordWrap() ? l->heightForWidth(l->width()) : fm.height(), l->height())
                    << where;
                if (!l->wordWrap()) {
                    EXPECT_LE(fm.horizontalAdvance(l->text()), l->width()) << where;
                }
            } else if (auto* g = dynamic_cast<ui::qtview::GroupFrame*>(wd)) {
                // The caption holds its text and leaves the frame's right corner whole.
                const QRect caption = g->captionRect();
                EXPECT_GE(caption.width(), fm.horizontalAdvance(g->title())) << where;
                EXPECT_GT(caption.left(), 1) << where;
                EXPECT_LT(caption.right(), g->width() - 3) << where;
            } else {
                EXPECT_FALSE(qobject_cast<QGroupBox*>(wd)) << where << ": a group box Qt draws";
            }
        }
    }
}

// The uploader's message line is one line high: its longest texts, the
// refusals of an image for another chip, must fit across it unbroken.
TEST_F(QtLayout, UploaderMessageLineHoldsItsLongestText) {
    ui::Window& w = open(zt::kUploaderTemplate);
    auto* line = qobject_cast<QLabel*>(ui::controlWidget(w, zt::ids::kUploadMessage));
    ASSERT_TRUE(line);
    for (int keyer = zt::kVariantSmt; keyer <= zt::kVariantMini; ++keyer) {
        for (int family : {0, 50, 100, 150}) {
            const std::string text = zt::CheckImageForKeyer(keyer, family).refusal;
            ui::setText(w, zt::ids::kUploadMessage, text);
            EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width()) << text;
            EXPECT_LE(line->heightForWidth(line->width()), line->height()) << text;
        }
    }
}

// A group box looks as on Windows: its caption starts at the top of its
// rectangle, and the frame's top line runs through the caption, is broken
// behind it, and passes above every control the box frames.
TEST_F(QtLayout, GroupBoxFramesRunThroughTheirCaptions) {
    int boxes = 0;
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        QDialog* dialog = ui::windowWidget(w);
        const QImage image = dialog->grab().toImage();
        const int background = qGray(dialog->palette().color(QPalette::Window).rgb());
        auto gray = [&](int x, int y) { return qGray(image.pixel(x, y)); };
        auto frameInk = [&](int x, int y) { return gray(x, y) < background - 12; };
        auto textInk = [&](int x, int y) { return gray(x, y) < 0x60; };  // the line is lighter
        auto rect = [](const ui::ControlTemplate& c) {
            return QRect(c.x, c.y, c.cx, c.kind == ui::Kind::ComboBox ? 12 : c.cy);
        };
        for (std::size_t i = 0; i < t->controlCount; ++i) {
            const ui::ControlTemplate& g = t->controls[i];
            if (g.kind != ui::Kind::GroupBox) continue;
            ++boxes;
            SCOPED_TRACE(t->title + (", " + std::to_string(g.id)));
            const QRect box = ui::controlWidget(w, g.id)->geometry();
            int framedTop = box.bottom();
            for (std::size_t j = 0; j < t->controlCount; ++j) {
                const ui::ControlTemplate& c = t->controls[j];
                if (j != i && rect(g).contains(rect(c)))
                    framedTop = std::min(framedTop, ui::controlWidget(w, c.id)->geometry().top());
            }

            // The top line, found down the right side, where no caption reaches.
            int line = -1;
            for (int y = std::max(0, box.top() - 4); y < box.bottom() && line < 0; ++y)
                if (frameInk(box.right() - 3, y)) line = y;
            ASSERT_GE(line, 0) << "no frame";
            EXPECT_LT(line, framedTop) << "the frame's top line crosses a framed control";

            // The caption: the text ink above the framed controls.
            QRect ink;
            for (int y = std::max(0, box.top() - 4); y < framedTop; ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    if (textInk(x, y)) ink |= QRect(x, y, 1, 1);
            ASSERT_FALSE(ink.isEmpty()) << "no caption";
            EXPECT_GE(ink.top(), box.top()) << "the caption starts above the box";
            EXPECT_LT(ink.top(), line);
            EXPECT_GT(ink.bottom(), line) << "the line passes beside the caption, not through";
            EXPECT_GT(ink.left(), box.left() + 2) << "the caption sits on the corner";

            // Along the line: frame before the caption, a gap in the caption's
            // blanks, frame again after it.
            EXPECT_TRUE(frameInk(box.left() + 2, line));
            int blanks = 0;
            for (int x = ink.left(); x <= ink.right(); ++x) blanks += frameInk(x, line) ? 0 : 1;
            EXPECT_GT(blanks, 0) << "the line runs through the caption's text";
            bool resumes = false;
            for (int x = ink.right() + 1; x < box.right() - 2; ++x) resumes |= frameInk(x, line);
            EXPECT_TRUE(resumes) << "the caption runs into the right corner";
        }
    }
    EXPECT_GT(boxes, 0);
}

// Controls apart in the template stay apart on screen (a combo box or check
// box grown past its rectangle, or edges rounded apart, would overlap).
TEST_F(QtLayout, ControlsApartInTheTemplateDoNotOverlap) {
    auto rect = [](const ui::ControlTemplate& c) {  // a combo's height is its list's
        return QRect(c.x, c.y, c.cx, c.kind == ui::Kind::ComboBox ? 12 : c.cy);
    };
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        for (std::size_t i = 0; i < t->controlCount; ++i) {
            for (std::size_t j = i + 1; j < t->controlCount; ++j) {
                const ui::ControlTemplate &a = t->controls[i], &b = t->controls[j];
                if (a.kind == ui::Kind::GroupBox || b.kind == ui::Kind::GroupBox ||
                    rect(a).intersects(rect(b)))
                    continue;
                EXPECT_FALSE(ui::controlWidget(w, a.id)->geometry().intersects(
                    ui::controlWidget(w, b.id)->geometry()))
                    << t->title << ": " << a.id << " and " << b.id;
            }
        }
    }
}

}  // namespace
}  // namespace zttest
