#pragma once
// ztcli as a function, so tests run it in-process with their own streams.

#include "cli/context.h"

namespace zt::cli {

// waits: what the keyer operations wait for; tests shorten them.
int RunCli(int argc, const char* const* argv, Streams io,
           const KeyerWaits& waits = ShortDetection());

}  // namespace zt::cli
