#include "conversion_run.h"

#include "file_messages.h"
#include "input_file.h"
#include "line_reader.h"
#include "output_documents.h"
#include "output_file.h"
#include "platform/file_system.h"
#include "record_loop.h"

namespace torvane {
namespace {

constexpr char kSeparator = platform::kPathSeparator;

std::string_view Extension(OutputKind kind) {
    switch (kind) {
        case OutputKind::Table: return "prn";
        case OutputKind::KML: return "kml";
        case OutputKind::OVL: return "ovl";
        case OutputKind::None: break;
    }
    return "";
}

RunReport Failure(std::string message) {
    RunReport report;
    report.outcome = RunReport::Outcome::Failed;
    report.message = std::move(message);
    return report;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind(kSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void FormOutputPath(Settings& s) {
    if (s.OutputType == OutputKind::None) return;
    const std::string& input = s.InputFilePath;
    const std::size_t slash = input.rfind(kSeparator);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = input.find('.', nameStart);
    std::string path = input.substr(0, dot);  // npos: the whole path
    path += '_';
    const std::string_view word = DataTypeWord(s.DataType);
    if (word.size() > 2) path += word.substr(2, 5);
    path += '.';
    path += Extension(s.OutputType);
    s.OutputFilePath = std::move(path);

    if (s.OutputType == OutputKind::KML) {
        s.OutputFileName = FileName(s.OutputFilePath);
        if (s.KmlProperties[kKmlName].empty()) s.KmlProperties[kKmlName] = s.OutputFileName;
    }
}

void SetOutputPath(Settings& s, const std::string& path) {
    const bool nameWasOutputName = s.KmlProperties[kKmlName] == s.OutputFileName;
    s.OutputFilePath = path;
    if (s.OutputType == OutputKind::KML) {
        s.OutputFileName = FileName(path);
        if (nameWasOutputName || s.KmlProperties[kKmlName].empty()) s.KmlProperties[kKmlName] = s.OutputFileName;
    }
}

bool OutputFileExists(const std::string& path) {
    if (path.empty() || path.back() == kSeparator) return false;
    unsigned mode = 0;
    // A symbolic link there is not an output to replace; the run refuses it.
    return platform::Inspect(path, mode) == platform::PathKind::Regular;
}

std::string CountMessage(const Settings& s) {
    std::string text = std::to_string(s.RecordCount);
    text += ' ';
    text += DataTypeWord(s.DataType);
    text += " data sets written to file ";
    text += s.OutputFilePath;
    text += ".\r\nChose a new file for processing or exit the program.";
    return text;
}

RunReport PerformConversionRun(Settings& s, const ProgressHooks* hooks) {
    if (s.InputFilePath.empty()) return Failure("No input file chosen. Select a file and press ANALYZE first.");

    InputFile input;
    if (!input.Open(s.InputFilePath)) {
        return Failure(FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText()));
    }
    if (input.IsSameFile(s.OutputFilePath)) {
        return Failure(FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, "it is the input file"));
    }
    OutputFile output;
    if (!output.Open(s.OutputFilePath)) {
        return Failure(FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText()));
    }

    s.RecordCount = 0;
    s.OverlayExtent = OverlayBounds{};
    WriteOutputHeader(s, output);

    LineReader reader(input.Descriptor());
    std::string readError;
    const LoopEnd end = RunRecordLoop(s, reader, output, input.Size(), hooks, readError);
    if (end != LoopEnd::Finished) {
        if (end == LoopEnd::Cancelled) {
            RunReport report;
            report.outcome = RunReport::Outcome::Cancelled;
            report.message = "The run was cancelled. No output written; an existing file " + s.OutputFilePath +
                             " is kept as it was.";
            return report;
        }
        return Failure(FileFailureMessage(FileAction::ReadInput, s.InputFilePath, readError, kNoOutputWritten));
    }
    if (input.ChangedWhileRead(reader.BytesRead())) {
        return Failure(
            FileFailureMessage(FileAction::ReadInput, s.InputFilePath, input.ErrorText(), kNoOutputWritten));
    }
    input.Close();

    WriteOutputTrailer(s, output);
    if (s.OutputType == OutputKind::OVL && s.EliminateZeroPositions) {
        // The overlay takes its name only once its point count is corrected.
        if (!output.Finish()) {
            return Failure(
                FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText(), kNoOutputWritten));
        }
        std::string error;
        if (!CorrectOverlayPointCount(s, output.ReadBack(), error)) {
            return Failure(FileFailureMessage(FileAction::CorrectPointCount, s.OutputFilePath, error, kNoOutputWritten));
        }
        output.Discard();
    } else if (!output.Commit()) {
        return Failure(
            FileFailureMessage(FileAction::WriteOutput, s.OutputFilePath, output.ErrorText(), kNoOutputWritten));
    }

    RunReport report;
    report.count = s.RecordCount;
    if (s.RecordCount != 0) {
        report.outcome = RunReport::Outcome::Written;
        report.message = CountMessage(s);
    } else {
        report.outcome = RunReport::Outcome::NothingWritten;
        report.message = "Could not recognize/process input data. ";
    }
    return report;
}

}  // namespace torvane
