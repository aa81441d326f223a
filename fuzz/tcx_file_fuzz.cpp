// The TCX reader on arbitrary bytes: read whole, and read in pieces of a
// size the bytes choose (as a file's blocks split it anywhere). It never
// crashes, it ends failed exactly when it says why, both readings give the
// same records and the same end, and a valid position lies on the earth.
#include <cmath>
#include <string>
#include <vector>

#include "convert/read/tcx_file.h"
#include "converter_check.h"

namespace {

using torvane::fuzz::Require;

// What the checks compare of a record.
struct Seen {
    bool hasPosition;
    bool invalid;
    torvane::LineReason reason;
    double latitude, longitude;
    float altitude;
    std::int64_t time;
    std::uint8_t measured;
    std::uint64_t offset;
    bool operator==(const Seen&) const = default;
};

struct Check final : torvane::BlockRecordSink {
    std::vector<Seen> seen;
    bool Take(const torvane::Record& record, std::uint64_t offset) override {
        const torvane::Position& p = record.position;
        if (record.hasPosition) {
            Require(std::isfinite(p.latitude) && std::isfinite(p.longitude), "a TCX position not finite");
            Require(record.invalid || (std::abs(p.latitude) <= 90 && std::abs(p.longitude) <= 180),
                    "a valid TCX position beyond 90 degrees of latitude or 180 of longitude");
        } else {
            Require(record.reason == torvane::LineReason::TrackpointWithoutPosition ||
                        record.reason == torvane::LineReason::NumberTooLarge,
                    "a TCX trackpoint without a position or its reason");
        }
        seen.push_back({record.hasPosition, record.invalid, record.reason, p.latitude, p.longitude, p.altitude,
                        p.utcTime.value_or(-1), p.measurements.has, offset});
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = torvane::fuzz::AsText(data, size);
    torvane::Settings s;
    const auto hash = torvane::fuzz::Hash(bytes);
    torvane::fuzz::ChooseOptions(s, hash);
    (void)torvane::OpensTcxDocument(bytes);

    torvane::TcxFileReader whole(s), pieces(s);
    Check first, second;
    const torvane::BlockEnd end = whole.Read(bytes, first);
    Require((end == torvane::BlockEnd::Failed) == !whole.ErrorText().empty(), "a TCX reading failed without a reason",
            whole.ErrorText());
    const torvane::BlockEnd split = pieces.Read(bytes, second, 1 + hash % 97);
    Require(split == end && whole.ErrorText() == pieces.ErrorText(), "a TCX reading in pieces ended otherwise",
            pieces.ErrorText());
    Require(first.seen == second.seen, "a TCX reading in pieces gave other records");
    return 0;
}
