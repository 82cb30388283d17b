// Velmora — the correction written down and read back: a .velmora file from the last completed
// pass, and its colours and differences back into the fields so that 校正 takes the same gains.
#include <cstdio>

#include <QFile>

#include "core/number_text.h"
#include "io/atomic_output.h"
#include "io/correction_file_reader.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

// Nine significant digits read back to the same float, so 校正 finds the same gains.
std::string ExactSingle(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string WithExtension(std::string path)
{
    const std::string ending = text::kCorrectionExtension;
    if (path.size() < ending.size() || path.compare(path.size() - ending.size(), ending.size(), ending) != 0)
        path += ending;
    return path;
}

} // namespace

std::optional<Gains> MainForm::lastGains() const
{
    const std::optional<CorrectionRecord> current = m_photo.currentCorrection();
    if (!current)
        return std::nullopt;
    return current->gains;
}

CorrectionRecord MainForm::passRecord(const Step &step) const
{
    CorrectionRecord record;
    record.rule = step.rule;
    record.gains = step.gains;
    record.target = m_photo.targetChannels();
    const auto r = StrictReal(m_panel.text(Field::ReferenceRed));
    const auto g = StrictReal(m_panel.text(Field::ReferenceGreen));
    const auto b = StrictReal(m_panel.text(Field::ReferenceBlue));
    // The colour rules ran from the target plus the differences, which typed differences can
    // set apart from the reference fields.
    if (step.rule != Rule::Design)
        record.reference = step.reference;
    else if (r && g && b)
        record.reference = std::array<double, 3>{*r, *g, *b};
    // The pass has just read these strictly, so they are numbers.
    record.differences = Gains{StrictSingle(m_panel.text(Field::DifferenceRed)).value_or(0),
                               StrictSingle(m_panel.text(Field::DifferenceGreen)).value_or(0),
                               StrictSingle(m_panel.text(Field::DifferenceBlue)).value_or(0)};
    return record;
}

std::optional<std::string> MainForm::askCorrectionFile(DialogPurpose purpose)
{
    m_correctionDialog.filter = text::TrUtf8(text::kCorrectionFilter);
    m_correctionDialog.filterIndex = 1;
    m_correctionDialog.cancelError = false;
    std::optional<std::string> chosen = m_services.files.pick(m_correctionDialog, purpose);
    if (chosen)
        m_correctionDialog.fileName = *chosen;
    return chosen;
}

void MainForm::exportCorrection()
{
    const std::optional<CorrectionRecord> current = m_photo.currentCorrection();
    if (!current) {
        m_services.messages.show(text::TrUtf8(text::kNothingToExport), text::TrUtf8(text::kNoticeTitle));
        return;
    }
    const auto chosen = askCorrectionFile(DialogPurpose::Save);
    if (!chosen)
        return;
    const std::string path = WithExtension(*chosen);
    const std::string content = CorrectionText(*current);
    AtomicOutput out(QFile::encodeName(QString::fromStdString(path)).toStdString(), OutputPolicy::ChosenByUser());
    out.append(content.data(), content.size());
    if (out.commit() != OutputError::None)
        m_services.messages.show(text::CorrectionSaveFailedMessage(QString::fromStdString(path)).toStdString(),
                                 text::kAppTitle);
}

void MainForm::importCorrection()
{
    if (m_passRunning)
        return; // the pass reads these fields row by row
    const auto chosen = askCorrectionFile(DialogPurpose::Open);
    if (!chosen)
        return;
    const QString path = QString::fromStdString(*chosen);
    const auto read = ReadCorrectionFile(QFile::encodeName(path).toStdString());
    if (const auto *error = std::get_if<CorrectionFileError>(&read)) {
        m_services.messages.show(text::CorrectionFileMessage(path, *error).toStdString(), text::kAppTitle);
        return;
    }
    const CorrectionRecord &record = std::get<CorrectionRecord>(read);
    if (!record.target || !record.differences) {
        m_services.messages.show(text::TrUtf8(text::kOnlyGains), text::TrUtf8(text::kNoticeTitle));
        return;
    }
    // The gains come from the differences over a brightness that includes the target colour, so
    // both go back where the pick had put them.
    m_photo.setTargetChannels(*record.target);
    m_panel.setText(Field::TargetRed, IntegerText(record.target->red));
    m_panel.setText(Field::TargetGreen, IntegerText(record.target->green));
    m_panel.setText(Field::TargetBlue, IntegerText(record.target->blue));
    if (record.reference) {
        m_panel.setText(Field::ReferenceRed, RealText((*record.reference)[0]));
        m_panel.setText(Field::ReferenceGreen, RealText((*record.reference)[1]));
        m_panel.setText(Field::ReferenceBlue, RealText((*record.reference)[2]));
    }
    m_panel.setText(Field::DifferenceRed, ExactSingle(record.differences->red));
    m_panel.setText(Field::DifferenceGreen, ExactSingle(record.differences->green));
    m_panel.setText(Field::DifferenceBlue, ExactSingle(record.differences->blue));
    m_panel.flush();
    setRule(record.rule); // 校正 then makes the file's own pass
}

} // namespace velmora
