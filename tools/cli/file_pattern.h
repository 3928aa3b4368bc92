#pragma once
// File names that differ per keyer when a command runs on several ports:
// {com} is the port's COM number ("3"), or the last part of the device path
// it was given by ("ttyUSB2"); {chip} the chip detection found ("SMT", "DIP",
// "AF", "MINI"). With one port the name is taken as it stands.

#include <string>
#include <vector>

#include "cli/port_choice.h"
#include "link/detect.h"

namespace zt::cli {

bool HasCom(const std::string& pattern);
bool HasChip(const std::string& pattern);

std::string FillCom(const std::string& pattern, const PortChoice& where);
std::string FillChip(const std::string& pattern, const Detection& d);

// Why pattern cannot name a file per port of set: with several, it holds
// neither placeholder, or two ports fill its {com} alike ("COM3 and
// /dev/x/3 would both make keyer-3.eep"); empty when each port's name is its
// own, as far as {com} tells.
std::string PatternProblem(const std::string& pattern, const PortSet& set);

}  // namespace zt::cli
