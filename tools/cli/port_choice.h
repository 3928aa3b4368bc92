#pragma once
// Which port a keyer command uses, and what ztcli says when it fails there.
// --port names a COM number (7, COM7, com7), a device path, or auto (the one
// port a keyer answers on); without it the window's COM port is used. A
// failure on the port says first which port it was and where that came
// from, then what to try next.

#include <string>
#include <vector>

#include "cli/context.h"
#include "link/detect.h"
#include "link/port.h"
#include "link/probe.h"

namespace zt::cli {

// Why a --port value names no port ("COM numbers go from 1 to 50, not 99"),
// or empty when it names one.
std::string PortOptionProblem(const std::string& value);

struct PortChoice {
    PortTarget target;
    std::string device;  // what is opened: the path given, or the COM number's device
    std::string origin;  // "COM1, from the window's configuration (...)", "COM7, from --port com7"
};

// The port the options name; auto probes every free port for the keyer.
// kExitOk, or the status after saying why there is none to use.
int ChoosePort(const Context& c, PortChoice& choice);

// "COM3", or the device path a port was given by.
std::string PortName(const PortChoice& where);

// Whether --port names several ports: a list (3,4 or COM3,/dev/ttyUSB2) or all.
bool SeveralPorts(const Context& c);

struct PortSet {
    std::vector<PortChoice> ports;  // each device once, in the order named
    // all: every port present, where one without a keyer is left out rather
    // than failed; those another program holds or that may not be opened are
    // never touched, only named.
    bool all = false;
    std::vector<PortEntry> skipped;

    // Whether each keyer's file needs a name of its own.
    bool Several() const { return all || ports.size() > 1; }
};
// The ports a list or all names, or the one port ChoosePort would choose.
// kExitOk, or the status after saying why there are none to use.
int ChoosePorts(const Context& c, PortSet& set);

// The COM number the window would use: its configuration file's, or 1, the
// number the window writes into a new one; origin says which ("COM3, from
// the window's configuration (PATH)"). The file is only read here.
int ConfiguredComPort(const Context& c, std::string& origin);

// What `ports` lists: every port that is present, or the COM numbers that
// --port names ("3,4"). kExitOk, or kExitUsage after saying why not.
int ListedPorts(const Context& c, std::vector<PortEntry>& ports);

// A device as a user reads it: a ports-folder link shows where it leads.
std::string DeviceName(const std::string& path);

// The port's own error after a failure's text, in brackets; empty when none.
std::string PortTrouble(const std::string& error);

// A failure on the chosen port: its origin and text on the first line, then
// each hint on a line of its own.
int PortFail(const Context& c, const PortChoice& where, int status, const std::string& text,
             const std::vector<std::string>& hints = {});

// kExitOk when detection found something; otherwise says why, and what to try:
// the port did not open (kExitPort), nothing answered or the keyer failed
// (kExitKeyer). prefix leads a keyer failure's text.
int DetectionFailure(const Context& c, const PortChoice& where, const Detection& d,
                     const std::string& prefix = "");

// What ztcli says when a keyer does not answer, and what to try.
extern const char* const kSilentHint;

// How `ports --probe` sums up what a port said: the chip and firmware of a
// keyer, "no answer", or why it was not tried.
std::string ProbeSummary(const ProbedPort& probed);

// What brings back a keyer whose firmware is gone.
extern const char* const kRecoveryHint;
// After an upload that failed once the keyer had left its firmware.
extern const char* const kUploadCutHint;

}  // namespace zt::cli
