#include "convert/read/fit_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convert/files/input_file.h"
#include "convert/write/line_account.h"
#include "fit_crc_oracle.h"
#include "log_run.h"
#include "test_files.h"

namespace torvane {
namespace {

using oracle::FitCrc;

// --- FIT bytes made by hand.

std::string Bytes(std::uint64_t value, int size, bool bigEndian = false) {
    std::string out(static_cast<std::size_t>(size), '\0');
    for (int i = 0; i < size; ++i) {
        out[static_cast<std::size_t>(bigEndian ? size - 1 - i : i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return out;
}

struct Field {
    int number, size, baseType;
};

// The record message's fields the tests use, with their base types.
constexpr Field kTime{253, 4, 0x86}, kLat{0, 4, 0x85}, kLon{1, 4, 0x85}, kAlt{2, 2, 0x84}, kHeart{3, 1, 0x02};
constexpr std::uint32_t kT0 = 1000000000;  // 2021-09-08T01:46:40Z
constexpr std::int64_t kT0Unix = 1631065600;
constexpr std::int32_t kLatSemicircles = 600000000, kLonSemicircles = -100000000;

std::string Definition(int local, int global, const std::vector<Field>& fields, bool bigEndian = false,
                       const std::vector<int>& developerSizes = {}) {
    std::string out(1, static_cast<char>(0x40 | (developerSizes.empty() ? 0 : 0x20) | local));
    out += '\0';
    out += static_cast<char>(bigEndian ? 1 : 0);
    out += Bytes(static_cast<std::uint64_t>(global), 2, bigEndian);
    out += static_cast<char>(fields.size());
    for (const Field& f : fields) out += {static_cast<char>(f.number), static_cast<char>(f.size), static_cast<char>(f.baseType)};
    if (!developerSizes.empty()) {
        out += static_cast<char>(developerSizes.size());
        for (std::size_t i = 0; i < developerSizes.size(); ++i) out += {static_cast<char>(i), static_cast<char>(developerSizes[i]), '\0'};
    }
    return out;
}

// The standard record definition (local type 0) and one of its messages.
std::string RecordDefinition(bool bigEndian = false) {
    return Definition(0, 20, {kTime, kLat, kLon, kAlt, kHeart}, bigEndian);
}
std::string RecordData(std::uint32_t time = kT0, std::int32_t lat = kLatSemicircles,
                       std::int32_t lon = kLonSemicircles, std::uint16_t altitude = 3000, std::uint8_t heart = 150,
                       bool bigEndian = false) {
    return '\0' + Bytes(time, 4, bigEndian) + Bytes(static_cast<std::uint32_t>(lat), 4, bigEndian) +
           Bytes(static_cast<std::uint32_t>(lon), 4, bigEndian) + Bytes(altitude, 2, bigEndian) +
           static_cast<char>(heart);
}

// A FIT file around `messages`: header of `headerSize` bytes (with its CRC,
// unless `headerCrc` says otherwise), the messages, the file's CRC.
std::string FitFile(const std::string& messages, int headerSize = 14, int headerCrc = -1) {
    std::string out = static_cast<char>(headerSize) + std::string(1, '\x20') + Bytes(2100, 2) +
                      Bytes(messages.size(), 4) + ".FIT";
    if (headerSize == 14) out += Bytes(headerCrc < 0 ? FitCrc(out) : static_cast<unsigned>(headerCrc), 2);
    out += messages;
    return out + Bytes(FitCrc(out), 2);
}

const std::string kOneRecord = RecordDefinition() + RecordData();

// --- Reading them.

struct Read {
    FitEnd end;
    std::string error;
    int files;
    std::vector<Record> records;
    std::size_t Positions() const {
        std::size_t n = 0;
        for (const Record& r : records) n += r.hasPosition ? 1 : 0;
        return n;
    }
};

struct Collect : FitRecordSink {
    std::vector<Record> records;
    bool Take(const Record& record, std::uint64_t) override {
        records.push_back(record);
        return true;
    }
};

Read ReadFit(std::string_view bytes, const RunOptions& options = {}) {
    FitFileReader reader(options);
    Collect sink;
    const FitEnd end = reader.Read(bytes, sink);
    return {end, reader.ErrorText(), reader.FilesRead(), std::move(sink.records)};
}

TEST(FitFile, WorkedRecord) {
    const Read r = ReadFit(FitFile(kOneRecord));
    ASSERT_EQ(r.end, FitEnd::Finished) << r.error;
    ASSERT_EQ(r.records.size(), 1u);
    const Record& record = r.records[0];
    EXPECT_TRUE(record.hasPosition);
    EXPECT_FALSE(record.invalid);
    EXPECT_DOUBLE_EQ(record.position.latitude, kLatSemicircles * 180.0 / 2147483648.0);
    EXPECT_DOUBLE_EQ(record.position.longitude, kLonSemicircles * 180.0 / 2147483648.0);
    EXPECT_EQ(record.position.altitude, 100.0f);  // 3000 / 5 - 500
    EXPECT_TRUE(record.position.altitudeGiven);
    EXPECT_EQ(record.position.utcTime, kT0Unix * 1000);
    EXPECT_EQ(record.position.timeOfDay, 1 * 3600 + 46 * 60 + 40);
    EXPECT_EQ(record.position.measurements.has, Measurements::kHeartRate);
    EXPECT_EQ(record.position.measurements.heartRate, 150);
}

// Whole files, each boundary on both sides: how the reading ends, the
// records and positions it gives, and what the failure says.
TEST(FitFile, FormsAndFaults) {
    const std::string good = FitFile(kOneRecord);
    std::string badFileCrc = good;
    badFileCrc.back() = static_cast<char>(badFileCrc.back() ^ 1);
    std::string header13 = good;
    header13[0] = 13;
    std::string header11 = FitFile(kOneRecord, 12);
    header11[0] = 11;
    std::string notFit = good;
    notFit[9] = 'X';
    const std::string header14 = FitFile(kOneRecord, 14);
    const std::string goodHeaderCrc = header14.substr(12, 2);
    const unsigned crc = static_cast<unsigned char>(goodHeaderCrc[0]) | static_cast<unsigned char>(goodHeaderCrc[1]) << 8;
    // A data size one short (in a header without a CRC of its own): the
    // message runs past the data's end.
    std::string shortData = FitFile(kOneRecord, 12);
    shortData[4] = static_cast<char>(shortData[4] - 1);
    std::string byteOrder2 = Definition(0, 20, {kLat, kLon});
    byteOrder2[2] = 2;
    // Developer fields of 3 and 1 bytes after the standard fields.
    const std::string developer = Definition(0, 20, {kTime, kLat, kLon, kAlt, kHeart}, false, {3, 1}) +
                                  RecordData() + "abcd" + RecordData(kT0 + 1) + "wxyz";
    // A sint32 latitude 3 bytes long holds no value.
    const std::string misaligned = Definition(0, 20, {{0, 3, 0x85}, kLon}) + std::string("\0\1\2\3", 4) +
                                   Bytes(static_cast<std::uint32_t>(kLonSemicircles), 4);

    struct Case {
        std::string_view name;
        std::string bytes;
        FitEnd end;
        std::size_t records, positions;
        int files;
        std::string_view error;
    };
    const Case cases[] = {
        {"header of 14 bytes with its CRC", header14, FitEnd::Finished, 1, 1, 1, ""},
        {"header of 14 bytes, CRC 0 (none)", FitFile(kOneRecord, 14, 0), FitEnd::Finished, 1, 1, 1, ""},
        {"header of 14 bytes, CRC one off", FitFile(kOneRecord, 14, static_cast<int>(crc ^ 1)), FitEnd::Failed, 0, 0,
         0, "the FIT header at byte 0 fails its CRC"},
        {"header of 12 bytes", FitFile(kOneRecord, 12), FitEnd::Finished, 1, 1, 1, ""},
        {"header of 13 bytes", header13, FitEnd::Failed, 0, 0, 0, "a size of 13 bytes, not 12 or 14"},
        {"header of 11 bytes", header11, FitEnd::Failed, 0, 0, 0, "a size of 11 bytes, not 12 or 14"},
        {"no .FIT", notFit, FitEnd::Failed, 0, 0, 0, "bytes 8 to 11 are not \".FIT\""},
        {"empty", "", FitEnd::Failed, 0, 0, 0, "the file is empty"},
        {"file CRC one off", badFileCrc, FitEnd::Failed, 1, 1, 0, "fails its CRC at byte 51"},
        {"file without its CRC", good.substr(0, good.size() - 2), FitEnd::Failed, 1, 1, 0,
         "ends before the CRC of the FIT file at byte 0"},
        {"data size one short", shortData, FitEnd::Failed, 0, 0, 0,
         "the message at byte 33 runs past the end of the FIT data at byte 48"},
        {"cut in the middle of the data message", good.substr(0, 40), FitEnd::Failed, 0, 0, 0,
         "the file ends within the message at byte 35: it is cut short"},
        {"cut in the middle of the definition", good.substr(0, 20), FitEnd::Failed, 0, 0, 0,
         "the file ends within the message at byte 14"},
        {"data before any definition", FitFile(RecordData()), FitEnd::Failed, 0, 0, 0,
         "the data message at byte 14 is of local type 0, which no definition before it gives"},
        {"byte order 2", FitFile(byteOrder2), FitEnd::Failed, 0, 0, 0,
         "gives the byte order 2, neither 0 (little-endian) nor 1 (big-endian)"},
        {"two chained files", good + FitFile(RecordDefinition() + RecordData(kT0 + 5), 12), FitEnd::Finished, 2, 2, 2,
         ""},
        {"a stray byte after the file", good + "\x0e", FitEnd::Failed, 1, 1, 1, "the file ends within the FIT header at byte 53"},
        {"developer fields skipped by their sizes", FitFile(developer), FitEnd::Finished, 2, 2, 1, ""},
        {"latitude of a size no multiple of its type's", FitFile(misaligned), FitEnd::Finished, 1, 0, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r = ReadFit(c.bytes);
        EXPECT_EQ(r.end, c.end);
        EXPECT_EQ(r.records.size(), c.records);
        EXPECT_EQ(r.Positions(), c.positions);
        EXPECT_EQ(r.files, c.files);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_EQ(r.error.empty(), c.error.empty()) << r.error;
    }
}

TEST(FitFile, BigEndianDefinitionReadsAsLittleEndian) {
    const Read little = ReadFit(FitFile(kOneRecord));
    const Read big = ReadFit(
        FitFile(RecordDefinition(true) + RecordData(kT0, kLatSemicircles, kLonSemicircles, 3000, 150, true)));
    ASSERT_EQ(big.end, FitEnd::Finished) << big.error;
    ASSERT_EQ(big.records.size(), 1u);
    EXPECT_EQ(big.records[0].position.latitude, little.records[0].position.latitude);
    EXPECT_EQ(big.records[0].position.longitude, little.records[0].position.longitude);
    EXPECT_EQ(big.records[0].position.altitude, little.records[0].position.altitude);
    EXPECT_EQ(big.records[0].position.utcTime, little.records[0].position.utcTime);
}

// Each field's invalid value is no value; the value next to it is one.
TEST(FitFile, InvalidValuesAreNoValues) {
    struct Case {
        std::string_view name;
        std::int32_t lat;
        std::uint16_t altitude;
        std::uint8_t heart;
        std::uint32_t time;
        bool position, altitudeGiven, heartRate, utcTime;
    };
    for (const Case c : {
             Case{"all valid", kLatSemicircles, 3000, 150, kT0, true, true, true, true},
             Case{"latitude invalid", 0x7FFFFFFF, 3000, 150, kT0, false, false, false, false},
             Case{"latitude next to invalid", 0x7FFFFFFE, 3000, 150, kT0, true, true, true, true},
             Case{"altitude invalid", kLatSemicircles, 0xFFFF, 150, kT0, true, false, true, true},
             Case{"altitude next to invalid", kLatSemicircles, 0xFFFE, 150, kT0, true, true, true, true},
             Case{"heart rate invalid", kLatSemicircles, 3000, 0xFF, kT0, true, true, false, true},
             Case{"heart rate next to invalid", kLatSemicircles, 3000, 0xFE, kT0, true, true, true, true},
             Case{"time invalid", kLatSemicircles, 3000, 150, 0xFFFFFFFF, true, true, true, false},
             Case{"time from the device's start", kLatSemicircles, 3000, 150, 0x0FFFFFFF, true, true, true, false},
             Case{"least date and time", kLatSemicircles, 3000, 150, 0x10000000, true, true, true, true},
         }) {
        SCOPED_TRACE(c.name);
        const Read r = ReadFit(FitFile(RecordDefinition() + RecordData(c.time, c.lat, kLonSemicircles, c.altitude, c.heart)));
        ASSERT_EQ(r.end, FitEnd::Finished) << r.error;
        ASSERT_EQ(r.records.size(), 1u);
        const Record& record = r.records[0];
        EXPECT_EQ(record.hasPosition, c.position);
        if (!c.position) {
            EXPECT_TRUE(record.invalid);
            EXPECT_EQ(record.reason, LineReason::RecordWithoutPosition);
            continue;
        }
        EXPECT_EQ(record.position.altitudeGiven, c.altitudeGiven);
        EXPECT_EQ(record.position.altitude, c.altitudeGiven ? c.altitude / 5.0f - 500 : 0);
        EXPECT_EQ(record.position.measurements.Has(Measurements::kHeartRate), c.heartRate);
        EXPECT_EQ(record.position.utcTime.has_value(), c.utcTime);
    }
}

// A timestamp of a wider type than its own 32 bits is a time only where
// it fits them.
TEST(FitFile, TimesBeyond32BitsAreNone) {
    const std::string definition = Definition(0, 20, {{253, 8, 0x8F}, kLat, kLon});
    const auto data = [](std::uint64_t time) {
        return '\0' + Bytes(time, 8) + Bytes(static_cast<std::uint32_t>(kLatSemicircles), 4) +
               Bytes(static_cast<std::uint32_t>(kLonSemicircles), 4);
    };
    const Read r = ReadFit(FitFile(definition + data(0xFFFFFFFF) + data(0x100000000)));
    ASSERT_EQ(r.end, FitEnd::Finished) << r.error;
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].position.utcTime, (0xFFFFFFFF + std::int64_t{631065600}) * 1000);
    EXPECT_FALSE(r.records[1].position.utcTime.has_value());
}

TEST(FitFile, EnhancedAltitudeAndMeasurements) {
    const std::string definition = Definition(
        0, 20, {kLat, kLon, kAlt, {78, 4, 0x86}, {4, 1, 0x02}, {7, 2, 0x84}, {13, 1, 0x01}, {6, 2, 0x84}, {73, 4, 0x86}});
    const auto data = [](std::uint32_t enhancedAltitude, std::uint32_t enhancedSpeed) {
        return '\0' + Bytes(static_cast<std::uint32_t>(kLatSemicircles), 4) +
               Bytes(static_cast<std::uint32_t>(kLonSemicircles), 4) + Bytes(3000, 2) + Bytes(enhancedAltitude, 4) +
               "\x5a" + Bytes(250, 2) + "\xf6" + Bytes(5000, 2) + Bytes(enhancedSpeed, 4);
    };
    const Read r = ReadFit(FitFile(definition + data(4000, 7250) + data(0xFFFFFFFF, 0xFFFFFFFF)));
    ASSERT_EQ(r.end, FitEnd::Finished) << r.error;
    ASSERT_EQ(r.records.size(), 2u);
    const Position& enhanced = r.records[0].position;
    EXPECT_EQ(enhanced.altitude, 300.0f);  // 4000 / 5 - 500, not the altitude's 100
    EXPECT_EQ(enhanced.measurements.has, Measurements::kCadence | Measurements::kPower | Measurements::kTemperature |
                                             Measurements::kSpeed);
    EXPECT_EQ(enhanced.measurements.cadence, 90);
    EXPECT_EQ(enhanced.measurements.power, 250);
    EXPECT_EQ(enhanced.measurements.temperature, -100);  // -10 degrees, in tenths
    EXPECT_EQ(enhanced.measurements.speed, 7.25f);
    const Position& plain = r.records[1].position;
    EXPECT_EQ(plain.altitude, 100.0f);
    EXPECT_EQ(plain.measurements.speed, 5.0f);
}

// A compressed timestamp header gives the last full time's five lowest
// bits; an offset below them has rolled over.
TEST(FitFile, CompressedTimestamps) {
    const std::string position = Definition(1, 20, {kLat, kLon});
    const auto compressed = [](int offset) {
        return static_cast<char>(0x80 | 1 << 5 | offset) + Bytes(static_cast<std::uint32_t>(kLatSemicircles), 4) +
               Bytes(static_cast<std::uint32_t>(kLonSemicircles), 4);
    };
    const std::uint32_t full = (kT0 & ~0x1Fu) + 10;
    // An event message (global 21) carries the full time.
    const std::string event = Definition(2, 21, {kTime}) + '\2' + Bytes(full, 4);
    const Read r = ReadFit(FitFile(position + compressed(3) + event + compressed(10) + compressed(11) + compressed(31) +
                                   compressed(9) + compressed(0)));
    ASSERT_EQ(r.end, FitEnd::Finished) << r.error;
    ASSERT_EQ(r.records.size(), 6u);
    EXPECT_FALSE(r.records[0].position.utcTime.has_value());  // before any full time
    const std::int64_t base = (std::int64_t{full} - 10 + 631065600) * 1000;
    EXPECT_EQ(r.records[1].position.utcTime, base + 10'000);
    EXPECT_EQ(r.records[2].position.utcTime, base + 11'000);
    EXPECT_EQ(r.records[3].position.utcTime, base + 31'000);
    EXPECT_EQ(r.records[4].position.utcTime, base + 41'000);  // 9 < 31: rolled over
    EXPECT_EQ(r.records[5].position.utcTime, base + 64'000);  // 0 < 9: again
}

// Every cut of a file ends in a failure with the records before the cut,
// never more, never a crash.
TEST(FitFile, EveryCutFailsCleanly) {
    const std::string two = FitFile(kOneRecord + RecordData(kT0 + 1));
    for (std::size_t size = 0; size < two.size(); ++size) {
        SCOPED_TRACE(size);
        const Read r = ReadFit(std::string_view(two).substr(0, size));
        EXPECT_EQ(r.end, FitEnd::Failed);
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(r.records.size(), size < 51 ? 0u : size < 67 ? 1u : 2u);
    }
}

// Read from a file in blocks: messages that straddle the reads come whole.
TEST(FitFile, LargeFileReadInBlocks) {
    std::string messages = RecordDefinition();
    constexpr std::uint32_t kRecords = 40000;  // 16 bytes each: several blocks
    for (std::uint32_t i = 0; i < kRecords; ++i) messages += RecordData(kT0 + i, kLatSemicircles + static_cast<std::int32_t>(i));
    test::TempDir dir;
    const std::string path = dir.File("large.fit");
    test::WriteFile(path, FitFile(messages));
    InputFile file;
    ASSERT_TRUE(file.Open(path));
    RunOptions options;
    FitFileReader reader(options);
    struct Check : FitRecordSink {
        std::uint32_t n = 0;
        bool Take(const Record& record, std::uint64_t offset) override {
            EXPECT_EQ(offset, 14 + 21 + 16 * std::uint64_t{n});
            EXPECT_EQ(record.position.utcTime, (kT0Unix + n) * 1000);
            ++n;
            return true;
        }
    } check;
    EXPECT_EQ(reader.Read(file.Descriptor(), check), FitEnd::Finished) << reader.ErrorText();
    EXPECT_EQ(check.n, kRecords);
}

// The analysis knows a FIT file by its header's size (12 or 14) and ".FIT"
// at bytes 8 to 11; a run reads it in blocks and writes its positions,
// never a record without one.
TEST(FitFile, RecognisedByItsHeaderAndConverted) {
    struct Case {
        std::string_view name;
        int size;
        std::string_view tag;
        DataKind kind;
    };
    for (const Case c : {Case{"14", 14, ".FIT", DataKind::GPFIT}, Case{"12", 12, ".FIT", DataKind::GPFIT},
                         Case{"13", 13, ".FIT", DataKind::None}, Case{"tag", 14, ".FIX", DataKind::None}}) {
        SCOPED_TRACE(c.name);
        std::string bytes = FitFile(kOneRecord, c.size == 14 ? 14 : 12);
        bytes[0] = static_cast<char>(c.size);
        bytes.replace(8, 4, c.tag);
        test::LogRun run;
        run.Analyze("ride.fit", bytes);
        EXPECT_EQ(run.s.DataType, c.kind);
    }
    // A position, a record without one, a position without an altitude.
    const std::string messages = kOneRecord + RecordData(kT0 + 1, 0x7FFFFFFF) +
                                 RecordData(kT0 + 2, kLatSemicircles, kLonSemicircles, 0xFFFF);
    test::LogRun run;
    EXPECT_EQ(run.Convert("ride.fit", FitFile(messages), DataKind::GPFIT, OutputKind::Table, true),
              " 006400.00  50.2914190 -008.3819032  0100.00\r\n"
              " 006402.00  50.2914190 -008.3819032  0000.00\r\n");
    EXPECT_EQ(run.s.OutputFilePath, run.dir.File("ride_FIT.prn"));
    EXPECT_EQ(run.report.count, 2);
    LineAccount account;
    std::string error;
    ASSERT_TRUE(AccountLines(run.s, account, error)) << error;
    EXPECT_EQ(account.Count(LineReason::Position), 2);
    EXPECT_EQ(account.Count(LineReason::RecordWithoutPosition), 1);
}

// A GPX track from a FIT log is read twice, its header from the first
// reading. A log whose track changes between the two, its size and
// modification time kept, fails the run rather than give a header that is
// not its track's; rewritten with the same bytes, it goes through.
TEST(FitFile, TrackChangedBetweenTheGpxReadingsFailsTheRun) {
    constexpr std::uint32_t kRecords = 200000;  // 3.2 MB: progress reported in both readings
    std::string messages = RecordDefinition(), moved = messages;
    for (std::uint32_t i = 0; i < kRecords; ++i) {
        messages += RecordData(kT0 + i);
        moved += RecordData(kT0 + i, i + 1 < kRecords ? kLatSemicircles : kLatSemicircles + 1000000);
    }
    for (const bool changed : {true, false}) {
        SCOPED_TRACE(changed);
        test::LogRun run;
        run.Analyze("ride.fit", FitFile(messages));
        run.Prepare(OutputKind::GPX);
        const std::string input = run.s.InputFilePath;
        const std::string rewritten = FitFile(changed ? moved : messages);
        bool rewrote = false;
        ProgressHooks hooks;
        hooks.progress = [&](std::uint64_t done, std::uint64_t total) {
            if (rewrote || done <= total / 2) return;  // the writing reading: the second half
            rewrote = true;
            struct stat before {};
            ASSERT_EQ(::stat(input.c_str(), &before), 0);
            test::WriteFile(input, rewritten);
            const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, input.c_str(), times, 0), 0);
        };
        const RunReport report = PerformConversionRun(run.s, &hooks);
        EXPECT_TRUE(rewrote);
        if (changed) {
            EXPECT_EQ(report.outcome, RunReport::Outcome::Failed);
            EXPECT_EQ(report.message,
                      "Cannot read input file " + input + ": the file was changed while it was read. No output written.");
            EXPECT_FALSE(std::filesystem::exists(run.s.OutputFilePath));
        } else {
            EXPECT_EQ(report.outcome, RunReport::Outcome::Written) << report.message;
            EXPECT_EQ(report.count, kRecords);
        }
    }
}

// The real files of the shared acceptance data, where they are: records
// and positions as an independent reader (fit-file-parser) counts them.
TEST(FitFile, SharedFilesAgreeWithAnIndependentReader) {
    const std::filesystem::path folder = TORVANE_SHARED_TESTDATA "/fit";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no " << folder;
    struct Count {
        std::string_view file;
        std::size_t records, positions;
        bool finished;
    };
    for (const Count c : {
             Count{"0134902991.fit", 739, 739, true},
             Count{"3939576645.fit", 2547, 2547, true},
             Count{"6860622783.fit", 3101, 0, true},
             Count{"6909950168.fit", 2197, 2147, true},
             Count{"6916663933.fit", 2921, 2911, true},
             Count{"971150603.fit", 3806, 3806, true},
             Count{"Edge810-Vector-2013-08-16-15-35-10.fit", 4700, 4700, true},
             Count{"Karoo-Botley_BW_Swanmore_Wickham-2025-05-09-1238.fit", 4314, 4314, true},
             Count{"SigmaRox11_1.fit", 7259, 7257, true},
             Count{"antfs-dump.63.fit", 686, 0, true},
             Count{"coros-pace-2-cycling-misaligned-fields.fit", 11272, 10305, true},
             Count{"developer-types-sample.fit", 3424, 3424, true},
             Count{"garmin-edge-800.fit", 1286, 1286, true},
             Count{"garmin-fenix-5-walk.fit", 17, 17, true},
             Count{"garmin-forerunner-10.fit", 514, 514, true},
             Count{"garmin-oregon-700.fit", 999, 997, true},
             Count{"null_compressed_speed_dist.fit", 1808, 1808, true},
             Count{"sample-activity-indoor-trainer.fit", 2263, 0, true},
             Count{"sample-activity.fit", 3098, 2965, true},
             Count{"sample_mulitple_header.fit", 1773, 1462, true},
             // Stops at a data message of an undefined local type, as the
             // other readers that read it at all do.
             Count{"strava-android-app-201.10-b1218918.fit", 473, 237, false},
             Count{"triathlon_summary_last.fit", 4043, 4041, true},
             Count{"wahoo-element-bolt.fit", 1101, 1101, true},
         }) {
        SCOPED_TRACE(c.file);
        const std::filesystem::path path = folder / c.file;
        if (!std::filesystem::exists(path)) continue;
        const Read r = ReadFit(test::ReadFile(path.string()));
        EXPECT_EQ(r.end == FitEnd::Finished, c.finished) << r.error;
        EXPECT_EQ(r.records.size(), c.records);
        EXPECT_EQ(r.Positions(), c.positions);
    }
}

}  // namespace
}  // namespace torvane
