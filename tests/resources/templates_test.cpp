// The dialog templates are hand-typed tables; these tests look for the
// typing slips that would not show until someone opened the window: a
// repeated id, a control off the client area or on top of another, a wrong
// caption on a button the program dispatches on, a swapped style.

#include "resources/templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "ui/ui.h"

namespace {

using ui::ControlTemplate;
using ui::DialogTemplate;
using ui::Kind;
namespace st = ui::style;
namespace ids = zt::ids;

// Height of a combo box's closed edit part; cy is only its list's height.
constexpr int kClosedComboHeight = 12;
constexpr std::uint32_t kAlignment = st::Center | st::Right | st::VCenter;

std::span<const ControlTemplate> controlsOf(const DialogTemplate& d) {
    return {d.controls, d.controlCount};
}

const ControlTemplate& find(const DialogTemplate& d, int id) {
    for (const ControlTemplate& c : controlsOf(d))
        if (c.id == id) return c;
    ADD_FAILURE() << "dialog " << d.id << " has no control " << id;
    static const ControlTemplate none{0, Kind::Static, "", 0, 0, 0, 0, 0};
    return none;
}

struct Rect {
    int left, top, right, bottom;
};

Rect placeOf(const ControlTemplate& c) {
    int height = c.kind == Kind::ComboBox ? kClosedComboHeight : c.cy;
    return {c.x, c.y, c.x + c.cx, c.y + height};
}

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool samePlace(const ControlTemplate& a, const ControlTemplate& b) {
    return a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy;
}

std::string describe(const ControlTemplate& c) {
    std::ostringstream s;
    s << c.id << " \"" << (c.caption ? c.caption : "(null)") << "\" at " << c.x << ',' << c.y << ','
      << c.cx << ',' << c.cy;
    return s.str();
}

// Checks a list of (id, kind, caption) rows against a dialog; the caption as
// the program reads it, without access-key marks.
struct Expected {
    int id;
    Kind kind;
    const char* caption;
};

void expectControls(const DialogTemplate& d, std::initializer_list<Expected> rows) {
    for (const Expected& e : rows) {
        const ControlTemplate& c = find(d, e.id);
        EXPECT_EQ(c.kind, e.kind) << "dialog " << d.id << ": " << describe(c);
        EXPECT_EQ(ui::captionText(c), e.caption) << "dialog " << d.id << ": " << describe(c);
    }
}

// ---- Properties of every template ------------------------------------------

TEST(Templates, AllFiveInIdOrderWithTheirFrames) {
    const int expectedIds[] = {ids::kMainDialog, ids::kPortDialog, ids::kUploaderDialog,
                               ids::kAboutDialog, ids::kRttyDialog};
    ASSERT_EQ(std::size(zt::kAllTemplates), std::size(expectedIds));
    for (std::size_t i = 0; i < std::size(expectedIds); ++i) {
        const DialogTemplate* d = zt::kAllTemplates[i];
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->id, expectedIds[i]);
        EXPECT_EQ(d->x, 6);
        EXPECT_EQ(d->y, 18);
        EXPECT_EQ(d->pointSize, 8);
        EXPECT_TRUE(d->style & ui::dstyle::SysMenu) << d->id << " needs its close box";
    }
    EXPECT_EQ(zt::kAllTemplates[0], &zt::kMainTemplate);
    EXPECT_EQ(zt::kAllTemplates[4], &zt::kRttyTemplate);

    // Only the main window is a class of its own and can be minimised and maximised.
    EXPECT_STREQ(zt::kMainTemplate.className, "ZTtoolsClass");
    EXPECT_STREQ(zt::kMainTemplate.font, "MS Shell Dlg");
    EXPECT_EQ(zt::kMainTemplate.style,
              ui::dstyle::SysMenu | ui::dstyle::MinimizeBox | ui::dstyle::MaximizeBox);
    for (const DialogTemplate* d : zt::kAllTemplates) {
        if (d == &zt::kMainTemplate) continue;
        EXPECT_EQ(d->className, nullptr) << d->id;
        EXPECT_STREQ(d->font, "Tahoma") << d->id;
        EXPECT_EQ(d->style, ui::dstyle::SysMenu) << d->id;
    }
}

