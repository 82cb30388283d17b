// Velmora — where each photo of a run goes, and one photo corrected: in bands when it is a JPEG
// going to JPEG or BMP, whole otherwise.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/apply_options.h"
#include "app/apply_texts.h"
#include "core/gain_table.h"

namespace velmora {

struct PlannedFile {
    std::string input;
    std::string output;
    PictureFormat format = PictureFormat::Png;
    long long bytes = 0;                     // the input's size, for the rate
    FileFailure failure = FileFailure::None; // found while planning: the photo is not attempted
};

// The folder given, or 已校正 beside each photo; the name is the photo's with the format's ending.
// Folders are made here. Outputs that would replace any photo of the run, or that two photos share,
// are marked and not attempted.
std::vector<PlannedFile> PlanOutputs(const ApplyOptions &options);

struct FileResult {
    FileFailure failure = FileFailure::None;
    std::string reason; // when failure is Described
};

// `addBytes` is told how much of the input is done as the photo goes.
FileResult CorrectOneFile(const PlannedFile &file, const ApplyOptions &options, const RowTables &tables,
                          const std::function<void(long long)> &addBytes);

} // namespace velmora
