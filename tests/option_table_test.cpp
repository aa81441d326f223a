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
std::string ExampleValue(const OptionSpec& option) {
    if (!option.valueWords.empty()) return std::string(option.valueWords.substr(0, option.valueWords.find(' ')));
    if (option.valueName == "M") return "12.5";
    if (option.valueName == "YYYY-MM-DD") return "2024-02-29";
    if (option.valueName == "TIME") return "2024-06-01T00:00:00Z";
    if (option.valueName == "[+-]hh:mm:ss") return "+01:00:00";
    if (option.valueName == "DURATION") return "15m";
    if (option.valueName == "METRES") return "5";
    if (option.valueName == "N") return "500";
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
    for (const OptionSpec& option : OptionTable()) {
        for (const auto& c : commands) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(option.name));
            std::vector<std::string> args{"torvane-cli", c.name, "log.nmea"};
            if (c.command == Command::Analyze && option.position) args.push_back("--summary");
            if (c.command == Command::Convert && option.name == "--kml-time") args.insert(args.end(), {"--to", "kml"});
            if (c.command == Command::Convert && option.group == OptionGroup::Shape) {
                args.insert(args.end(), {"--to", "gpx"});
            }
            args.emplace_back(option.name);
            if (!option.valueName.empty()) args.push_back(ExampleValue(option));
            Options o;
            std::string error;
            // (Options gather files across calls: each parse starts afresh.)
            EXPECT_EQ(Parses(args, o, error), (option.commands & c.mask) != 0) << error;
            if ((option.commands & c.mask) != 0) {
                EXPECT_EQ(o.command, c.command);
            }
            // analyze takes an option of the positions only for their figures or account.
            if (c.command == Command::Analyze && option.position) {
                std::vector<std::string> alone = args;
                alone.erase(alone.begin() + 3);  // "--summary"
                o = Options{};
                EXPECT_FALSE(Parses(alone, o, error));
                EXPECT_EQ(error, "analyze takes position options only with --summary or --report");
            }
            // Its value is asked for, also in the "--name=value" form.
            if (!option.valueName.empty() && (option.commands & c.mask) != 0) {
                args.pop_back();
                o = Options{};
                EXPECT_FALSE(Parses(args, o, error));
                EXPECT_EQ(error, "option '" + std::string(option.name) + "' needs a value");
                args.back() = std::string(option.name) + "=" + ExampleValue(option);
                o = Options{};
                EXPECT_TRUE(Parses(args, o, error)) << error;
            }
        }
    }
}

TEST(OptionTable, UsageCompletionAndManualNameEveryOption) {
    const std::string completion = BashCompletion();
    const std::string manual = ManualOptions();
    for (const OptionSpec& option : OptionTable()) {
        SCOPED_TRACE(std::string(option.name));
        EXPECT_NE(UsageText().find(std::string(option.name)), std::string::npos);
        std::string roffName;  // "\-\-kml\-time"
        for (const char c : option.name) roffName += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(ManualTags(manual).find("\\fB" + roffName + "\\fR"), std::string::npos);
        EXPECT_NE(completion.find(std::string(option.name) + " "), std::string::npos);
        if (!option.valueWords.empty()) {
            EXPECT_NE(completion.find("\"" + std::string(option.valueWords) + "\""), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace torvane::frontend