TEST(Templates, TitlesAndSizes) {
    struct Frame {
        const DialogTemplate& d;
        const char* title;
        int cx, cy;
    };
    const Frame frames[] = {
        {zt::kMainTemplate, "Zentor 3 Tools Utility 5.3", 378, 334},
        {zt::kPortTemplate, "Comm Port Setup", 130, 62},
        {zt::kUploaderTemplate, "Zentor 3 Firmware Uploader", 230, 174},
        {zt::kAboutTemplate, "VI3vovad 5.3  About", 262, 86},
        {zt::kRttyTemplate, "RTTY Mode Setup", 138, 138},
    };
    for (const Frame& f : frames) {
        EXPECT_STREQ(f.d.title, f.title);
        EXPECT_EQ(f.d.cx, f.cx) << f.title;
        EXPECT_EQ(f.d.cy, f.cy) << f.title;
    }
}

TEST(Templates, IdsAreUniqueWithinEachDialogAndCaptionsAreSet) {
    for (const DialogTemplate* d : zt::kAllTemplates) {
        std::set<int> seen;
        for (const ControlTemplate& c : controlsOf(*d)) {
            EXPECT_TRUE(seen.insert(c.id).second) << "dialog " << d->id << " repeats " << c.id;
            EXPECT_NE(c.caption, nullptr) << "dialog " << d->id << ": control " << c.id;
            // Escape's command is each dialog's Cancel or Exit, never another button's.
            EXPECT_NE(c.id, ui::kIdCancel) << "dialog " << d->id << ": " << describe(c);
        }
    }
}

// Alt+letter presses each button of a dialog, no letter twice in one.
TEST(Templates, EveryPushButtonHasAnAccessKeyOfItsOwnInItsDialog) {
    int buttons = 0;
    for (const DialogTemplate* d : zt::kAllTemplates) {
        std::set<char> keys;
        for (const ControlTemplate& c : controlsOf(*d)) {
            if (c.kind != Kind::PushButton) continue;
            ++buttons;
            char key = 0;
            ui::captionText(c, &key);
            EXPECT_NE(key, 0) << "dialog " << d->id << ": " << describe(c);
            EXPECT_TRUE(keys.insert(key).second) << "dialog " << d->id << ": " << describe(c);
        }
    }
    EXPECT_EQ(buttons, 11 + 2 + 3 + 1 + 2);
}

TEST(Templates, EveryControlLiesInsideTheClientArea) {
    for (const DialogTemplate* d : zt::kAllTemplates) {
        for (const ControlTemplate& c : controlsOf(*d)) {
            const Rect r = placeOf(c);
            EXPECT_TRUE(c.cx > 0 && c.cy > 0 && r.left >= 0 && r.top >= 0 && r.right <= d->cx &&
                        r.bottom <= d->cy)
                << "dialog " << d->id << " (" << d->cx << 'x' << d->cy << "): " << describe(c);
        }
    }
}

TEST(Templates, ControlsShownTogetherNeverOverlap) {
    // Group boxes frame others on purpose; hidden controls share a place with
    // the visible control they take turns with (checked below).
    for (const DialogTemplate* d : zt::kAllTemplates) {
        std::vector<const ControlTemplate*> shown;
        for (const ControlTemplate& c : controlsOf(*d))
            if (c.kind != Kind::GroupBox && !(c.style & st::Hidden)) shown.push_back(&c);
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(overlap(placeOf(*shown[i]), placeOf(*shown[j])))
                    << "dialog " << d->id << ": " << describe(*shown[i]) << " overlaps "
                    << describe(*shown[j]);
    }
}

// A screen reader reads each control by name: a template that gains one
// without a label, a caption or a plain name fails here, and so does one whose
// name a listener cannot tell from another's in its dialog.
TEST(Templates, EveryControlThatNeedsANameHasOneOfOneLineAndItsOwn) {
    int named = 0;
    for (const DialogTemplate* d : zt::kAllTemplates) {
        std::set<std::string> names;
        for (const ControlTemplate& c : controlsOf(*d)) {
            if (!ui::needsName(c.kind)) continue;
            const std::string name = ui::nameOf(*d, c).name;
            EXPECT_FALSE(name.empty()) << "dialog " << d->id << ": " << describe(c);
            EXPECT_EQ(name.find_first_of("\r\n&"), std::string::npos) << name;
            EXPECT_TRUE(names.insert(name).second) << "dialog " << d->id << ": " << name;
            ++named;
        }
    }
    EXPECT_EQ(named, 60 + 3 + 5 + 2 + 11);  // main, port, uploader, About, RTTY
}

