#pragma once
// ztsim's command line: each option declared once, with its help text and
// the field of the configuration its value goes to.

#include <ostream>

#include "sim/simulator.h"

namespace zt::sim {

// Parses ztsim's arguments into config, which starts as ztsim's defaults.
// Returns -1 when ztsim is to run; otherwise the exit status, 0 after the
// help text went to out, 2 after a complaint went to err.
int ParseOptions(int argc, const char* const* argv, Config* config, std::ostream& out,
                 std::ostream& err);

}  // namespace zt::sim
