#include "convert/line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "convert/input_file.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::TempDir;

std::vector<std::string> ReadLines(const std::string& bytes, std::size_t maxLine = kMaxLineLength,
                                   std::string* error = nullptr, std::size_t block = kReadBlockSize) {
    TempDir dir;
    const std::string path = dir.File("input.txt");
    test::WriteFile(path, bytes);
    InputFile file;
    EXPECT_TRUE(file.Open(path));
    LineReader reader(file.Descriptor(), maxLine, block);
    std::vector<std::string> lines;
    std::string_view line;
    LineReader::Status status;
    while ((status = reader.Next(line)) == LineReader::Status::Line) lines.emplace_back(line);
    if (error != nullptr) *error = status == LineReader::Status::Error ? reader.ErrorText() : "";
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, EveryLineEndKind) {
    EXPECT_EQ(ReadLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(ReadLines("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(ReadLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(ReadLines("a\nb\r\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(ReadLines("a\n\rb"), (Lines{"a", "", "b"}));            // LF, then CR: two ends
    EXPECT_EQ(ReadLines("a\r\r\nb\r\n\x1a"), (Lines{"a", "", "b", "\x1a"}));  // CR CR LF and Ctrl-Z
    EXPECT_EQ(ReadLines("last without end"), (Lines{"last without end"}));
    EXPECT_EQ(ReadLines(""), Lines{});
    EXPECT_EQ(ReadLines("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(ReadLines(std::string("a\0b\r\n", 5)), (Lines{std::string("a\0b", 3)}));
}

TEST(LineReader, LinesAcrossBlockBoundaries) {
    // The CR of a CR LF pair is the last byte of the first block read.
    const std::size_t block = 1u << 20;
    std::string first(block - 1, 'x');
    std::string bytes = first + "\r\ny\r\n" + std::string(3 * block, 'z') + "\nend";
    EXPECT_EQ(ReadLines(bytes), (Lines{first, "y", std::string(3 * block, 'z'), "end"}));
}

TEST(LineReader, OverlongLineIsAnErrorNotAnAllocation) {
    std::string error;
    EXPECT_EQ(ReadLines("short\n" + std::string(40, 'x'), 16, &error), (Lines{"short"}));
    EXPECT_EQ(error, "line 2 is longer than 16 bytes; this is not a text log");
    EXPECT_EQ(ReadLines("fifteen chars..\n", 16, &error), (Lines{"fifteen chars.."}));
    EXPECT_EQ(error, "");
}

TEST(LineReader, LineAtTheCapIsReadWhenItsCrEndsARead) {
    // The CR is the last byte of a full buffer; the LF that may follow it
    // is still to be read. A line as long as the cap is read; one byte more
    // is "longer than" the cap.
    for (std::size_t block = 1; block <= 20; ++block) {
        std::string error;
        EXPECT_EQ(ReadLines("sixteen chars...\r\nnext", 16, &error, block), (Lines{"sixteen chars...", "next"}))
            << "block " << block;
        EXPECT_EQ(error, "") << "block " << block;
        EXPECT_EQ(ReadLines("sixteen chars...", 16, &error, block), (Lines{"sixteen chars..."})) << "block " << block;
        EXPECT_EQ(error, "") << "block " << block;
        EXPECT_EQ(ReadLines("seventeen chars..\r\nnext", 16, &error, block), Lines{}) << "block " << block;
        EXPECT_EQ(error, "line 1 is longer than 16 bytes; this is not a text log");
        EXPECT_EQ(ReadLines("seventeen chars..", 16, &error, block), Lines{}) << "block " << block;
        EXPECT_EQ(error, "line 1 is longer than 16 bytes; this is not a text log");
    }
}

TEST(InputFile, RefusesDirectoriesAndMissingFiles) {
    TempDir dir;
    InputFile file;
    EXPECT_FALSE(file.Open(dir.Path()));
    EXPECT_EQ(file.ErrorText(), std::strerror(EISDIR));
    EXPECT_FALSE(file.Open(dir.File("missing")));
    EXPECT_EQ(file.ErrorText(), std::strerror(ENOENT));
    EXPECT_FALSE(file.Open(""));
}

}  // namespace
}  // namespace torvane