TEST(Templates, OnlyCheckBoxesFlipThemselves) {
    for (const DialogTemplate* d : zt::kAllTemplates) {
        for (const ControlTemplate& c : controlsOf(*d)) {
            SCOPED_TRACE("dialog " + std::to_string(d->id) + ": " + describe(c));
            EXPECT_EQ((c.style & st::AutoCheck) != 0, c.kind == Kind::CheckBox);
            if (c.kind == Kind::ComboBox) {
                EXPECT_TRUE(c.style & st::VScroll);
            }
        }
    }
}

// ---- Main window ---------------------------------------------------------------

TEST(MainTemplate, HasItsHundredAndThreeControls) {
    EXPECT_EQ(zt::kMainTemplate.controlCount, 103u);
    std::size_t counts[8] = {};
    for (const ControlTemplate& c : controlsOf(zt::kMainTemplate))
        ++counts[static_cast<int>(c.kind)];
    EXPECT_EQ(counts[static_cast<int>(Kind::GroupBox)], 2u);
    EXPECT_EQ(counts[static_cast<int>(Kind::CheckBox)], 12u);
    EXPECT_EQ(counts[static_cast<int>(Kind::RadioButton)], 4u);
    EXPECT_EQ(counts[static_cast<int>(Kind::ComboBox)], 3u);
    EXPECT_EQ(counts[static_cast<int>(Kind::PushButton)], 11u);
    // 12 message edits, 2 call signs, 14 values, serial number and sidetone frequency.
    EXPECT_EQ(counts[static_cast<int>(Kind::Edit)], 30u);
    EXPECT_EQ(counts[static_cast<int>(Kind::Progress)], 0u);
}

TEST(MainTemplate, BanksShareTheirPlacesAndOnlyBankOneStartsVisible) {
    const DialogTemplate& d = zt::kMainTemplate;
    // Scrolling with the caret, without a scroll bar.
    const std::uint32_t msgStyle = st::Multiline | st::UpperCase | st::AutoVScroll | st::Border;
    const ControlTemplate& editor = find(d, 4056);
    EXPECT_EQ(editor.kind, Kind::GroupBox);
    EXPECT_STREQ(editor.caption, "Message Editor");

    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE("row " + std::to_string(k));
        const ControlTemplate& edit1 = find(d, ids::kMsg1 + k);
        const ControlTemplate& edit2 = find(d, ids::kMsg7 + k);
        const ControlTemplate& label1 = find(d, ids::kMsgLabel1 + k);
        const ControlTemplate& label2 = find(d, ids::kMsgLabel7 + k);

        EXPECT_TRUE(samePlace(edit1, edit2)) << describe(edit1) << " / " << describe(edit2);
        EXPECT_TRUE(samePlace(label1, label2)) << describe(label1) << " / " << describe(label2);
        EXPECT_EQ(edit1.style, msgStyle);
        EXPECT_EQ(edit2.style, msgStyle | st::Hidden);
        EXPECT_EQ(label1.style, 0u);
        EXPECT_EQ(label2.style, st::Hidden);
        EXPECT_EQ(std::string(label1.caption), "Msg " + std::to_string(k + 1));
        EXPECT_EQ(std::string(label2.caption), "Msg " + std::to_string(k + 7));

        // Rows 36 units apart from y 16, each label beside its own edit.
        EXPECT_EQ(edit1.x, 12);
        EXPECT_EQ(edit1.y, 16 + 36 * k);
        EXPECT_EQ(edit1.cx, 164);
        EXPECT_EQ(edit1.cy, 32);
        EXPECT_EQ(label1.x, 184);
        EXPECT_EQ(label1.y, 28 + 36 * k);
        EXPECT_TRUE(overlap(placeOf(editor), placeOf(edit1)));
    }

    // Messages 13 and 14: single-line, one place, the edited user's (User 1 at start) shows.
    const ControlTemplate& call1 = find(d, ids::kCallUser1);
    const ControlTemplate& call2 = find(d, ids::kCallUser2);
    EXPECT_TRUE(samePlace(call1, call2));
    EXPECT_EQ(call1.style, st::UpperCase | st::AutoHScroll | st::Border);
    EXPECT_EQ(call2.style, call1.style | st::Hidden);
    EXPECT_STREQ(find(d, 4121).caption, "User Callsign /M");

    // Nothing else in the main window starts hidden.
    int hidden = 0;
    for (const ControlTemplate& c : controlsOf(d)) hidden += (c.style & st::Hidden) ? 1 : 0;
    EXPECT_EQ(hidden, 13);
}

