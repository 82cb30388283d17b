// Velmora — the window's text fields and progress bar, as the picks and the pass write them.
#pragma once

#include <array>

#include "core/form_fields.h"

class QLineEdit;
class QScrollBar;

namespace velmora {

class FieldPanel : public FormFields {
public:
    // The controls belong to the window; the panel only writes them.
    void attach(Field field, QLineEdit *edit) { m_fields[size_t(field)] = edit; }
    void attachProgressBar(QScrollBar *bar) { m_progressBar = bar; }
    QLineEdit *edit(Field field) const { return m_fields[size_t(field)]; }
    QScrollBar *progressBar() const { return m_progressBar; }

    std::string text(Field field) const override;
    void setText(Field field, const std::string &text) override;
    void setProgressMaximum(int maximum) override;
    // Kept until the next flush: the pass sets it every row, far more often than a frame.
    void setProgressValue(int value) override;

    // Shows the progress value last set.
    void flush();

private:
    std::array<QLineEdit *, kFieldCount> m_fields{};
    QScrollBar *m_progressBar = nullptr;
    int m_progressValue = -1;
};

} // namespace velmora
