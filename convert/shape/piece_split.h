// Split: marks the first position of each piece of the track. A pause
// longer than the gap starts a piece, and so, where asked, does a new UTC
// day. Every position is handed on, once and in order; the pieces are the
// runs between the marks.
#pragma once

#include <cstdint>
#include <optional>

#include "convert/shape/shape_sink.h"

namespace torvane {

class PieceSplit : public ShapeSink {
public:
    // `gap` in milliseconds: a pause of more than it starts a piece. `byDay`:
    // the first position of a later (or earlier) UTC day starts one.
    PieceSplit(std::optional<std::int64_t> gap, bool byDay, ShapeSink& next)
        : gap_(gap), byDay_(byDay), next_(next) {}

    // A pause and a day are measured from the last position before that has
    // a time: a position without one never starts a piece (but the first, or
    // one marked already).
    void Take(const Position& position, bool newPiece) override;
    void End() override;

    // Pieces begun so far.
    std::int64_t Pieces() const { return pieces_; }

private:
    std::optional<std::int64_t> gap_;
    bool byDay_;
    ShapeSink& next_;
    bool started_ = false;
    std::optional<std::int64_t> lastTime_;
    std::int64_t pieces_ = 0;
};

}  // namespace torvane
