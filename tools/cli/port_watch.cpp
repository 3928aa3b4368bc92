#include "cli/port_watch.h"

namespace zt::cli {

namespace {

// The bar's label: a backup is a read as `read` does it.
const char* Label(Stage stage) {
    switch (stage) {
        case Stage::Reading:
        case Stage::BackingUp:
            return "Reading";
        case Stage::Writing:
            return "Writing";
        case Stage::Verifying:
            return "Verifying";
        case Stage::Detecting:
            return "Detecting";
        default:
            return "Uploading";
    }
}

// What follows the last blank of a text: "SMT" of "ZT IC: SMT".
std::string LastWord(const std::string& text) {
    return text.substr(text.rfind(' ') + 1);
}

}  // namespace

void OnePortWatch::Begin(Stage stage) {
    bar_.emplace(c_, Label(stage));
    if (stage == Stage::Uploading) ctrlC_.emplace();
}

void OnePortWatch::Progress(int percent, int, int) {
    if (bar_) bar_->Update(percent);
}

void OnePortWatch::End(bool complete) {
    if (bar_) bar_->End(complete);
}

void OnePortWatch::Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(logMu_);
    log_.push_back(line);
}

void OnePortWatch::Flush() {
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(logMu_);
        lines.swap(log_);
    }
    for (const std::string& line : lines) {
        if (c_.io.errTerminal) c_.io.err << "\r\033[K";  // clear the bar; it is redrawn next
        c_.io.err << line << '\n';
    }
}

std::string IdentityText(const Detection& d) {
    switch (d.outcome) {
        case DetectOutcome::Firmware:
            return LastWord(d.chipLabel) + " " + LastWord(d.linkStatus);
        case DetectOutcome::BootLoaderOnly:
            return "boot loader";
        default:
            return "";
    }
}

}  // namespace zt::cli
