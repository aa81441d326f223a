// The table of options against the parser, the usage, the completion and the
// manual made from it: each option is taken by each command the table names
// and refused by the others, with a value where it takes one; none is
// missing from the usage, the completion or the manual's entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/option_manual.h"
#include "frontend/option_table.h"

namespace torvane::frontend {
namespace {

// A value the option takes.
std::string ExampleValue(const OptionSpec& spec) {
    if (!spec.valueWords.empty()) return std::string(spec.valueWords.substr(0, spec.valueWords.find(' ')));
    if (spec.valueName == "M") return "12.5";
    if (spec.valueName == "YYYY-MM-DD") return "2024-02-29";
    if (spec.valueName == "TIME") return "2024-06-01T00:00:00Z";
    if (spec.valueName == "[+-]hh:mm:ss") return "+01:00:00";
    if (spec.valueName == "DURATION") return "15m";
    if (spec.valueName == "METRES") return "5";
    return "x";
}

// The manual's entry lines: the line after each ".TP".
std::string ManualTags(const std::string& manual) {
    std::string tags;
    for (std::size_t at = manual.find(".TP\n"); at != std::string::npos; at = manual.find(".TP\n", at + 1)) {
        const std::size_t start = at + 4;
        tags += manual.substr(start, manual.find('\n', start) - start) + '\n';
    }
    return tags;
}

bool Parses(std::vector<std::string> args, Options& o, std::string& error) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    return ParseOptions(static_cast<int>(argv.size()), argv.data(), o, error);
}

TEST(OptionTable, EachCommandTakesItsOptionsAndRefusesTheOthers) {
    const struct {
        const char* name;
        unsigned mask;
        Command command;
    } commands[] = {{"analyze", kAnalyze, Command::Analyze},
                    {"convert", kConvert, Command::Convert},
                    {"preview", kPreview, Command::Preview}};
    for (const OptionSpec& spec : OptionTable()) {
        for (const auto& c : commands) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(spec.name));
            std::vector<std::string> args{"torvane-cli", c.name, "log.nmea"};
            if (c.command == Command::Analyze && spec.position) args.push_back("--summary");
            if (c.command == Command::Convert && spec.name == "--kml-time") args.insert(args.end(), {"--to", "kml"});
            if (c.command == Command::Convert && spec.group == OptionGroup::Shape) {
                args.insert(args.end(), {"--to", "gpx"});
            }
            args.emplace_back(spec.name);
            if (!spec.valueName.empty()) args.push_back(ExampleValue(spec));
            Options o;
            std::string error;
            // (Options gather files across calls: each parse starts afresh.)
            EXPECT_EQ(Parses(args, o, error), (spec.commands & c.mask) != 0) << error;
            if ((spec.commands & c.mask) != 0) {
                EXPECT_EQ(o.command, c.command);
            }
            // analyze takes an option of the positions only for their figures or account.
            if (c.command == Command::Analyze && spec.position) {
                std::vector<std::string> alone = args;
                alone.erase(alone.begin() + 3);  // "--summary"
                o = Options{};
                EXPECT_FALSE(Parses(alone, o, error));
                EXPECT_EQ(error, "analyze takes position options only with --summary or --report");
            }
            // Its value is asked for, also in the "--name=value" form.
            if (!spec.valueName.empty() && (spec.commands & c.mask) != 0) {
                args.pop_back();
                o = Options{};
                EXPECT_FALSE(Parses(args, o, error));
                EXPECT_EQ(error, "option '" + std::string(spec.name) + "' needs a value");
                args.back() = std::string(spec.name) + "=" + ExampleValue(spec);
                o = Options{};
                EXPECT_TRUE(Parses(args, o, error)) << error;
            }
        }
    }
}

TEST(OptionTable, UsageCompletionAndManualNameEveryOption) {
    const std::string completion = BashCompletion();
    const std::string manual = ManualOptions();
    for (const OptionSpec& spec : OptionTable()) {
        SCOPED_TRACE(std::string(spec.name));
        EXPECT_NE(UsageText().find(std::string(spec.name)), std::string::npos);
        std::string roffName;  // "\-\-kml\-time"
        for (const char c : spec.name) roffName += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(ManualTags(manual).find("\\fB" + roffName + "\\fR"), std::string::npos);
        EXPECT_NE(completion.find(std::string(spec.name) + " "), std::string::npos);
        if (!spec.valueWords.empty()) {
            EXPECT_NE(completion.find("\"" + std::string(spec.valueWords) + "\""), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace torvane::frontend
