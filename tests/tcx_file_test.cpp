#include "convert/read/tcx_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert/files/input_file.h"
#include "convert/write/line_account.h"
#include "log_run.h"
#include "test_files.h"

namespace torvane {
namespace {

// Two trackpoints of every layout the reader meets: blanks and line ends
// between the elements, a prefixed TPX, a comment, CDATA, a reference, an
// attribute with ">" in it, and one without a position.
constexpr std::string_view kDocument =
    "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- a ride -->\r\n"
    "<TrainingCenterDatabase xmlns=\"x\"><Activities><Activity Sport='a>b'><Lap><Track>\r\n"
    "  <Trackpoint>\r\n    <Time>2024-06-01T10:00:00.5+02:00</Time>\r\n"
    "    <Position><LatitudeDegrees> 47.5 </LatitudeDegrees><LongitudeDegrees>-8.&#50;5</LongitudeDegrees>"
    "</Position>\r\n    <AltitudeMeters><![CDATA[432.5]]></AltitudeMeters><!-- <AltitudeMeters>1</AltitudeMeters> -->\r\n"
    "    <HeartRateBpm><Value>138</Value></HeartRateBpm><Cadence>84</Cadence>\r\n"
    "    <Extensions><ns3:TPX xmlns:ns3=\"y\"><ns3:Speed>5.25</ns3:Speed><ns3:Watts>210</ns3:Watts>"
    "<ns3:RunCadence>90</ns3:RunCadence></ns3:TPX></Extensions>\r\n"
    "  </Trackpoint>\r\n"
    "  <Trackpoint><Time>2024-06-01T08:00:01Z</Time><HeartRateBpm><Value>139</Value></HeartRateBpm></Trackpoint>\r\n"
    "  <Trackpoint><Time>2024-06-01T08:00:02Z</Time><Position><LatitudeDegrees>47.6</LatitudeDegrees>"
    "<LongitudeDegrees>-8.3</LongitudeDegrees></Position><Extensions><TPX><RunCadence>88</RunCadence></TPX>"
    "</Extensions></Trackpoint>\r\n"
    "</Track></Lap></Activity></Activities></TrainingCenterDatabase>\r\n";

struct Read {
    BlockEnd end;
    std::string error;
    std::vector<Record> records;
    std::vector<std::uint64_t> offsets;
};

struct Collect : BlockRecordSink {
    std::vector<Record> records;
    std::vector<std::uint64_t> offsets;
    bool Take(const Record& record, std::uint64_t offset) override {
        records.push_back(record);
        offsets.push_back(offset);
        return true;
    }
};

Read ReadTcx(std::string_view bytes, std::size_t pieceSize = kTcxBlockSize, const RunOptions& options = {}) {
    TcxFileReader reader(options);
    Collect sink;
    const BlockEnd end = reader.Read(bytes, sink, pieceSize);
    return {end, reader.ErrorText(), std::move(sink.records), std::move(sink.offsets)};
}

TEST(TcxFile, WorkedTrackpoints) {
    const Read r = ReadTcx(kDocument);
    ASSERT_EQ(r.end, BlockEnd::Finished) << r.error;
    ASSERT_EQ(r.records.size(), 3u);
    const Position& p = r.records[0].position;
    EXPECT_TRUE(r.records[0].hasPosition);
    EXPECT_FALSE(r.records[0].invalid);
    EXPECT_EQ(p.latitude, 47.5);
    EXPECT_EQ(p.longitude, -8.25);
    EXPECT_EQ(p.altitude, 432.5f);
    EXPECT_TRUE(p.altitudeGiven);
    EXPECT_EQ(p.utcTime, std::int64_t{1717228800500});  // 2024-06-01T08:00:00.5Z
    EXPECT_EQ(p.timeOfDay, 8 * 3600 + 0.5);
    const Measurements& m = p.measurements;
    EXPECT_EQ(m.has, Measurements::kHeartRate | Measurements::kCadence | Measurements::kSpeed | Measurements::kPower);
    EXPECT_EQ(m.heartRate, 138);
    EXPECT_EQ(m.cadence, 84);  // Cadence before the extension's RunCadence
    EXPECT_EQ(m.speed, 5.25f);
    EXPECT_EQ(m.power, 210);

    EXPECT_FALSE(r.records[1].hasPosition);
    EXPECT_EQ(r.records[1].reason, LineReason::TrackpointWithoutPosition);

    EXPECT_FALSE(r.records[2].position.altitudeGiven);
    EXPECT_EQ(r.records[2].position.measurements.has, Measurements::kCadence);
    EXPECT_EQ(r.records[2].position.measurements.cadence, 88);
}

// Read in pieces of every small size, every element, reference, comment and
// CDATA section is split between two pieces somewhere, on either side of
// each of its bytes: the same records, at the same offsets.
TEST(TcxFile, ElementsSplitBetweenBlocks) {
    const Read whole = ReadTcx(kDocument);
    for (const std::size_t size : {1, 2, 3, 5, 7, 64}) {
        SCOPED_TRACE(size);
        const Read r = ReadTcx(kDocument, size);
        ASSERT_EQ(r.end, BlockEnd::Finished) << r.error;
        ASSERT_EQ(r.records.size(), whole.records.size());
        EXPECT_EQ(r.offsets, whole.offsets);
        for (std::size_t i = 0; i < r.records.size(); ++i) {
            EXPECT_EQ(r.records[i].hasPosition, whole.records[i].hasPosition);
            EXPECT_EQ(r.records[i].position.latitude, whole.records[i].position.latitude);
            EXPECT_EQ(r.records[i].position.altitude, whole.records[i].position.altitude);
            EXPECT_EQ(r.records[i].position.measurements.has, whole.records[i].position.measurements.has);
        }
    }
}

// A file cut anywhere gives the trackpoints before the cut and ends with
// a message; only the whole document (its last line end aside) ends well.
TEST(TcxFile, EveryCutFailsCleanly) {
    const std::size_t closed = kDocument.rfind('>') + 1;
    std::vector<std::size_t> ends;  // just after each trackpoint
    for (std::size_t at = kDocument.find("</Trackpoint>"); at != std::string_view::npos;
         at = kDocument.find("</Trackpoint>", at + 1)) {
        ends.push_back(at + 13);
    }
    for (std::size_t size = 0; size < kDocument.size(); ++size) {
        SCOPED_TRACE(size);
        const Read r = ReadTcx(kDocument.substr(0, size));
        EXPECT_EQ(r.end, size < closed ? BlockEnd::Failed : BlockEnd::Finished);
        EXPECT_EQ(r.error.empty(), size >= closed) << r.error;
        std::size_t done = 0;
        for (const std::size_t end : ends) done += size >= end ? 1 : 0;
        EXPECT_EQ(r.records.size(), done);
    }
    EXPECT_EQ(ReadTcx(kDocument.substr(0, kDocument.find("<Position>"))).error,
              "the file ends inside <Trackpoint> opened at byte 127 (and 5 elements around it): it is cut short");
}

// Faults in the document's structure, numbers that are none or too large,
// coordinates beyond the earth: a message, or the trackpoint's reason.
TEST(TcxFile, FaultsAndNumbers) {
    const auto point = [](std::string_view inside) {
        return "<TrainingCenterDatabase><Trackpoint>" + std::string(inside) + "</Trackpoint></TrainingCenterDatabase>";
    };
    const auto position = [&](std::string_view lat, std::string_view lon) {
        return point("<Position><LatitudeDegrees>" + std::string(lat) + "</LatitudeDegrees><LongitudeDegrees>" +
                     std::string(lon) + "</LongitudeDegrees></Position>");
    };
    struct Case {
        std::string name;
        std::string document;
        std::string error;          // of a reading that fails
        LineReason reason;          // of the one record otherwise
        bool invalid;
    };
    const std::string huge(400, '9');
    std::string deep = "<TrainingCenterDatabase>";
    for (int i = 0; i < 300; ++i) deep += "<a>";
    for (const Case& c : {
             Case{"90", position("90", "-180"), "", LineReason::Position, false},
             Case{"beyond 90", position("90.0000001", "8"), "", LineReason::OutOfRange, true},
             Case{"beyond 180", position("8", "-180.0000001"), "", LineReason::OutOfRange, true},
             Case{"exponent", position("4.75e1", "8"), "", LineReason::Position, false},
             Case{"1e309", position("1e309", "8"), "", LineReason::NumberTooLarge, true},
             Case{"huge text", position(huge, "8"), "", LineReason::NumberTooLarge, true},
             Case{"not a number", position("47x", "8"), "", LineReason::TrackpointWithoutPosition, true},
             Case{"entity", position("&lt;", "8"), "", LineReason::TrackpointWithoutPosition, true},
             Case{"empty", position("", "8"), "", LineReason::TrackpointWithoutPosition, true},
             Case{"prefixes over 16 bytes",
                  point("<t:Position><t:LatitudeDegrees>1</t:LatitudeDegrees>"
                        "<tcx:LongitudeDegrees>1</tcx:LongitudeDegrees></t:Position>"),
                  "", LineReason::Position, false},
             Case{"long prefix",
                  point("<a-rather-long-prefix:Position><LatitudeDegrees>1</LatitudeDegrees>"
                        "<a-rather-long-prefix:LongitudeDegrees>1</a-rather-long-prefix:LongitudeDegrees>"
                        "</a-rather-long-prefix:Position>"),
                  "", LineReason::Position, false},
             Case{"altitude 1e39", point("<Position><LatitudeDegrees>1</LatitudeDegrees><LongitudeDegrees>1"
                                         "</LongitudeDegrees></Position><AltitudeMeters>1e39</AltitudeMeters>"),
                  "", LineReason::NumberTooLarge, true},
             Case{"other root", "<gpx><Trackpoint/></gpx>",
                  "the first element at byte 0 is <gpx>, not <TrainingCenterDatabase>: the file holds no TCX document",
                  LineReason::Position, false},
             Case{"no element", "<!-- -->", "the file holds no element: it is no TCX document", LineReason::Position,
                  false},
             Case{"crossed", "<TrainingCenterDatabase><a><b></a></b></TrainingCenterDatabase>",
                  "the end tag </a> at byte 30 does not close <b> opened at byte 27", LineReason::Position, false},
             Case{"closes none", "<TrainingCenterDatabase/></x>", "the end tag </x> at byte 25 closes no element",
                  LineReason::Position, false},
             Case{"cut comment", "<TrainingCenterDatabase><!-- x --",
                  "the file ends inside a comment begun at byte 24: it is cut short", LineReason::Position, false},
             Case{"deep", deep,
                  "the element <a> at byte 789 lies more than 256 elements deep", LineReason::Position, false},
         }) {
        SCOPED_TRACE(c.name);
        const Read r = ReadTcx(c.document);
        EXPECT_EQ(r.error, c.error);
        // The analysis's count, which leaves the values unread that cannot
        // decide a position, counts what the reading gives.
        PositionCount count;
        TcxFileReader(RunOptions{}).Read(c.document, count);
        EXPECT_EQ(count.positions, r.records.size() == 1 && r.records[0].hasPosition ? 1 : 0);
        if (!c.error.empty()) continue;
        ASSERT_EQ(r.records.size(), 1u);
        EXPECT_EQ(r.records[0].reason, c.reason);
        EXPECT_EQ(r.records[0].invalid, c.invalid);
    }
}

// Plain decimals of up to 15 digits are read apart from the other numbers:
// the same doubles as from_chars gives, on both sides of 15 digits.
// A reading from a trackpoint's tag with the elements open there unknown
// joins the reading of the bytes before it exactly where one pass reads the
// file whole: it closes those elements, in their order, and lies no deeper
// than one pass may (256 elements: the five open there and 251 more, not 252).
TEST(TcxFile, ReadingFromUnknownElementsJoinsWhereOnePassReads) {
    const std::string head = "<TrainingCenterDatabase><Activities><Activity><Lap><Track>\n"
                             "<Trackpoint><Position><LatitudeDegrees>1</LatitudeDegrees>"
                             "<LongitudeDegrees>2</LongitudeDegrees></Position></Trackpoint>\n";
    const std::string point = "<Trackpoint><Position><LatitudeDegrees>3</LatitudeDegrees>"
                              "<LongitudeDegrees>4</LongitudeDegrees></Position></Trackpoint>\n";
    const auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<n>";
        for (int i = 0; i < depth; ++i) text += "</n>";
        return text;
    };
    const std::string close = "</Track></Lap></Activity></Activities></TrainingCenterDatabase>\n";
    const struct {
        std::string later;
        bool joins;
    } cases[] = {
        {point + close, true},
        {point + "</Track></Lap><Lap><Track>" + point + close, true},
        {point + nested(251) + close, true},
        {point + nested(252) + close, false},
        {point + "</Track></Activity></Lap></Activities></TrainingCenterDatabase>", false},
        {point + "</Track></Lap></Activity></Activities>", false},
        {point + close + "</TrainingCenterDatabase>", false},
        {point + "<Track>" + close, false},
    };
    test::TempDir dir;
    RunOptions options;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.later.substr(0, 200));
        const std::string path = dir.File("ride.tcx");
        test::WriteFile(path, head + c.later);
        InputFile input;
        ASSERT_TRUE(input.Open(path));
        PositionCount first, later, whole;
        std::optional<TcxReaderPlace> reached;
        TcxUnknownStart unknown;
        TcxFileReader reader(options);
        EXPECT_EQ(reader.ReadPart(input.Descriptor(), first, nullptr, head.size(), reached), BlockEnd::Finished);
        ASSERT_TRUE(reached);
        const bool laterRead = reader.ReadFromUnknown(input.Descriptor(), later, head.size(), unknown) == BlockEnd::Finished;
        const bool joins = laterRead && TcxFileReader::Continues(*reached, unknown);
        const BlockEnd onePass = reader.Read(input.Descriptor(), whole);
        EXPECT_EQ(joins, c.joins);
        EXPECT_EQ(joins, onePass == BlockEnd::Finished);
        if (joins) {
            EXPECT_EQ(first.positions + later.positions, whole.positions);
        }
    }
}

