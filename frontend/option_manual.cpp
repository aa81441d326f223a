#include "option_manual.h"

#include <cctype>

#include "option_table.h"

namespace torvane::frontend {
namespace {

// `name` ("--kml-time") as roff writes a minus sign: "\-\-kml\-time".
std::string RoffName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '-') out += '\\';
        out += c;
    }
    return out;
}

// The usage's help as a sentence of the manual: capitalised, ended with a
// full stop; backslashes kept, and the hyphens of options ("--any-talker")
// and of negative numbers written as minus signs.
std::string HelpSentence(std::string_view help) {
    std::string out;
    bool dashWord = false;  // the current word starts with "-"
    char before = ' ';
    for (const char c : help) {
        if (before == ' ' || before == '(' || before == '"') dashWord = c == '-';
        if (c == '\\') out += "\\e";
        else if (c == '-' && dashWord) out += "\\-";
        else out += c;
        before = c;
    }
    if (out.empty()) return out;
    out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
    if (out[0] == '.' || out[0] == '\'') out.insert(0, "\\&");
    return out + '.';
}

// "\fB\-\-to\fR \fBtable\fR|\fBkml\fR..." or "\fB\-\-date\fR \fIYYYY-MM-DD\fR":
// the option's name with its value, literal words bold, a placeholder in italics.
std::string NameWithValue(std::string_view name, std::string_view value) {
    std::string out = "\\fB" + RoffName(name) + "\\fR";
    if (value.empty()) return out;
    if (value.find('|') == std::string_view::npos) return out + " \\fI" + std::string(value) + "\\fR";
    out += ' ';
    for (std::size_t start = 0;;) {
        const std::size_t bar = value.find('|', start);
        out += "\\fB" + std::string(value.substr(start, bar - start)) + "\\fR";
        if (bar == std::string_view::npos) return out;
        out += '|';
        start = bar + 1;
    }
}

// "Commands: \fBconvert\fR, \fBpreview\fR." with analyze's condition where it has one.
std::string CommandsLine(const OptionSpec& spec) {
    std::string line;
    const auto add = [&line](const char* command) {
        line += std::string(line.empty() ? "Commands: " : ", ") + "\\fB" + command + "\\fR";
    };
    if ((spec.commands & kAnalyze) != 0 && !spec.position) add("analyze");
    if ((spec.commands & kConvert) != 0) add("convert");
    if ((spec.commands & kPreview) != 0) add("preview");
    if ((spec.commands & kAnalyze) != 0 && spec.position) {
        add("analyze");
        line += " with \\fB\\-\\-summary\\fR or \\fB\\-\\-report\\fR";
    }
    return line + '.';
}

// `text` with "{map}" as the overlay's default map name.
std::string WithMapName(std::string text) {
    if (const std::size_t map = text.find("{map}"); map != std::string::npos) text.replace(map, 5, kDefaultMapName);
    return text;
}

}  // namespace

std::string ManualOptions() {
    std::string roff;
    for (const OptionSpec& spec : OptionTable()) {
        roff += ".TP\n";
        if (!spec.alias.empty()) roff += NameWithValue(spec.alias, spec.valueName) + ", ";
        roff += NameWithValue(spec.name, spec.valueName) + '\n';
        roff += WithMapName(spec.manual.empty() ? HelpSentence(spec.help) : std::string(spec.manual)) + '\n';
        roff += ".br\n" + CommandsLine(spec) + '\n';
    }
    return roff;
}

bool MergeManualOptions(std::string_view page, std::string& merged, std::string& error) {
    const std::string line = std::string(kManualOptionsLine) + '\n';
    const std::size_t at = page.find(line);
    if (at == std::string_view::npos || (at != 0 && page[at - 1] != '\n') ||
        page.find(line, at + line.size()) != std::string_view::npos) {
        error = "the manual page must hold the line \"" + std::string(kManualOptionsLine) + "\" once";
        return false;
    }
    merged = std::string(page.substr(0, at)) + ManualOptions() + std::string(page.substr(at + line.size()));
    return true;
}

}  // namespace torvane::frontend
