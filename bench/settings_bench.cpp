// Read ZT and Write ZT against the virtual keyer at the real line rate.
// Prints the measured time, the limit (line time of every byte plus the
// fixed waits: the settle pause before the purge and, for a write, the pause
// in which the keyer stores) and their ratio. Not a test: run by hand.
#include "bench_support.h"
#include "resources/ids.h"

namespace {

constexpr int kRuns = 5;
constexpr std::size_t kDetectionReplies = 4;  // echo, major, minor, variant
constexpr std::size_t kSettingsReply = 300;   // the dump and the extension block

}  // namespace

int main() {
    using namespace zt::bench;
    WindowOnPacedKeyer bench("settings_bench");
    zt::sim::Simulator& sim = bench.sim();
    ui::Window& w = bench.window();
    const double settle = zt::appState.waits.full.settleMs;
    const double store = zt::appState.waits.storeMs;

    ui::click(w, zt::ids::kTestZt);  // finds the keyer, which opens up Read and Write
    std::vector<double> reads, writes;
    Shares readShares, writeShares;
    std::size_t readSent = 0, writeSent = 0;
    for (int i = 0; i < kRuns; ++i) {
        sim.ClearReceived();
        reads.push_back(TimeMs([&] { ui::click(w, zt::ids::kReadZt); }));
        readSent = sim.Received().size();
        readShares.Add(sim.timing());
        sim.ClearReceived();
        writes.push_back(TimeMs([&] { ui::click(w, zt::ids::kWriteZt); }));
        writeSent = sim.Received().size();
        writeShares.Add(sim.timing());
    }
    std::printf("SMT keyer, firmware 31.05, 1200 baud paced, median of %d runs\n", kRuns);
    Report("Read ZT", Median(reads), readSent + kDetectionReplies + kSettingsReply, settle);
    readShares.Report();
    Report("Write ZT", Median(writes), writeSent + kDetectionReplies, settle + store);
    writeShares.Report();
    return 0;
}
