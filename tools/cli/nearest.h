#pragma once
// What a misspelt name likely meant: a setting for `set`, a command or an
// option on the command line.

#include <string>
#include <string_view>
#include <vector>

namespace zt::cli {

// The one of names nearest to name, case aside, when it is two slips away at
// most (a letter left out, added, changed); empty when none is.
std::string NearestName(std::string_view name, const std::vector<std::string>& names);

}  // namespace zt::cli
