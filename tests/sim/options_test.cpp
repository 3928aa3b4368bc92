// ztsim's command line, parsed in-process: where each option's value goes,
// and what is bad usage.

#include "sim/options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace zt::sim {
namespace {

struct Parsed {
    int status;
    Config config;
    std::string out, err;
};

// ztsim's arguments, separated by spaces.
Parsed Parse(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;) args.push_back(word);
    std::vector<const char*> argv{"ztsim"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    Parsed p{};
    p.status = ParseOptions(int(argv.size()), argv.data(), &p.config, out, err);
    p.out = out.str();
    p.err = err.str();
    return p;
}

TEST(ZtsimOptions, EachOptionSetsItsOwnFieldInDecimalOrHexAndNoneGiveCom1) {
    const Parsed p = Parse(
        "--com 7 --replace --variant mini --major 0x1e --minor 4 --minor-byte 200 --pot 1 --pb 2 "
        "--supply 3 --boot-loader-only --pace --log - --settings s.eep --program p.prog --silent "
        "--echo 0x55 --sync 0x12 --truncate 9 --no-variant --frame-reply 5:0x81 "
        "--hang-up-after 100 --stall-after 200 --drop-writes");
    ASSERT_EQ(p.status, -1) << p.err;
    const Config& c = p.config;
    EXPECT_EQ(c.com, 7);
    EXPECT_TRUE(c.replaceLink);
    EXPECT_EQ(c.identity.variant, 4);
    EXPECT_EQ(c.identity.major, 30);
    EXPECT_EQ(c.identity.minor, 4);
    EXPECT_EQ(c.identity.minorByte, 200);
    EXPECT_EQ(c.identity.pot, 1);
    EXPECT_EQ(c.identity.pushbutton, 2);
    EXPECT_EQ(c.identity.supply, 3);
    EXPECT_TRUE(c.bootLoaderOnly);
    EXPECT_TRUE(c.pace);
    EXPECT_EQ(c.logPath, "-");
    EXPECT_EQ(c.settingsPath, "s.eep");
    EXPECT_EQ(c.programPath, "p.prog");
    const Faults& f = c.faults;
    EXPECT_TRUE(f.silent);
    EXPECT_EQ(f.echoReply, 0x55);
    EXPECT_EQ(f.syncReply, 0x12);
    EXPECT_EQ(f.truncateReplies, 9);
    EXPECT_TRUE(f.noVariantReply);
    EXPECT_EQ(f.frameFaultAt, 5);
    EXPECT_EQ(f.frameFaultCode, 0x81);
    EXPECT_EQ(f.hangUpAfter, 100);
    EXPECT_EQ(f.stallAfter, 200);
    EXPECT_TRUE(f.dropSettingsWrites);

    // Without options the keyer is COM1, silently. (A fault or mode on by
    // default shows in the shell tests, which run ztsim with few options.)
    const Parsed none = Parse("");
    EXPECT_EQ(none.status, -1);
    EXPECT_EQ(none.config.com, 1);
    EXPECT_TRUE(none.out.empty() && none.err.empty());
    // A number for the variant is sent as it is; the last of a repeated option counts.
    const Parsed q = Parse("--variant DIP --variant 9 --com 3 --com=0");
    ASSERT_EQ(q.status, -1) << q.err;
    EXPECT_EQ(q.config.identity.variant, 9);
    EXPECT_EQ(q.config.com, 0);
}

TEST(ZtsimOptions, BadValuesUnknownOptionsAndStrayArgumentsAreBadUsage) {
    const struct {
        const char* args;
        std::string complaint;  // empty: CLI11's own words
    } cases[] = {
        {"--major 256", "--major wants a number from 0 to 255, not '256'"},
        {"--truncate -5", "--truncate wants a number from 0 to 100000, not '-5'"},
        {"--com 0x", "--com wants a number from 0 to 9999, not '0x'"},
        {"--variant PDQ", "--variant wants a number from 0 to 255, not 'PDQ'"},
        {"--frame-reply 5", "--frame-reply wants N:B, e.g. 5:0x81"},
        {"--frame-reply 0:0x81", "--frame-reply N wants a number from 1 to 100000, not '0'"},
        {"--frame-reply 5:x", "--frame-reply B wants a number from 0 to 255, not 'x'"},
        {"--bogus", ""},
        {"--com", ""},
        {"stray", ""},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.args);
        EXPECT_EQ(p.status, 2) << c.args;
        EXPECT_TRUE(p.out.empty()) << c.args;
        const std::string tail = "\n(ztsim --help lists the options)\n";
        ASSERT_GT(p.err.size(), tail.size()) << c.args;
        EXPECT_EQ(p.err.substr(p.err.size() - tail.size()), tail);
        if (c.complaint.empty())
            EXPECT_EQ(p.err.rfind("ztsim: ", 0), 0u) << p.err;
        else
            EXPECT_EQ(p.err, "ztsim: " + c.complaint + tail);
    }
}

TEST(ZtsimOptions, HelpGoesToTheOutputUsageLineFirst) {
    for (const char* flag : {"--help", "-h"}) {
        const Parsed p = Parse(std::string("--com 3 ") + flag);
        EXPECT_EQ(p.status, 0);
        EXPECT_EQ(p.out.rfind("Usage: ztsim [options]\nA virtual Zentor 3 keyer", 0), 0u) << p.out;
        EXPECT_NE(p.out.find("\nFaults:\n  --silent "), std::string::npos) << p.out;
        EXPECT_TRUE(p.err.empty());
    }
}

}  // namespace
}  // namespace zt::sim
