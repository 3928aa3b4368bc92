// How the dialog manager names controls for screen readers, reads access keys
// from captions, and keeps the keyboard focus across an operation.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "ui/scripted_host.h"

namespace ui {
namespace {

// Labels as the templates place them, and statics that label nothing.
enum {
    kEdit = 10,
    kEditLabel,
    kList,
    kListLabel,
    kHiddenEdit,
    kHiddenLabel,
    kFar,
    kFarLabel,
    kOffset,
    kOffsetLabel,
    kValue,
    kPlain,
    kButton,
    kFrame,
    kGo,
    kTwin,
};
const ControlTemplate kLabelled[] = {
    {kEdit, Kind::Edit, "", 10, 10, 20, 12, style::Border},
    {kEditLabel, Kind::Static, "MaxWpm", 34, 10, 40, 12, 0},  // right of it, 4 apart
    {kListLabel, Kind::Static, "Keyer Mode", 10, 40, 50, 8, 0},
    {kList, Kind::ComboBox, "", 10, 52, 50, 60, style::VScroll},  // 4 below its label
    // A hidden edit in the shown one's place takes the hidden label of the row.
    {kHiddenEdit, Kind::Edit, "", 10, 10, 20, 12, style::Hidden},
    {kHiddenLabel, Kind::Static, "Msg 7", 34, 10, 40, 12, style::Hidden},
    {kFar, Kind::Edit, "", 100, 10, 20, 12, 0},
    {kFarLabel, Kind::Static, "Too far", 130, 10, 40, 12, 0},  // 10 apart
    {kOffsetLabel, Kind::Static, "Not above", 120, 40, 40, 8, 0},
    {kOffset, Kind::ComboBox, "", 100, 52, 50, 60, 0},  // its label starts 20 further right
    {kValue, Kind::Static, "", 100, 80, 60, 12, 0},     // written by the program: no label
    {kPlain, Kind::Progress, "", 100, 68, 60, 10, 0},
    {kButton, Kind::PushButton, "Reset to\r\n&Defaults", 10, 80, 50, 20, style::Multiline},
    {kFrame, Kind::GroupBox, "Frame", 0, 0, 200, 120, 0},
    {kGo, Kind::CheckBox, "R&&D && &go", 10, 104, 60, 10, style::AutoCheck},
    {kTwin, Kind::RadioButton, "&Twin", 80, 104, 40, 10, 0},
};
const ControlName kPlainNames[] = {{kPlain, " Upload\nprogress "}};
const DialogTemplate kTemplate = {900,         "Names",
                                  nullptr,     0,
                                  0,           200,
                                  120,         "Tahoma",
                                  8,           0,
                                  kLabelled,   std::size(kLabelled),
                                  kPlainNames, std::size(kPlainNames)};

const ControlTemplate& find(int id) {
    for (const ControlTemplate& c : kLabelled)
        if (c.id == id) return c;
    throw std::out_of_range("no control");
}

ControlLabel labelOf(int id) {
    return nameOf(kTemplate, find(id));
}

TEST(Names, AnEditOrListIsNamedByTheLabelBesideOrAboveIt) {
    EXPECT_EQ(labelOf(kEdit).name, "MaxWpm");
    EXPECT_EQ(labelOf(kEdit).label, kEditLabel);
    EXPECT_EQ(labelOf(kList).name, "Keyer Mode");
    EXPECT_EQ(labelOf(kList).label, kListLabel);
    EXPECT_EQ(labelOf(kHiddenEdit).name, "Msg 7");
    EXPECT_EQ(labelOf(kHiddenEdit).label, kHiddenLabel);
}

TEST(Names, AStaticElsewhereNamesNothingAndAPlainNameStandsInForIt) {
    for (int id : {kFar, kOffset}) {
        EXPECT_EQ(labelOf(id).name, "") << id;
        EXPECT_EQ(labelOf(id).label, 0) << id;
    }
    EXPECT_EQ(labelOf(kPlain).name, "Upload progress");
    EXPECT_EQ(labelOf(kPlain).label, 0);
}

TEST(Names, ButtonsAreNamedByTheirCaptionOnOneLineWithoutMarks) {
    EXPECT_EQ(labelOf(kButton).name, "Reset to Defaults");
    EXPECT_EQ(labelOf(kGo).name, "R&D & go");
    EXPECT_EQ(labelOf(kButton).label, 0);
    // Static texts and frames are read as they are, not named.
    EXPECT_EQ(labelOf(kEditLabel).name, "");
    EXPECT_EQ(labelOf(kFrame).name, "");
    EXPECT_FALSE(needsName(Kind::Static) || needsName(Kind::GroupBox));
}

TEST(Names, TheBuiltWindowCarriesNamesLabelsAndAccessKeys) {
    Window w;
    buildControls(w, kTemplate);
    EXPECT_EQ(control(w, kEdit).name, "MaxWpm");
    EXPECT_EQ(control(w, kEdit).label, kEditLabel);
    EXPECT_EQ(getText(w, kButton), "Reset to\r\nDefaults");
    EXPECT_EQ(control(w, kButton).accessKey, 'D');
    EXPECT_EQ(getText(w, kGo), "R&D & go");
    EXPECT_EQ(control(w, kGo).accessKey, 'G');
    EXPECT_EQ(control(w, kTwin).accessKey, 'T');
    EXPECT_EQ(control(w, kEdit).accessKey, 0);
}

TEST(AccessKeys, MarkTheFirstLetterThatStartsAWordElseTheFirstAtAll) {
    EXPECT_EQ(markAccessKey("Write Config File", 'F'), "Write Config &File");
    EXPECT_EQ(markAccessKey("Test ZT", 'T'), "&Test ZT");
    EXPECT_EQ(markAccessKey("Exit", 'X'), "E&xit");
    EXPECT_EQ(markAccessKey("Reset to\nDefaults", 'D'), "Reset to\n&Defaults");
    EXPECT_EQ(markAccessKey("R&D", 0), "R&&D");
    EXPECT_EQ(markAccessKey("Swap", 'Q'), "Swap");
}

// ---- Focus across an operation ---------------------------------------------------

const ControlTemplate kFocusControls[] = {
    {kGo, Kind::PushButton, "Go", 4, 4, 40, 14, 0},
    {kEdit, Kind::Edit, "", 4, 20, 40, 12, style::Border},
    {kTwin, Kind::PushButton, "Other", 50, 4, 40, 14, 0},
    {kPlain, Kind::Progress, "", 4, 40, 40, 8, 0},
};
const DialogTemplate kFocus = {901,
                               "Focus",
                               nullptr,
                               0,
                               0,
                               100,
                               60,
                               "Tahoma",
                               8,
                               0,
                               kFocusControls,
                               std::size(kFocusControls)};

class FocusTest : public ::testing::Test {
  protected:
    FocusTest() : window(openWindow(kFocus, nullptr, {})) {}
    ~FocusTest() override { closeWindow(*window); }
    ScopedScriptedHost scoped;
    std::unique_ptr<Window> window;
};

TEST_F(FocusTest, OnlyAnEnabledShownControlTakesItAndLosesItWhenDisabled) {
    Window& w = *window;
    setFocus(w, kPlain);  // a progress bar takes no focus
    EXPECT_EQ(focusedControl(w), 0);
    enable(w, kTwin, false);
    setFocus(w, kTwin);
    EXPECT_EQ(focusedControl(w), 0);
    setFocus(w, kEdit, true);
    EXPECT_EQ(focusedControl(w), kEdit);
    EXPECT_EQ(scoped.host.selectedText, kEdit);
    show(w, kEdit, false);
    EXPECT_EQ(focusedControl(w), 0);
}

// The rule itself; the main window's operations use it (app/focus_test).
TEST_F(FocusTest, ComesBackAfterAnOperationUnlessTheProgramPlacedItMeanwhile) {
    Window& w = *window;
    setFocus(w, kGo);
    FocusMark mark = markFocus(w);
    enable(w, kGo, false);
    enable(w, kGo, true);
    restoreFocus(w, mark, kTwin);
    EXPECT_EQ(focusedControl(w), kGo);

    mark = markFocus(w);
    enable(w, kGo, false);
    setFocus(w, kEdit, true);  // as a refused value does
    enable(w, kGo, true);
    restoreFocus(w, mark, kTwin);
    EXPECT_EQ(focusedControl(w), kEdit);
}

// ---- Text limits ----------------------------------------------------------------

TEST(TextLimit, TextAppendedPastItIsLeftOutWithoutHalfALineBreak) {
    Window w;
    buildControls(w, kFocus);
    Control& c = control(w, kEdit);
    c.textLimit = 10;
    appendTextSync(w, kEdit, "abcdef\r\n");
    EXPECT_EQ(getText(w, kEdit), "abcdef\r\n");
    appendTextSync(w, kEdit, "g\r\nh");  // "g" fits, the break would be cut in two
    EXPECT_EQ(getText(w, kEdit), "abcdef\r\ng");
    appendTextSync(w, kEdit, "ijk");
    EXPECT_EQ(getText(w, kEdit), "abcdef\r\ngi");
    EXPECT_EQ(fitsInLimit(c, "more"), "");
}

}  // namespace
}  // namespace ui
