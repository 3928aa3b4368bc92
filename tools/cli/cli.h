#pragma once
// ztcli as a function, so tests run it in-process with their own streams.

#include "cli/context.h"

namespace zt::cli {

int RunCli(int argc, const char* const* argv, Streams io);

}  // namespace zt::cli
