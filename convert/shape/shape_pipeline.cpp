#include "convert/shape/shape_pipeline.h"

namespace torvane {

ShapePipeline::ShapePipeline(const ShapeOptions& options, ShapeSink& out)
    : simplify_(options.simplifyMetres.value_or(0), out),
      split_(options.splitGap, options.splitDay, options.simplifyMetres ? static_cast<ShapeSink&>(simplify_) : out),
      shift_(options.timeShift, split_),
      crop_(options.from, options.until, shift_) {}

}  // namespace torvane
