#include "cli/progress.h"

#include <algorithm>

namespace zt::cli {

namespace {
constexpr int kBarWidth = 30;
constexpr int kLineStep = 10;
}  // namespace

Progress::Progress(const Context& context, std::string label)
    : context_(context), label_(std::move(label)) {}

void Progress::Update(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (context_.opt.quiet || ended_ || percent <= shown_) return;
    std::ostream& out = context_.io.err;
    if (context_.io.errTerminal) {
        const int filled = percent * kBarWidth / 100;
        out << '\r' << label_ << " [" << std::string(filled, '#')
            << std::string(kBarWidth - filled, ' ') << "] " << percent << '%' << std::flush;
        shown_ = percent;
        return;
    }
    const int step = percent / kLineStep * kLineStep;
    if (step <= shown_) return;
    out << label_ << ' ' << step << "%\n" << std::flush;
    shown_ = step;
}

void Progress::End(bool complete) {
    if (complete) Update(100);
    if (!ended_ && shown_ >= 0 && context_.io.errTerminal) context_.io.err << '\n' << std::flush;
    ended_ = true;
}

}  // namespace zt::cli
