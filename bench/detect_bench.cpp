// Test ZT and bare detection against the virtual keyer at the real line rate.
// Prints the measured time, the limit (line time of every byte plus the fixed
// settle pause before the purge) and their ratio. Not a test: run by hand.
#include "bench_support.h"
#include "link/detect.h"
#include "resources/ids.h"

namespace {

constexpr int kRuns = 7;

}  // namespace

int main() {
    using namespace zt::bench;
    WindowOnPacedKeyer bench("detect_bench");
    zt::sim::Simulator& sim = bench.sim();
    const double settle = zt::appState.waits.full.settleMs;

    std::vector<double> tests, detections;
    Shares testShares, detectShares;
    std::size_t testBytes = 0, detectBytes = 0;
    for (int i = 0; i < kRuns; ++i) {
        sim.ClearReceived();
        tests.push_back(TimeMs([&] { ui::click(bench.window(), zt::ids::kTestZt); }));
        testBytes = sim.Received().size();
        testShares.Add(sim.timing());

        zt::keyerPort.Close();
        sim.ClearReceived();
        detections.push_back(
            TimeMs([&] { zt::DetectKeyer(zt::keyerPort, zt::KeyerTarget(), zt::appState.keyer); }));
        detectBytes = sim.Received().size();
        detectShares.Add(sim.timing());
    }
    // Every command but the echo gets one reply byte per two-byte frame; the
    // echo's frame has three bytes.
    auto withReplies = [](std::size_t sent) { return sent + (sent - 1) / 2; };
    std::printf("SMT keyer, firmware 31.05, 1200 baud paced, median of %d runs\n", kRuns);
    Report("Test ZT", Median(tests), withReplies(testBytes), settle);
    testShares.Report();
    Report("detection", Median(detections), withReplies(detectBytes), settle);
    detectShares.Report();
    return 0;
}
