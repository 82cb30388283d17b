// Velmora — the photo being corrected, apart from the window that shows it: where it came from and
// its file's bytes, the target picked on it, the passes made on it and whether they are saved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QByteArray>

#include "core/colour_word.h"
#include "core/correction_file.h"
#include "ui/window/correction_history.h"

#include <QImage>

namespace velmora {

class PhotoDocument {
public:
    // A photo imported from `path`, or read again by 刷新: `loaded` is the picture as the window
    // now shows it, `fileBytes` its file (whose camera data a save carries over). An empty path
    // and a null picture: no photo.
    // `withAlpha`: the photo as loaded with its transparency, when it has any (the window shows
    // it laid over its grey, which a save must not keep).
    void load(std::string path, QByteArray fileBytes, const QImage &loaded, const QImage &withAlpha = QImage());

    const std::string &path() const { return m_path; }
    const QByteArray &fileBytes() const { return m_fileBytes; }
    const QImage &withAlpha() const { return m_withAlpha; }
    // Counts the photos loaded, so a pass can tell that its photo was replaced while it ran.
    int generation() const { return m_generation; }

    // The target colour picked on the photo, whose brightness the design's rule divides by.
    Channels targetChannels() const { return m_targetChannels; }
    void setTargetChannels(Channels channels) { m_targetChannels = channels; }

    // A pass that started on the photo of `generation` ran to the end with `record`.
    void passCompleted(int generation, const CorrectionRecord &record);
    // The last pass that ran to the end, on this photo or an earlier one.
    const std::optional<CorrectionRecord> &lastCorrection() const { return m_lastCorrection; }
    // The correction the photo now shows, which a batch applies and an export writes: after an
    // undo the pass before, none when every pass of this photo is undone; a photo with no pass
    // yet offers the last one made on an earlier photo.
    std::optional<CorrectionRecord> currentCorrection() const;

    // Undo and redo rewrite the shown picture from the photo as loaded.
    CorrectionHistory &history() { return m_history; }
    const CorrectionHistory &history() const { return m_history; }

    // True while the photo holds passes that no save has written.
    bool unsaved() const { return m_history.state() != m_savedState; }
    // What the photo held when 保存 was pressed (`state()`) is now on disk.
    std::uint64_t state() const { return m_history.state(); }
    void saved(std::uint64_t state) { m_savedState = state; }

private:
    std::string m_path;
    QByteArray m_fileBytes;
    QImage m_withAlpha;
    int m_generation = 0;
    Channels m_targetChannels;
    CorrectionHistory m_history;
    std::uint64_t m_savedState = 0;
    std::optional<CorrectionRecord> m_lastCorrection;
};

} // namespace velmora