TEST(MainTemplate, DispatchedControlsHaveTheirCaptions) {
    const DialogTemplate& d = zt::kMainTemplate;
    expectControls(d, {
                          {ids::kTestZt, Kind::PushButton, "Test ZT"},
                          {ids::kReadZt, Kind::PushButton, "Read ZT"},
                          {ids::kWriteZt, Kind::PushButton, "Write ZT"},
                          {ids::kFwUpdate, Kind::PushButton, "FW Update"},
                          {ids::kSetComPort, Kind::PushButton, "Set Com Port"},
                          {ids::kAbout, Kind::PushButton, "About"},
                          {ids::kRtty, Kind::PushButton, "RTTY"},
                          {ids::kReadConfigFile, Kind::PushButton, "Read Config File"},
                          {ids::kWriteConfigFile, Kind::PushButton, "Write Config File"},
                          {ids::kResetDefaults, Kind::PushButton, "Reset to Defaults"},
                          {ids::kExit, Kind::PushButton, "Exit"},
                          {ids::kUser1, Kind::RadioButton, "User 1"},
                          {ids::kUser2, Kind::RadioButton, "User 2"},
                          {ids::kBank1, Kind::RadioButton, "Message Bank 1"},
                          {ids::kBank2, Kind::RadioButton, "Message Bank 2"},
                      });
    // Its caption is wider than the button, so it must wrap.
    EXPECT_TRUE(find(d, ids::kResetDefaults).style & st::Multiline);

    // Each push button has an access key of its own; Alt+T runs Test ZT.
    std::set<char> keys;
    for (const ControlTemplate& c : controlsOf(d)) {
        char key = 0;
        ui::captionText(c, &key);
        if (c.kind != Kind::PushButton) {
            EXPECT_EQ(key, 0) << describe(c);
            continue;
        }
        EXPECT_NE(key, 0) << describe(c);
        EXPECT_TRUE(keys.insert(key).second) << describe(c) << " repeats " << key;
    }
    char test = 0;
    ui::captionText(find(d, ids::kTestZt), &test);
    EXPECT_EQ(test, 'T');

    // Enter and Escape must find no control to act on in the main window.
    for (const ControlTemplate& c : controlsOf(d)) {
        EXPECT_NE(c.id, ui::kIdOk) << describe(c);
        EXPECT_NE(c.id, ui::kIdCancel) << describe(c);
    }

    // The option check boxes form one column, one row per 12 units.
    std::vector<const ControlTemplate*> options;
    for (const ControlTemplate& c : controlsOf(d))
        if (c.kind == Kind::CheckBox) options.push_back(&c);
    std::sort(options.begin(), options.end(), [](auto* a, auto* b) { return a->y < b->y; });
    for (std::size_t k = 0; k < options.size(); ++k) {
        EXPECT_EQ(options[k]->x, 240) << describe(*options[k]);
        EXPECT_EQ(options[k]->y, 16 + 12 * static_cast<int>(k)) << describe(*options[k]);
    }
}