TEST(TcxFile, PlainDecimalsAsFromChars) {
    for (const std::string_view text :
         {"47.0502622", "0.1", "0.3", "-0", "-0.0", "120", "9.999999999999999", "999999999999999",
          "1234567890123456", "8.999999999999999", "0.000000000000001", "0.00000000000001", "0000000000000000.5",
          "5.", ".5", "-.5", "1e2", "--1", "1.2.3"}) {
        SCOPED_TRACE(text);
        const std::string document = "<TrainingCenterDatabase><Trackpoint><Position><LatitudeDegrees>" +
                                     std::string(text) +
                                     "</LatitudeDegrees><LongitudeDegrees>8</LongitudeDegrees></Position>"
                                     "</Trackpoint></TrainingCenterDatabase>";
        const Read r = ReadTcx(document);
        ASSERT_EQ(r.records.size(), 1u) << r.error;
        double expected = 0;
        const auto [stop, failure] = std::from_chars(text.data(), text.data() + text.size(), expected);
        const bool number = failure == std::errc() && stop == text.data() + text.size();
        EXPECT_EQ(r.records[0].reason != LineReason::TrackpointWithoutPosition, number);
        if (!number) continue;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(r.records[0].position.latitude), std::bit_cast<std::uint64_t>(expected));
    }
}

