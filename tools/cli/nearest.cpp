#include "cli/nearest.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <utility>

namespace zt::cli {

namespace {

// The edits that turn one name into the other (Levenshtein).
std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (char c : a) {
        std::size_t diagonal = row[0]++;
        for (std::size_t j = 1; j <= b.size(); ++j)
            diagonal = std::exchange(
                row[j], std::min({row[j] + 1, row[j - 1] + 1, diagonal + (c == b[j - 1] ? 0 : 1)}));
    }
    return row.back();
}

}  // namespace

std::string NearestName(std::string_view name, const std::vector<std::string>& names) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string* nearest = nullptr;
    std::size_t best = 3;  // two slips at most
    for (const std::string& n : names) {
        // Names that differ in length by as much are as far apart at least,
        // so that a long name costs no more than its length.
        const std::size_t apart =
            std::max(lower.size(), n.size()) - std::min(lower.size(), n.size());
        if (apart >= best) continue;
        const std::size_t d = Distance(lower, n);
        if (d < best) best = d, nearest = &n;
    }
    return nearest ? *nearest : std::string();
}

}  // namespace zt::cli