// A value is typed into a one-line edit with a plain label just right of it;
// the messages' edits are the upper-case ones.
TEST(MainTemplate, EachValueEditHasItsLabelBesideIt) {
    const DialogTemplate& d = zt::kMainTemplate;
    int values = 0;
    for (const ControlTemplate& edit : controlsOf(d)) {
        if (edit.kind != Kind::Edit || (edit.style & st::UpperCase)) continue;
        SCOPED_TRACE(describe(edit));
        ++values;
        EXPECT_EQ(edit.style & ~st::Number, st::Border | st::AutoHScroll);
        const ControlTemplate* label = nullptr;
        for (const ControlTemplate& c : controlsOf(d))
            if (c.kind == Kind::Static && c.y == edit.y && c.x == edit.x + edit.cx + 4) label = &c;
        ASSERT_NE(label, nullptr);
        EXPECT_NE(std::string(label->caption), "");
        EXPECT_EQ(label->style, 0u) << "labels are plain left-aligned text";
    }
    EXPECT_EQ(values, 16);
}

TEST(MainTemplate, StatusFieldsAlignAndStartAsDescribed) {
    const DialogTemplate& d = zt::kMainTemplate;
    struct Field {
        int id;
        std::uint32_t alignment;
        const char* text;
    };
    const Field fields[] = {
        {ids::kMessageLine, 0, ""},
        {ids::kLinkStatus, 0, ""},
        {ids::kOpState, 0, ""},
        {ids::kBytesLeft, st::VCenter, "Msg Bytes Left:"},
        {ids::kPotValue, st::Center | st::VCenter, ""},
        {ids::kPushButton, st::Center | st::VCenter, ""},
        {ids::kSupply, st::Center | st::VCenter, ""},
        {ids::kPortLabel, st::Center | st::VCenter, "Com: ?"},
        {ids::kChipLabel, st::Center, "ZT IC: ?"},
    };
    for (const Field& f : fields) {
        const ControlTemplate& c = find(d, f.id);
        SCOPED_TRACE(describe(c));
        EXPECT_EQ(c.kind, Kind::Static);
        EXPECT_EQ(c.style & kAlignment, f.alignment);
        EXPECT_STREQ(c.caption, f.text);
        // The three on the lowest row are the window's status bar.
        EXPECT_EQ((c.style & st::StatusField) != 0, c.y == 268);
    }
    // The longest line it ever shows, "Set Com Port then Click TestZT to get started",
    // must fit the general message line.
    EXPECT_GE(find(d, ids::kMessageLine).cx,
              4 * static_cast<int>(std::strlen("Set Com Port then Click TestZT to get started")));
}

TEST(MainTemplate, BuiltWindowStartsWithTheTemplateState) {
    ui::Window w;
    ui::buildControls(w, zt::kMainTemplate);
    EXPECT_EQ(w.controls.size(), 103u);
    EXPECT_EQ(w.title, "Zentor 3 Tools Utility 5.3");
    EXPECT_EQ(ui::getText(w, ids::kWeight), " ");
    EXPECT_EQ(ui::getText(w, ids::kBytesLeft), "Msg Bytes Left:");
    EXPECT_TRUE(ui::isVisible(w, ids::kMsg1));
    EXPECT_FALSE(ui::isVisible(w, ids::kMsg7 + 5));
    EXPECT_TRUE(ui::isVisible(w, ids::kCallUser1));
    EXPECT_FALSE(ui::isVisible(w, ids::kCallUser2));
}

// ---- The four small dialogs ------------------------------------------------------

TEST(PortTemplate, ListAndButtons) {
    const DialogTemplate& d = zt::kPortTemplate;
    EXPECT_EQ(d.controlCount, 3u);
    expectControls(d, {
                          {ids::kPortList, Kind::ComboBox, ""},
                          {ids::kPortOk, Kind::PushButton, "OK"},
                          {ids::kPortExit, Kind::PushButton, "Exit"},
                      });
    // The dropped list reaches below the dialog, as a list may.
    EXPECT_EQ(find(d, ids::kPortList).cy, 80);
}

TEST(UploaderTemplate, ControlsAndTheirRoles) {
    const DialogTemplate& d = zt::kUploaderTemplate;
    EXPECT_EQ(d.controlCount, 7u);
    expectControls(d, {
                          {ids::kLoadBin, Kind::PushButton, "Load BIN File"},
                          {ids::kProgram, Kind::PushButton, "Program ZOVOV"},
                          {ids::kUploadExit, Kind::PushButton, "Exit"},
                          {ids::kUploadProgress, Kind::Progress, ""},
                          {ids::kUploadLog, Kind::Edit, ""},
                          {ids::kUploadMessage, Kind::Static, ""},
                          {ids::kUploadPath, Kind::Static, ""},
                      });
    const ControlTemplate& log = find(d, ids::kUploadLog);
    const std::uint32_t logStyle =
        st::Multiline | st::VScroll | st::AutoVScroll | st::Border | st::ReadOnly;
    EXPECT_EQ(log.style & logStyle, logStyle);  // for the worker to write, not the operator
    EXPECT_FALSE(log.style & st::UpperCase);    // the log is lower-case hex
    EXPECT_EQ(find(d, ids::kUploadMessage).style & kAlignment, st::Center);
    EXPECT_EQ(find(d, ids::kUploadPath).style & kAlignment, st::Center | st::VCenter);
}

