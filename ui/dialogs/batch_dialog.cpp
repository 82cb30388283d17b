// Velmora — the batch dialog.
#include "ui/dialogs/batch_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/correction_file.h"
#include "core/correction_rule.h"
#include "io/correction_file_reader.h"
#include "picture/picture_loader.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

QString Latin1(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

// "*.jpg", "*.jpeg", … for every format Velmora reads.
QStringList PhotoPatterns()
{
    QStringList patterns;
    for (const FormatInfo &f : PictureFormats())
        for (const std::string_view ending : f.endings)
            patterns << QStringLiteral("*.") + Latin1(ending);
    return patterns;
}

constexpr QSize kPreviewSize(160, 120);

// The design's BMP last: a batch most often keeps the photos' own JPEG.
constexpr PictureFormat kOutputFormats[] = {PictureFormat::Jpeg, PictureFormat::Png, PictureFormat::Tiff,
                                            PictureFormat::WebP, PictureFormat::Bmp};

} // namespace

// One batch in the background: the pool's workers report to the dialog's thread through queued calls.
struct BatchDialog::Run {
    int done = 0;
    int succeeded = 0;
    QStringList failures;
    std::unique_ptr<BatchRun> pool; // last, so its workers have ended before the counts go
};

BatchDialog::BatchDialog(std::optional<CorrectionRecord> current, QWidget *parent)
    : QDialog(parent), m_lastCorrection(std::move(current)), m_photos(new QListWidget), m_addPhotos(new QPushButton),
      m_addFolder(new QPushButton), m_remove(new QPushButton), m_useLastGains(new QRadioButton), m_summary(new QLabel),
      m_previewBefore(new QLabel), m_previewAfter(new QLabel),
      m_useFile(new QRadioButton), m_correctionFile(new QLineEdit), m_browseCorrection(new QPushButton),
      m_outputFolder(new QLineEdit), m_browseOutput(new QPushButton), m_format(new QComboBox),
      m_quality(new QSpinBox), m_start(new QPushButton), m_cancel(new QPushButton), m_progress(new QProgressBar),
      m_current(new QLabel), m_results(new QPlainTextEdit)
{
    setWindowTitle(text::Tr(text::kBatchTitle));
    buildLayout();
    m_useLastGains->setEnabled(m_lastCorrection.has_value());
    (m_lastCorrection ? m_useLastGains : m_useFile)->setChecked(true);
    m_summary->setText(m_lastCorrection ? text::CorrectionSummary(*m_lastCorrection) : text::Tr(text::kBatchNoGains));

    connect(m_addPhotos, &QPushButton::clicked, this, &BatchDialog::chooseFiles);
    connect(m_addFolder, &QPushButton::clicked, this, &BatchDialog::chooseFolder);
    connect(m_remove, &QPushButton::clicked, this, &BatchDialog::removeSelected);
    connect(m_browseCorrection, &QPushButton::clicked, this, &BatchDialog::chooseCorrectionFile);
    connect(m_browseOutput, &QPushButton::clicked, this, &BatchDialog::chooseOutputFolder);
    connect(m_outputFolder, &QLineEdit::textEdited, this, [this] { m_outputEdited = true; });
    connect(m_start, &QPushButton::clicked, this, &BatchDialog::start);
    connect(m_cancel, &QPushButton::clicked, this, &BatchDialog::cancel);
    connect(m_photos, &QListWidget::itemSelectionChanged, this, &BatchDialog::updateState);
    connect(m_format, &QComboBox::currentIndexChanged, this, &BatchDialog::updateState);
    updateState();
}

BatchDialog::~BatchDialog() = default;

