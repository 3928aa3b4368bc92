#pragma once
// A progress bar on the error stream when that is a terminal; elsewhere a
// plain line at every tenth, so that logs get no control characters.

#include <string>

#include "cli/context.h"

namespace zt::cli {

class Progress {
  public:
    Progress(const Context& context, std::string label);
    // percent 0..100; a lower value than before changes nothing.
    void Update(int percent);
    // Ends the bar's line; a complete run shows 100 first.
    void End(bool complete);

  private:
    const Context& context_;
    std::string label_;
    int shown_ = -1;
    bool ended_ = false;
};

}  // namespace zt::cli