// UTF-16 text with its byte-order mark reads as its UTF-8 twin.
TEST(TcxFile, Utf16Text) {
    const std::string_view text = kDocument.substr(3);  // without the UTF-8 mark
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (const char c : text) {
        little += {c, '\0'};
        big += {'\0', c};
    }
    for (const std::string& bytes : {little, big}) {
        EXPECT_TRUE(OpensTcxDocument(bytes));
        const Read r = ReadTcx(bytes, 5);
        ASSERT_EQ(r.end, BlockEnd::Finished) << r.error;
        ASSERT_EQ(r.records.size(), 3u);
        EXPECT_EQ(r.records[0].position.longitude, -8.25);
    }
}

// The root element decides, after what may stand before it; other text
// first, or another root, is no TCX document.
TEST(TcxFile, RecognisedByItsRootElement) {
    struct Case {
        std::string_view start;
        bool tcx;
    };
    for (const Case c : {
             Case{"<TrainingCenterDatabase>", true},
             Case{"\xEF\xBB\xBF <?xml version='1.0'?>\n<!-- <gpx> -->\r\n<!DOCTYPE x [<!ENTITY a '>'>]>"
                  "<tcd:TrainingCenterDatabase xmlns:tcd='x'>",
                  true},
             Case{"<TrainingCenterDatabase", false},  // its tag not yet closed
             Case{"<TrainingCenterDatabaseX>", false},
             Case{"<gpx><TrainingCenterDatabase>", false},
             Case{"x<TrainingCenterDatabase>", false},
             Case{"$GPGGA,<TrainingCenterDatabase>", false},
         }) {
        SCOPED_TRACE(c.start);
        EXPECT_EQ(OpensTcxDocument(c.start), c.tcx);
    }
}