void BatchDialog::buildLayout()
{
    m_photos->setObjectName("photos");
    m_photos->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_addPhotos->setObjectName("addPhotos");
    m_addPhotos->setText(text::Tr(text::kBatchAddPhotos));
    m_addFolder->setObjectName("addFolder");
    m_addFolder->setText(text::Tr(text::kBatchAddFolder));
    m_remove->setObjectName("remove");
    m_remove->setText(text::Tr(text::kBatchRemove));
    auto *photoButtons = new QVBoxLayout;
    for (QPushButton *b : {m_addPhotos, m_addFolder, m_remove})
        photoButtons->addWidget(b);
    photoButtons->addStretch();
    auto *photoBox = new QGroupBox(text::Tr(text::kBatchPhotos));
    auto *photoRow = new QHBoxLayout(photoBox);
    photoRow->addWidget(m_photos, 1);
    photoRow->addLayout(photoButtons);

    m_useLastGains->setObjectName("useLastGains");
    m_useLastGains->setText(text::Tr(text::kBatchLastGains));
    m_useFile->setObjectName("useCorrectionFile");
    m_useFile->setText(text::Tr(text::kBatchCorrectionFile));
    m_correctionFile->setObjectName("correctionFile");
    m_browseCorrection->setText(text::Tr(text::kBatchBrowse));
    auto *correctionBox = new QGroupBox(text::Tr(text::kBatchCorrection));
    auto *correctionGrid = new QVBoxLayout(correctionBox);
    correctionGrid->addWidget(m_useLastGains);
    m_summary->setObjectName("correctionSummary");
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setContentsMargins(20, 0, 0, 0); // under its radio button's text
    correctionGrid->addWidget(m_summary);
    m_previewBefore->setObjectName("previewBefore");
    m_previewAfter->setObjectName("previewAfter");
    auto *previewRow = new QHBoxLayout;
    for (auto [label, caption] : {std::pair{m_previewBefore, text::kBatchPreviewBefore},
                                  std::pair{m_previewAfter, text::kBatchPreviewAfter}}) {
        label->setFixedSize(kPreviewSize);
        label->setAlignment(Qt::AlignCenter);
        auto *column = new QVBoxLayout;
        column->addWidget(label);
        column->addWidget(new QLabel(text::Tr(caption)), 0, Qt::AlignHCenter);
        previewRow->addLayout(column);
    }
    previewRow->addStretch();
    correctionGrid->addLayout(previewRow);
    connect(m_useLastGains, &QRadioButton::toggled, this, &BatchDialog::updatePreview);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_useFile);
    fileRow->addWidget(m_correctionFile, 1);
    fileRow->addWidget(m_browseCorrection);
    correctionGrid->addLayout(fileRow);

    m_outputFolder->setObjectName("outputFolder");
    m_browseOutput->setText(text::Tr(text::kBatchBrowse));
    m_format->setObjectName("format");
    for (const PictureFormat format : kOutputFormats)
        m_format->addItem(Latin1(InfoOf(format).name), static_cast<int>(format));
    m_quality->setObjectName("quality");
    m_quality->setRange(1, 100);
    m_quality->setValue(95);
    auto *outputRow = new QHBoxLayout;
    outputRow->addWidget(m_outputFolder, 1);
    outputRow->addWidget(m_browseOutput);
    auto *form = new QFormLayout;
    form->addRow(text::Tr(text::kBatchOutputFolder), outputRow);
    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(m_format);
    formatRow->addWidget(new QLabel(text::Tr(text::kBatchQuality)));
    formatRow->addWidget(m_quality);
    formatRow->addStretch();
    form->addRow(text::Tr(text::kBatchFormat), formatRow);

    m_start->setObjectName("start");
    m_start->setText(text::Tr(text::kBatchStart));
    m_start->setDefault(true);
    m_cancel->setObjectName("cancel");
    m_cancel->setText(text::Tr(text::kBatchCancel));
    m_progress->setObjectName("progress");
    m_current->setObjectName("current");
    m_results->setObjectName("results");
    m_results->setReadOnly(true);
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(m_progress, 1);
    runRow->addWidget(m_start);
    runRow->addWidget(m_cancel);

    auto *page = new QVBoxLayout(this);
    page->addWidget(photoBox, 1);
    page->addWidget(correctionBox);
    page->addLayout(form);
    page->addLayout(runRow);
    page->addWidget(m_current);
    page->addWidget(m_results);
}

void BatchDialog::addPhotos(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (m_photos->findItems(absolute, Qt::MatchExactly).isEmpty())
            m_photos->addItem(absolute);
    }
    if (!m_outputEdited && m_photos->count() > 0)
        m_outputFolder->setText(QFileInfo(m_photos->item(0)->text()).dir().filePath(QString::fromUtf8(text::kBatchFolderName)));
    updateState();
    updatePreview();
}

