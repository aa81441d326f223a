// The FIT reader on arbitrary bytes: read as they are, and read as the
// messages of a FIT file whose header and CRCs are right for them (so that
// the messages are read to their end). It never crashes, it ends failed
// exactly when it says why, and a valid position lies on the earth.
#include <cmath>
#include <string>

#include "convert/read/fit_file.h"
#include "converter_check.h"
#include "fit_crc_oracle.h"

namespace {

using torvane::fuzz::Require;
using torvane::oracle::FitCrc;

void Put(std::string& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

struct Check final : torvane::FitRecordSink {
    bool Take(const torvane::Record& record, std::uint64_t) override {
        const torvane::Position& p = record.position;
        if (record.hasPosition) {
            // A field of a wider type than its own may hold any number:
            // beyond the earth's range, the record is invalid.
            Require(std::isfinite(p.latitude) && std::isfinite(p.longitude), "a FIT position not finite");
            Require(record.invalid || (std::abs(p.latitude) <= 90 && std::abs(p.longitude) <= 180),
                    "a valid FIT position beyond 90 degrees of latitude or 180 of longitude");
            Require(!p.utcTime || *p.utcTime > 0, "a FIT time before 1990");
        } else {
            Require(record.reason == torvane::LineReason::RecordWithoutPosition, "a FIT record without a reason");
        }
        return true;
    }
};

void ReadAndCheck(std::string_view bytes, const torvane::Settings& s) {
    torvane::FitFileReader reader(s);
    Check check;
    const torvane::FitEnd end = reader.Read(bytes, check);
    Require((end == torvane::FitEnd::Failed) == !reader.ErrorText().empty(), "a FIT reading failed without a reason",
            reader.ErrorText());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = torvane::fuzz::AsText(data, size);
    torvane::Settings s;
    torvane::fuzz::ChooseOptions(s, torvane::fuzz::Hash(bytes));
    ReadAndCheck(bytes, s);

    std::string file;
    file += static_cast<char>(14);
    file += static_cast<char>(0x20);
    Put(file, 2100, 2);
    Put(file, bytes.size(), 4);
    file += ".FIT";
    Put(file, FitCrc(file), 2);
    file += bytes;
    Put(file, FitCrc(file), 2);
    ReadAndCheck(file, s);
    return 0;
}
