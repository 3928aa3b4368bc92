#include "cli/batch_report.h"

namespace zt::cli {

void PortSlot::Identify(const std::string& identity) {
    std::lock_guard<std::mutex> lock(mu_);
    view_.identity = identity;
}

void PortSlot::Begin(const std::string& stage) {
    std::lock_guard<std::mutex> lock(mu_);
    view_.stage = stage;
    view_.percent = -1;
    view_.frames = view_.of = 0;
    events_.push_back({true, stage});
}

void PortSlot::Progress(int percent, int frames, int of) {
    std::lock_guard<std::mutex> lock(mu_);
    view_.percent = std::max(view_.percent, percent);
    view_.frames = frames;
    view_.of = of;
}

void PortSlot::Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(mu_);
    events_.push_back({false, line});
}

void PortSlot::End(const std::string& ending) {
    std::lock_guard<std::mutex> lock(mu_);
    view_.ending = ending;
}

PortSlot::View PortSlot::Look(std::vector<Event>& events) {
    std::lock_guard<std::mutex> lock(mu_);
    events.swap(events_);
    events_.clear();
    return view_;
}

}  // namespace zt::cli
