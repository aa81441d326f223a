// Every option of torvane-cli (and of the page, which takes the same
// arguments) defined once: its names, its value, the commands that take it,
// its help and how it is taken. The usage text, the bash completion, the
// manual's options and the parser are made from this table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "options.h"

namespace torvane::frontend {

// The commands an option is given to.
enum CommandSet : unsigned { kAnalyze = 1, kConvert = 2, kPreview = 4 };

// Where the usage lists an option.
enum class OptionGroup { AnalyzeAndConvert, Convert, Shape };

// What parsing has seen so far, for the rules between options.
struct ParseState {
    bool sawAltitude = false;
};

struct OptionSpec {
    std::string_view name;        // "--any-talker"
    std::string_view alias;       // another name ("-o" for "--output"), or ""
    std::string_view valueName;   // "M", "YYYY-MM-DD", ...; "" for an option without a value
    std::string_view valueWords;  // the values the completion offers, blank-separated; "" for none
    unsigned commands;            // a CommandSet
    bool position;                // changes which positions a run keeps: analyze takes it only with
                                  // --summary or --report
    OptionGroup group;
    std::string_view help;        // the usage's text, one paragraph
    // The manual's text (roff) where it says more than `help`; "" for
    // `help` itself, as a sentence.
    std::string_view manual;
    // Takes the option (with its value) into `o`; false with `error` for a
    // value it does not take.
    bool (*take)(Options& o, const std::string& name, const std::string& value, ParseState& state,
                 std::string& error);
};

std::span<const OptionSpec> OptionTable();

// The option named `name` (or its alias), or null.
const OptionSpec* FindOption(std::string_view name);

// The usage's list of the options of `group`: a name column, the help
// wrapped beside it.
std::string OptionsHelp(OptionGroup group);

// The bash completion script for torvane-cli.
std::string BashCompletion();

}  // namespace torvane::frontend
