// The line reader on arbitrary bytes, with small line caps and read blocks
// so that lines, CR LF pairs and the cap meet block boundaries. Its lines
// must be those of a plain splitter, up to the first line longer than the
// cap, where reading ends with an error.
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "convert/files/line_reader.h"
#include "fuzz_support.h"

namespace {

using torvane::fuzz::Require;

// A line ends at CR LF, CR or LF; the last line needs no end.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t maxLine = data[0] >= 250 ? torvane::kMaxLineLength : 1 + data[0] % 48;
    const std::size_t block = 1 + data[1] % 24;
    const std::string_view text = torvane::fuzz::AsText(data + 2, size - 2);

    const int fd = ::memfd_create("lines", MFD_CLOEXEC);
    Require(fd >= 0, "memfd_create failed");
    Require(::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()), "memfd write failed");
    ::lseek(fd, 0, SEEK_SET);

    const std::vector<std::string_view> expected = SplitLines(text);
    torvane::LineReader reader(fd, maxLine, block);
    std::size_t count = 0;
    std::string_view line;
    torvane::LineReader::Status status;
    while ((status = reader.Next(line)) == torvane::LineReader::Status::Line) {
        Require(count < expected.size(), "more lines than the text holds");
        Require(line == expected[count], "line differs from the plain splitter", line);
        Require(line.size() <= maxLine, "line longer than the cap was read");
        ++count;
        Require(reader.LineNumber() == count, "line number out of step");
    }
    if (status == torvane::LineReader::Status::End) {
        Require(count == expected.size(), "reading ended before the last line");
        Require(reader.BytesRead() == text.size(), "not every byte was read");
        Require(reader.Next(line) == torvane::LineReader::Status::End, "End is not lasting");
    } else {
        Require(count < expected.size() && expected[count].size() > maxLine,
                "reading failed at a line shorter than the cap", reader.ErrorText());
        Require(reader.ErrorText().rfind("line " + std::to_string(count + 1) + " is longer than ", 0) == 0,
                "unclear message for a long line", reader.ErrorText());
    }
    ::close(fd);
    return 0;
}
