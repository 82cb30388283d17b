// Velmora — the passes made on the photo since it was loaded, for undo and redo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <QImage>

#include "core/correction_file.h"
#include "core/gain_table.h"

namespace velmora {

class PictureSurface;

// Holds the photo as loaded and each pass with its own rule; undo and redo replay the passes from
// the loaded photo through one composed table, exactly, so no full copy is kept per pass.
class CorrectionHistory {
public:
    // A new photo (import or 刷新): the picture as loaded, shared until a pass first writes it.
    void reset(const QImage &loaded);
    // A pass completed on the photo as the history knows it; drops what could have been redone.
    void recordPass(const CorrectionRecord &record);
    void recordPass(const Gains &gains);
    // The photo changed in a way no record can replay (it was replaced in the middle of a pass).
    void forget();

    bool canUndo() const { return m_applied > 0; }
    bool canRedo() const { return m_applied < m_passes.size(); }
    bool hasPasses() const { return !m_passes.empty(); }
    // The last pass the photo now shows, or none when every pass is undone (or none was made).
    const CorrectionRecord *current() const { return m_applied > 0 ? &m_passes[m_applied - 1] : nullptr; }
    // Rewrite `picture`, the size of the loaded photo, one pass back or forward.
    void undo(PictureSurface &picture);
    void redo(PictureSurface &picture);

    const QImage &loaded() const { return m_loaded; }
    // The passes the photo now holds, in order; nothing when they cannot be replayed (forget()).
    std::optional<std::vector<Step>> appliedPasses() const;
    // Names what the photo now holds: two equal states are the same pixels.
    std::uint64_t state() const { return m_applied == 0 ? m_base : m_serials[m_applied - 1]; }

private:
    // The applied passes as steps, each with its own rule.
    std::vector<Step> appliedSteps() const;
    void replay(PictureSurface &picture) const;

    QImage m_loaded;
    std::vector<CorrectionRecord> m_passes;
    std::vector<std::uint64_t> m_serials; // one a pass, never reused
    std::size_t m_applied = 0;
    std::uint64_t m_base = 0;       // the state with no pass applied
    std::uint64_t m_nextSerial = 1;
    bool m_replayable = true;
};

} // namespace velmora