void BatchDialog::updatePreview()
{
    const QString first = m_photos->count() > 0 ? m_photos->item(0)->text() : QString();
    if (first != m_previewPath) {
        m_previewPath = first;
        m_previewImage = QImage();
        if (!first.isEmpty()) {
            const LoadedPicture loaded = LoadPicture(first);
            if (loaded.problem == LoadProblem::None)
                m_previewImage = loaded.image.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                     .convertToFormat(QImage::Format_RGB32);
        }
    }
    m_previewBefore->setPixmap(m_previewImage.isNull() ? QPixmap() : QPixmap::fromImage(m_previewImage));
    // Only the correction the photo shows: a file's is read, and judged, when the run starts.
    QImage after;
    if (!m_previewImage.isNull() && m_useLastGains->isChecked() && m_lastCorrection
        && !CheckStep(StepOf(*m_lastCorrection))) {
        after = m_previewImage.copy();
        const RowTables tables = MakeRowTables(StepOf(*m_lastCorrection));
        for (int y = 0; y < after.height(); ++y)
            MapRow(reinterpret_cast<std::uint32_t *>(after.scanLine(y)), after.width(), tables);
    }
    m_previewAfter->setPixmap(after.isNull() ? QPixmap() : QPixmap::fromImage(after));
}

void BatchDialog::chooseFiles()
{
    addPhotos(QFileDialog::getOpenFileNames(this, text::Tr(text::kBatchTitle), {}, text::Tr(text::kBatchPhotoFilterName) + QStringLiteral(" (") + PhotoPatterns().join(QLatin1Char(' ')) + QLatin1Char(')')));
}

void BatchDialog::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, text::Tr(text::kBatchTitle));
    if (folder.isEmpty())
        return;
    QStringList found;
    QDirIterator it(folder, PhotoPatterns(), QDir::Files);
    while (it.hasNext())
        found << it.next();
    found.sort();
    addPhotos(found);
}

void BatchDialog::chooseCorrectionFile()
{
    const QString path =
        QFileDialog::getOpenFileName(this, text::Tr(text::kBatchTitle), {}, text::Tr(text::kBatchCorrectionFilter));
    if (path.isEmpty())
        return;
    m_correctionFile->setText(path);
    m_useFile->setChecked(true);
}

void BatchDialog::chooseOutputFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, text::Tr(text::kBatchTitle), m_outputFolder->text());
    if (folder.isEmpty())
        return;
    m_outputFolder->setText(folder);
    m_outputEdited = true;
}

void BatchDialog::removeSelected()
{
    qDeleteAll(m_photos->selectedItems());
    updateState();
    updatePreview();
}

void BatchDialog::explainNoCorrection(const QString &reason)
{
    if (!m_lastCorrection)
        m_summary->setText(reason);
}

std::optional<Step> BatchDialog::chosenStep()
{
    std::optional<CorrectionRecord> chosen;
    if (m_useLastGains->isChecked()) {
        if (!m_lastCorrection)
            m_current->setText(text::Tr(text::kBatchNoGains));
        chosen = m_lastCorrection;
    } else {
        const QString path = m_correctionFile->text().trimmed();
        if (path.isEmpty()) {
            m_current->setText(text::Tr(text::kBatchNoCorrectionFile));
            return std::nullopt;
        }
        const auto record = ReadCorrectionFile(QFile::encodeName(path).toStdString());
        if (const auto *error = std::get_if<CorrectionFileError>(&record)) {
            m_current->setText(text::CorrectionFileMessage(path, *error));
            return std::nullopt;
        }
        chosen = std::get<CorrectionRecord>(record);
    }
    if (!chosen)
        return std::nullopt;
    // A file may hold what no pass of the window would make (edited by hand, or from a version
    // without the checks): refused before any photo is written.
    const Step step = StepOf(*chosen);
    if (const auto refusal = CheckStep(step)) {
        m_current->setText(QString::fromStdString(text::RefusalText(refusal->kind, refusal->detail)));
        return std::nullopt;
    }
    return step;
}

