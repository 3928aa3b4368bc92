// The windows at any scale (the test program runs once more at 1.5, on an
// offscreen screen the main window does not fit): every frame keeps its lines,
// and a window fits its screen with every control within reach.

#include <QDialog>
#include <QImage>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>

#include "qt_fixture.h"
#include "resources/templates.h"

namespace zttest {
namespace {

using QtScaled = QtHostTest;

bool framed(const ui::Control& c) {
    return (c.kind == ui::Kind::Edit && (c.style & ui::style::Border)) ||
           c.kind == ui::Kind::ComboBox || c.kind == ui::Kind::PushButton ||
           c.kind == ui::Kind::Progress;
}

// Frame ink on the last device pixels of a control's right edge and of its
// bottom edge, in the middle of each: darker than both the window's and the
// text area's colour.
TEST_F(QtScaled, EveryFrameKeepsItsRightAndBottomLines) {
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        QWidget* area = ui::clientArea(w);
        const QImage image = area->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const int light = std::min(qGray(area->palette().color(QPalette::Window).rgb()),
                                   qGray(area->palette().color(QPalette::Base).rgb()));
        auto ink = [&](int x, int y) { return qGray(image.pixel(x, y)) < light - 24; };
        const int edge = static_cast<int>(std::ceil(ratio)) + 1;  // device pixels searched
        for (const auto& [id, c] : w.controls) {
            if (!framed(c) || !c.visible) continue;
            SCOPED_TRACE(w.title + ", " + std::to_string(id) + " at " + std::to_string(ratio));
            const QRect r = ui::controlRect(w, id);
            const int right = static_cast<int>(std::floor((r.right() + 1) * ratio)) - 1;
            const int bottom = static_cast<int>(std::floor((r.bottom() + 1) * ratio)) - 1;
            const int midX = static_cast<int>((r.center().x() + 0.5) * ratio);
            const int midY = static_cast<int>((r.center().y() + 0.5) * ratio);
            bool rightLine = false, bottomLine = false;
            for (int d = 0; d < edge; ++d) {
                rightLine |= ink(right - d, midY);
                bottomLine |= ink(midX, bottom - d);
            }
            EXPECT_TRUE(rightLine);
            EXPECT_TRUE(bottomLine);
        }
    }
}

// A window shows whole where it fits: as large as its template, no scroll
// bars. Where it does not, it takes the screen's room and scrolls, and each
// control can be scrolled into view.
TEST_F(QtScaled, EachWindowFitsItsScreenAndReachesEveryControl) {
    int scrolled = 0;
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        QDialog* dialog = ui::windowWidget(w);
        SCOPED_TRACE(w.title);
        const QRect room = dialog->screen()->availableGeometry();
        activate(dialog);  // fitted again with its frame
        EXPECT_TRUE(room.contains(dialog->frameGeometry()));
        const QSize full = ui::clientArea(w)->size();
        EXPECT_EQ(full, ui::dialogRect(ui::baseUnits(dialog->font()), 0, 0, t->cx, t->cy).size());
        auto* scroll = dialog->findChild<QScrollArea*>();
        ASSERT_TRUE(scroll);
        const bool fits = dialog->size() == full;
        EXPECT_EQ(
            scroll->verticalScrollBar()->isVisible() || scroll->horizontalScrollBar()->isVisible(),
            !fits);
        if (fits) continue;
        ++scrolled;
        for (const auto& [id, c] : w.controls) {
            if (!ui::needsName(c.kind) || !c.visible) continue;
            const QRect place = ui::controlRect(w, id);
            scroll->ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + 1,
                                  place.height() / 2 + 1);
            QWidget* wd = ui::controlWidget(w, id);
            const QRect seen(wd->mapTo(scroll->viewport(), QPoint(0, 0)), wd->size());
            EXPECT_TRUE(scroll->viewport()->rect().contains(seen)) << id;
        }
    }
    // The offscreen screen is 800 pixels square: at 1.5 the main window is
    // taller than its 533 logical lines.
    if (ui::windowWidget(open(zt::kMainTemplate))->devicePixelRatioF() >= 1.5) {
        EXPECT_GE(scrolled, 1);
    }
}

}  // namespace
}  // namespace zttest
