#pragma once
// Keyer detection: is a keyer there, is its firmware running or only its
// boot loader, and which chip and firmware revision it is. Needs no window:
// the result carries the texts, and the caller shows them.

#include <cstdint>
#include <string>

#include "common/keyer_records.h"
#include "link/port.h"

namespace zt {

enum class DetectOutcome { Failed, BootLoaderOnly, Firmware };

struct Detection {
    DetectOutcome outcome = DetectOutcome::Failed;
    // The identity afterwards: what the keyer reported, and the earlier values
    // where it said nothing.
    KeyerIdentity identity;
    std::string linkStatus;        // the failure text, or the revision text
    std::string chipLabel;         // empty when the label keeps its text
    std::string portError;         // why the port failed, for a tooltip; often empty
    PortOpen open = PortOpen::Ok;  // what came of opening the port, when it was opened
};

// The text shown while detection runs.
extern const char* const kTestingText;  // "Testing ZT Interface    "
// The failure text when the port opened and nothing answered the echo test.
extern const char* const kNoResponseText;  // "ZT Fail:no response"
// What a keyer with only its boot loader is, wherever it ends an operation.
extern const char* const kBootLoaderOnlyText;  // "only the keyer's boot loader answered"

// Opens the port on target unless it is open already (then it is used as it
// stands), and identifies the keyer. known is the identity from before. Never
// closes the port.
Detection DetectKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known);

// What the keyer's identity opens up: the firmware uploader from revision 30
// (or a keyer with only its boot loader), the settings operations (Read, Write,
// RTTY) from 31. Test is always there.
struct KeyerAllows {
    bool firmwareUpdate = false;
    bool settings = false;
};
KeyerAllows AllowedBy(const KeyerIdentity& identity);

// The chip label and the revision text for an identity.
std::string ChipLabel(int variant);
std::string RevisionText(int variant, int major, int minor);

// The supply voltage field's text for a reading (0 cannot be divided by).
std::string SupplyText(int reading);
// The pot and push-button fields' texts.
std::string PotText(int value);
std::string PushbuttonText(int value);

}  // namespace zt