void BatchDialog::start()
{
    if (m_run)
        return;
    if (m_photos->count() == 0) {
        m_current->setText(text::Tr(text::kBatchNoPhotos));
        return;
    }
    if (m_outputFolder->text().trimmed().isEmpty()) {
        m_current->setText(text::Tr(text::kBatchNoOutputFolder));
        return;
    }
    const std::optional<Step> step = chosenStep();
    if (!step)
        return;

    std::vector<std::string> files;
    for (int i = 0; i < m_photos->count(); ++i)
        files.push_back(QFile::encodeName(m_photos->item(i)->text()).toStdString());
    const auto format = static_cast<PictureFormat>(m_format->currentData().toInt());
    BatchJob job;
    job.plan = PlanOutputs(files, QFile::encodeName(m_outputFolder->text().trimmed()).toStdString(), format,
                           NameClash::Number);
    job.tables = MakeRowTables(*step);
    job.quality = m_quality->value();
    job.clash = NameClash::Number;
    m_results->clear();
    m_progress->setRange(0, static_cast<int>(job.plan.size()));
    m_progress->setValue(0);

    BatchEvents events;
    events.started = [this](std::size_t i) {
        QMetaObject::invokeMethod(this, [this, i] { fileStarted(i); }, Qt::QueuedConnection);
    };
    events.done = [this](std::size_t i, const FileResult &result) {
        QMetaObject::invokeMethod(this, [this, i, result] { fileDone(i, result); }, Qt::QueuedConnection);
    };
    events.ended = [this] { QMetaObject::invokeMethod(this, [this] { runEnded(); }, Qt::QueuedConnection); };
    m_run = std::make_unique<Run>();
    m_run->pool = std::make_unique<BatchRun>(std::move(job), std::move(events));
    updateState();
}

void BatchDialog::cancel()
{
    if (!m_run)
        return;
    m_run->pool->cancel();
    m_current->setText(text::Tr(text::kBatchCancelling));
    m_cancel->setEnabled(false);
}

void BatchDialog::fileStarted(std::size_t index)
{
    if (!m_run || m_run->pool->cancelled())
        return;
    const std::vector<PlannedFile> &plan = m_run->pool->plan();
    m_current->setText(text::BatchProgressText(m_run->done + 1, static_cast<int>(plan.size()),
                                               QFileInfo(QFile::decodeName(plan[index].input.c_str())).fileName()));
}

void BatchDialog::fileDone(std::size_t index, const FileResult &result)
{
    if (!m_run)
        return;
    m_progress->setValue(++m_run->done);
    if (result.failure == FileFailure::None) {
        ++m_run->succeeded;
        return;
    }
    const QString reason = result.failure == FileFailure::Described
                               ? QString::fromStdString(result.reason)
                               : QString::fromStdString(text::FileFailureText(result.failure));
    m_run->failures << text::BatchFailureLine(QFile::decodeName(m_run->pool->plan()[index].input.c_str()), reason);
}

void BatchDialog::runEnded()
{
    if (!m_run)
        return;
    const int total = static_cast<int>(m_run->pool->plan().size());
    m_current->setText(text::BatchSummary(m_run->succeeded, total, m_run->pool->cancelled()));
    m_results->setPlainText(m_run->failures.join(QLatin1Char('\n')));
    m_run.reset(); // every worker has ended; the joins return at once
    updateState();
    emit runFinished();
}

void BatchDialog::updateState()
{
    const bool idle = !m_run;
    for (QWidget *w : std::initializer_list<QWidget *>{m_photos, m_addPhotos, m_addFolder, m_useFile, m_correctionFile,
                                                       m_browseCorrection, m_outputFolder, m_browseOutput, m_format})
        w->setEnabled(idle);
    m_useLastGains->setEnabled(idle && m_lastCorrection.has_value());
    m_remove->setEnabled(idle && !m_photos->selectedItems().isEmpty());
    const auto format = static_cast<PictureFormat>(m_format->currentData().toInt());
    m_quality->setEnabled(idle && (format == PictureFormat::Jpeg || format == PictureFormat::WebP));
    m_start->setEnabled(idle && m_photos->count() > 0);
    m_cancel->setEnabled(!idle && !m_run->pool->cancelled());
}

} // namespace velmora
