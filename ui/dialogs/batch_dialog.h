// Velmora — the batch dialog: one correction (the one the photo shows, or a .velmora file) over
// many photos, in the background, while the main window stays usable.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QDialog>
#include <QImage>

#include "core/correction_file.h"
#include "core/gain_table.h"
#include "batch/batch_run.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace velmora {

class BatchDialog : public QDialog {
    Q_OBJECT

public:
    // `current`: the correction the photo shows, with its rule; none leaves only a file to choose.
    explicit BatchDialog(std::optional<CorrectionRecord> current, QWidget *parent = nullptr);
    ~BatchDialog() override; // a run in progress is cancelled; the photos in hand are finished

    // Why there is no correction to offer, shown where its summary would be.
    void explainNoCorrection(const QString &reason);
    // Adds photos to the list, each once; the first one sets the default output folder.
    void addPhotos(const QStringList &paths);
    bool running() const { return m_run != nullptr; }

signals:
    void runFinished();

private:
    struct Run;

    void buildLayout();
    void chooseFiles();
    void chooseFolder();
    void chooseCorrectionFile();
    void chooseOutputFolder();
    void removeSelected();
    void start();
    void cancel();
    void fileStarted(std::size_t index);
    void fileDone(std::size_t index, const FileResult &result);
    void runEnded();
    void updateState();
    // The pass chosen, or nothing with the reason shown.
    std::optional<Step> chosenStep();
    // The first photo small, before and after the correction chosen (when one is chosen and sound).
    void updatePreview();

    std::optional<CorrectionRecord> m_lastCorrection;
    bool m_outputEdited = false;
    std::unique_ptr<Run> m_run;

    QListWidget *m_photos;
    QPushButton *m_addPhotos;
    QPushButton *m_addFolder;
    QPushButton *m_remove;
    QRadioButton *m_useLastGains;
    QLabel *m_summary;
    QLabel *m_previewBefore;
    QLabel *m_previewAfter;
    QString m_previewPath; // the photo m_previewImage was made from
    QImage m_previewImage;
    QRadioButton *m_useFile;
    QLineEdit *m_correctionFile;
    QPushButton *m_browseCorrection;
    QLineEdit *m_outputFolder;
    QPushButton *m_browseOutput;
    QComboBox *m_format;
    QSpinBox *m_quality;
    QPushButton *m_start;
    QPushButton *m_cancel;
    QProgressBar *m_progress;
    QLabel *m_current;
    QPlainTextEdit *m_results;
};

} // namespace velmora
