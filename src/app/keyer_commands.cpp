#include "app/keyer_commands.h"

#include <optional>
#include <string>

#include "app/message_editor.h"
#include "app/session.h"
#include "app/settings_editor.h"
#include "app/status.h"
#include "app/window_state.h"
#include "link/operations.h"
#include "resources/ids.h"

namespace zt {

namespace {

// Shows a state before the wait that follows, which blocks the window.
void ShowOperation(ui::Window& w, const char* text) {
    ui::setText(w, ids::kOpState, text);
    ui::repaint(w);
}

// "Testing ZT Interface    " on screen for the waits of the detection that
// follows, and no tooltip left from before.
void ShowTesting(ui::Window& w) {
    ui::setText(w, ids::kLinkStatus, kTestingText);
    ui::setTip(w, ids::kLinkStatus, "");
    ui::repaint(w);
}

// The detection's texts, and the identity kept for the button groups and the
// uploader.
void ShowDetection(ui::Window& w, const Detection& d) {
    CurrentSession().keyer = d.identity;
    if (!d.chipLabel.empty()) ui::setText(w, ids::kChipLabel, d.chipLabel);
    ui::setText(w, ids::kLinkStatus, d.linkStatus);
}

const char* TestState(DetectOutcome outcome) {
    switch (outcome) {
        case DetectOutcome::Failed:
            return ">ZT ERR";
        case DetectOutcome::BootLoaderOnly:
            return ">ZT NOS";
        default:
            return ">ZT OK";
    }
}

// The readings as they came, a missing one as 0; one that did not come, its
// request held up, lost or unanswered, turns ">ZT OK" into ">ZT ERR", and the
// tooltip names the line's trouble.
void ShowLiveValues(ui::Window& w, const LiveValues& v) {
    ui::setText(w, ids::kPotValue, PotText(v.pot.value_or(0)));
    if (v.hasPushbutton) ui::setText(w, ids::kPushButton, PushbuttonText(v.pushbutton.value_or(0)));
    ui::setText(w, ids::kSupply, SupplyText(v.supply.value_or(0)));
    if (!v.failure.empty()) ui::setText(w, ids::kOpState, ">ZT ERR");
}

// The detection's texts and Test's state for it.
bool ShowTest(ui::Window& w, const Detection& d) {
    ShowDetection(w, d);
    ui::setText(w, ids::kOpState, TestState(d.outcome));
    return true;
}

void Test(ui::Window& w) {
    for (int id : {ids::kOpState, ids::kSupply, ids::kPotValue, ids::kPushButton})
        ui::setText(w, id, "");
    ShowTesting(w);
    Session& s = CurrentSession();
    const TestResult t = TestKeyer(s.port, KeyerTarget(), s.keyer, s.waits,
                                   [&w](const Detection& d) { return ShowTest(w, d); });
    if (t.values)
        ShowLiveValues(w, *t.values);
    else
        ShowTest(w, t.detection);  // nothing followed it
    // The chip label tells of the keyer found, else of one found before.
    if (t.detection.outcome != DetectOutcome::Failed)
        AnnounceFields(w, {ids::kChipLabel, ids::kLinkStatus, ids::kOpState, ids::kPotValue,
                           ids::kPushButton, ids::kSupply});
    else
        AnnounceFields(w, {ids::kLinkStatus, ids::kOpState});
}

// Whether a transfer ran and was complete; one that fell short says why.
// Without a keyer, the detection shows why.
bool ShowTransfer(ui::Window& w, const TransferResult& r) {
    if (r.detection.outcome == DetectOutcome::Failed) {
        ShowDetection(w, r.detection);
        ui::setText(w, ids::kOpState, ">ZT ERR");
        return false;
    }
    if (!r.transfer) return false;  // the editor refused
    if (r.Complete()) return true;
    ShowOperation(w, ">ZT ERR");
    ui::setText(w, ids::kLinkStatus, TransferText(*r.transfer));
    return false;
}

void Read(ui::Window& w) {
    ShowTesting(w);
    Session& s = CurrentSession();
    const TransferResult r = ReadKeyer(
        s.port, KeyerTarget(), s.keyer, s.waits, s.image,
        [&w](const Detection& d) {
            ShowDetection(w, d);
            ShowOperation(w, ">Reading");
            return true;
        },
        TransferTo::AnyAnswer);
    if (ShowTransfer(w, r)) {
        ShowOperation(w, ">Done");
        FillSettingsControls(w, s.editedUser);
        FillMessageEdits(w);
    }
    AnnounceFields(w, {ids::kLinkStatus, ids::kOpState});
}

// The editor's values are checked and stored into the image once the keyer
// has been found, and only then sent. A value refused has said so in its
// message box, and nothing more is told.
void Write(ui::Window& w) {
    ShowTesting(w);
    Session& s = CurrentSession();
    bool refused = false;
    const TransferResult r = WriteKeyer(
        s.port, KeyerTarget(), s.keyer, s.waits,
        [&w, &s, &refused](const Detection& d) -> std::optional<SettingsImage> {
            ShowDetection(w, d);
            refused = !StoreBeforeWrite(w);
            if (refused) return std::nullopt;
            ShowOperation(w, "Writing");
            return s.image;
        },
        TransferTo::AnyAnswer);
    if (ShowTransfer(w, r)) ShowOperation(w, "Done");
    if (!refused) AnnounceFields(w, {ids::kLinkStatus, ids::kOpState});
}

// What every keyer operation does around its own steps. While one runs, a
// second started through a nested message loop only locks and refreshes.
void RunOperation(ui::Window& w, void (*operation)(ui::Window&)) {
    LockButtons(w);
    Session& s = CurrentSession();
    if (!s.busy) {
        s.busy = 1;
        operation(w);
        // Why the port failed or the line dropped, if it did.
        ui::setTip(w, ids::kLinkStatus, s.port.ErrorText());
        ArmStatusCountdown();
        s.busy = 0;
    }
    RefreshButtons(w);
}

}  // namespace

void TestZtCommand(ui::Window& w) {
    ui::setText(w, ids::kMessageLine, "");
    RunOperation(w, Test);
}

void ReadZtCommand(ui::Window& w) {
    RunOperation(w, Read);
}

void WriteZtCommand(ui::Window& w) {
    RunOperation(w, Write);
}

}  // namespace zt
