#include "convert/files/line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "convert/files/input_file.h"
#include "test_files.h"

namespace torvane {
namespace {

using test::TempDir;

std::vector<std::string> ReadLines(const std::string& bytes, std::size_t maxLine = kMaxLineLength,
                                   std::string* error = nullptr, std::size_t block = kReadBlockSize,
                                   TextEncoding encoding = TextEncoding::Bytes) {
    TempDir dir;
    const std::string path = dir.File("input.txt");
    test::WriteFile(path, bytes);
    InputFile file;
    EXPECT_TRUE(file.Open(path));
    LineReader reader(file.Descriptor(), maxLine, block);
    reader.SetEncoding(encoding);
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

TEST(LineReader, LineEndsAtEveryPlaceOfTheWindowScanned) {
    // Lines of 0 to 140 bytes ending in turn in CR LF, CR and LF, so that
    // line ends, and the two bytes of a CR LF, fall on every side of the
    // 64 bytes looked at together, and of reads of a few bytes.
    const char* const ends[] = {"\r\n", "\r", "\n"};
    std::string bytes;
    Lines expected;
    for (std::size_t length = 0; length <= 140; ++length) {
        expected.emplace_back(length, static_cast<char>('a' + length % 26));
        bytes += expected.back() + ends[length % 3];
    }
    for (const std::size_t block : {std::size_t{3}, std::size_t{64}, std::size_t{65}, kReadBlockSize}) {
        EXPECT_EQ(ReadLines(bytes, kMaxLineLength, nullptr, block), expected) << "block " << block;
    }
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

TEST(LineReader, LinesUpToFourMebibytesAreRead) {
    // At the reader's own cap and one byte either side, the long line
    // between two short ones.
    for (const std::size_t length : {kMaxLineLength - 1, kMaxLineLength, kMaxLineLength + 1}) {
        std::string error;
        const std::string line(length, 'x');
        const Lines lines = ReadLines("a\n" + line + "\r\nb", kMaxLineLength, &error);
        if (length <= kMaxLineLength) {
            EXPECT_EQ(lines, (Lines{"a", line, "b"})) << length;
            EXPECT_EQ(error, "") << length;
        } else {
            EXPECT_EQ(lines, Lines{"a"}) << length;
            EXPECT_EQ(error, "line 2 is longer than 4194304 bytes; this is not a text log") << length;
        }
    }
}

TEST(LineReader, Utf16TextAsUtf8WhereverTheReadsSplitIt) {
    // Units of one, two and three UTF-8 bytes and a surrogate pair (four),
    // in lines whose lengths move every unit across some read's end.
    const std::string units[] = {"a", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80"};
    const char16_t codes[][2] = {{u'a', 0}, {u'\u00e9', 0}, {u'\u20ac', 0}, {0xD83D, 0xDE00}};
    Lines expected;
    std::u16string text;
    for (int line = 0; line < 40; ++line) {
        std::string utf8;
        for (int i = 0; i <= line; ++i) {
            const int k = (line + i) % 4;
            utf8 += units[k];
            for (const char16_t code : codes[k]) {
                if (code != 0) text += code;
            }
        }
        expected.push_back(utf8);
        text += line % 2 == 0 ? u"\r\n" : u"\n";
    }
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
        for (const char16_t code : text) {
            const char high = static_cast<char>(code >> 8), low = static_cast<char>(code & 0xff);
            bytes += bigEndian ? high : low;
            bytes += bigEndian ? low : high;
        }
        const TextEncoding encoding = bigEndian ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian;
        for (const std::size_t block : {1u, 64u, 65u, 66u, 67u, 70u, 71u, 1u << 20}) {
            EXPECT_EQ(ReadLines(bytes, kMaxLineLength, nullptr, block, encoding), expected)
                << (bigEndian ? "big endian, block " : "little endian, block ") << block;
        }
    }
    // A surrogate without its partner, and a last odd byte: U+FFFD.
    const Lines replaced{"\xef\xbf\xbd" "a", "b\xef\xbf\xbd", "c\xef\xbf\xbd"};
    EXPECT_EQ(ReadLines(std::string("\xff\xfe\x00\xdc" "a\0\n\0b\0\x00\xd8\n\0c\0\x41", 17), kMaxLineLength,
                        nullptr, 64, TextEncoding::Utf16LittleEndian),
              replaced);
    // The mark only at the start is dropped; as bytes it stays.
    EXPECT_EQ(ReadLines(test::Utf16("x\xef", false) + std::string("\xff\xfe", 2), kMaxLineLength, nullptr, 64,
                        TextEncoding::Utf16LittleEndian),
              (Lines{"x\xc3\xaf\xef\xbb\xbf"}));
    EXPECT_EQ(ReadLines(test::Utf16("x", false), kMaxLineLength, nullptr, 64), (Lines{std::string("\xff\xfex\0", 4)}));
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
