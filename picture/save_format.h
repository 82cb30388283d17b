// Velmora — which kind of file a save writes, chosen from its name, and the choices the user keeps.
#pragma once

#include <optional>
#include <string>

#include <QString>

namespace velmora {

// Lossy settings, set in 保存选项 and kept across starts. PNG, TIFF and BMP have none.
struct SaveOptions {
    int jpegQuality = 95;    // 1–100, always full-resolution colour
    bool webpLossless = true;
    int webpQuality = 90;    // 1–100, when lossy
    // 默认保存格式: the save dialog proposes BMP (the design's), or the photo's own format when
    // Velmora writes it.
    bool photoFormat = false;
};

// The name a save writes: the typed name as it stands when it already ends in an extension one of
// the dialog's filters lists (any case), else with the chosen filter's first extension appended.
// `filter` is the dialog's "description|pattern;pattern|…" text, `filterIndex` 1-based.
QString CompleteSaveName(const QString &typed, const std::string &filter, int filterIndex);

} // namespace velmora