// The analysis and a run: positions written, a trackpoint without one
// counted with its reason.
TEST(TcxFile, RecognisedAndConverted) {
    test::LogRun run;
    EXPECT_EQ(run.Convert("ride.tcx", kDocument, DataKind::GPTCX, OutputKind::Table, true),
              " 028800.50  47.5000000 -008.2500000  0432.50\r\n"
              " 028802.00  47.6000000 -008.3000000  0000.00\r\n");
    EXPECT_EQ(run.s.OutputFilePath, run.dir.File("ride_TCX.prn"));
    EXPECT_EQ(run.s.DetectedRecordCount, 2);
    LineAccount account;
    std::string error;
    ASSERT_TRUE(AccountLines(run.s, account, error)) << error;
    EXPECT_EQ(account.Count(LineReason::Position), 2);
    EXPECT_EQ(account.Count(LineReason::TrackpointWithoutPosition), 1);
}

// The real files of the shared acceptance data, where they are:
// trackpoints and those with a position as an independent reader
// (Python's ElementTree) counts them.
TEST(TcxFile, SharedFilesAgreeWithAnIndependentReader) {
    const std::filesystem::path folder = TORVANE_SHARED_TESTDATA "/tcx";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no " << folder;
    struct Count {
        std::string_view file;
        std::size_t trackpoints, positions;
    };
    for (const Count c : {
             Count{"1604524853.tcx", 1495, 1495},
             Count{"2009_09_19_09_22_42.tcx", 1863, 1863},
             Count{"2020-02-05_17-25-14_Training-with-Notes.tcx", 6862, 0},
             Count{"6791039036.tcx", 2547, 2547},
             Count{"6823905801.tcx", 3806, 3806},
             Count{"6860622783.tcx", 3101, 0},
             Count{"activity_165850259_multi-session.tcx", 1893, 1325},
             Count{"gtrnctr_power.tcx", 5109, 5109},
             Count{"history.tcx", 1205, 1202},
             Count{"kona2013.tcx", 5, 5},
             Count{"running_activity_1.tcx", 1254, 1254},
             Count{"test.tcx", 384, 383},
         }) {
        SCOPED_TRACE(c.file);
        const std::filesystem::path path = folder / c.file;
        if (!std::filesystem::exists(path)) continue;
        const Read r = ReadTcx(test::ReadFile(path.string()));
        EXPECT_EQ(r.end, BlockEnd::Finished) << r.error;
        EXPECT_EQ(r.records.size(), c.trackpoints);
        std::size_t positions = 0;
        for (const Record& record : r.records) positions += record.hasPosition ? 1 : 0;
        EXPECT_EQ(positions, c.positions);
    }
}

}  // namespace
}  // namespace torvane