TEST(AboutTemplate, LinesButtonAndVerboseSwitch) {
    const DialogTemplate& d = zt::kAboutTemplate;
    EXPECT_EQ(d.controlCount, 5u);
    expectControls(d, {
                          {ids::kAboutOk, Kind::PushButton, "OK"},
                          {ids::kVerbose, Kind::CheckBox, "Verbose Mode"},
                          {ids::kVersionLine, Kind::Static, ""},
                          {ids::kOsLine, Kind::Static, ""},
                      });
    EXPECT_EQ(find(d, ids::kVersionLine).style & kAlignment, st::Center);
    EXPECT_EQ(find(d, ids::kOsLine).style & kAlignment, st::Center);

    // The help line is fixed text that names the guide and fits on one line.
    const ControlTemplate& help = find(d, ids::kHelpLine);
    EXPECT_EQ(help.kind, Kind::Static);
    EXPECT_EQ(help.style & kAlignment, st::Center | st::VCenter);
    const std::string text = help.caption;
    EXPECT_NE(text.find("guide"), std::string::npos) << text;
    EXPECT_LE(4 * static_cast<int>(text.size()), help.cx) << text;
}

TEST(RttyTemplate, SwitchesListsAndButtons) {
    const DialogTemplate& d = zt::kRttyTemplate;
    EXPECT_EQ(d.controlCount, 15u);
    expectControls(d, {
                          {ids::kRttyCancel, Kind::PushButton, "Cancel"},
                          {ids::kRttyOk, Kind::PushButton, "Ok"},
                      });
    // No control answers Escape; Enter's command 1 has no control either.
    for (const ControlTemplate& c : controlsOf(d)) {
        EXPECT_NE(c.id, ui::kIdOk);
        EXPECT_NE(c.id, ui::kIdCancel);
    }

    // Each list has its label directly above it.
    int lists = 0;
    for (const ControlTemplate& list : controlsOf(d)) {
        if (list.kind != Kind::ComboBox) continue;
        SCOPED_TRACE(describe(list));
        ++lists;
        const ControlTemplate* label = nullptr;
        for (const ControlTemplate& c : controlsOf(d))
            if (c.kind == Kind::Static && c.x == list.x && c.y + c.cy == list.y) label = &c;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->style, 0u) << "labels are plain left-aligned text";
    }
    EXPECT_EQ(lists, 4);
}

// ---- Icon ---------------------------------------------------------------------

TEST(Icon, IsAWellFormedXpmOf32By32) {
    const char* const* xpm = zt::kIconXpm;
    ASSERT_NE(xpm, nullptr);
    int width = 0, height = 0, colours = 0, charsPerPixel = 0;
    std::istringstream header(xpm[0]);
    header >> width >> height >> colours >> charsPerPixel;
    ASSERT_TRUE(header) << xpm[0];
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    ASSERT_EQ(charsPerPixel, 1);
    ASSERT_GT(colours, 1);

    std::set<char> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string entry = xpm[i];
        ASSERT_GE(entry.size(), 5u) << entry;
        EXPECT_EQ(entry.substr(1, 3), " c ") << entry;
        EXPECT_TRUE(palette.insert(entry[0]).second) << "colour repeated: " << entry;
    }
    for (int y = 0; y < height; ++y) {
        const std::string row = xpm[1 + colours + y];
        ASSERT_EQ(static_cast<int>(row.size()), width) << "row " << y;
        for (char ch : row) EXPECT_TRUE(palette.count(ch)) << "row " << y << " uses '" << ch << "'";
    }
}

}  // namespace
