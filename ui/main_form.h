// Velmora — the one window: two picture areas, the skin swatches, the command buttons and the
// colour fields through which the picks and the pass read and write their state.
#pragma once

#include <array>
#include <optional>
#include <string>

#include <QWidget>

#include "core/colour_word.h"
#include "core/correction_file.h"
#include "core/gain_table.h"
#include "core/refusal.h"
#include "platform/file_dialog.h"
#include "platform/services.h"
#include "ui/controls.h"
#include "ui/field_panel.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace velmora {

class PictureBox;

// Where a drag started: the pointer in the picture's pixels, the picture in its area's pixels.
struct DragOrigin {
    float x = 0;
    float y = 0;
    float left = 0;
    float top = 0;
};

class MainForm : public QWidget {
    Q_OBJECT

public:
    struct Services {
        MessageBox &messages;
        Beeper &beeper;
        EventLoop &loop;
        FilePicker &files;
    };

    explicit MainForm(Services services, QWidget *parent = nullptr);
    ~MainForm() override;

    // The window's values, for tests and the benchmark.
    ColourWord hoverColour() const { return m_hoverColour; }
    Channels targetChannels() const { return m_targetChannels; }
    const std::string &targetPath() const { return m_targetPath; }
    const DialogSettings &dialogSettings() const { return m_dialog; }

    // How long a pass runs rows before it lets the window's events run; 0 lets them run after
    // every row.
    void setPassEventInterval(int milliseconds) { m_passEventIntervalMs = milliseconds; }
    // The gains of the last pass that ran to the end, which a batch can apply to other photos.
    std::optional<Gains> lastGains() const;

public slots:
    // 文件 > 批量校正: one correction over many photos, beside the window (main_form_batch.cpp).
    void showBatch();
    // 文件 > 导出校正量 / 导入校正量: the last completed pass to a .velmora file, and back into the
    // colour and difference fields so that 校正 takes the same gains (main_form_correction_file.cpp).
    void exportCorrection();
    void importCorrection();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Layout (main_form_layout.cpp).
    void buildControls();
    void buildPictureAreas();
    void buildSwatches();
    void buildToolColumn();
    void buildToolBars();
    QPushButton *addButton(QWidget *parent, Button role, QRect place);
    void addField(QWidget *parent, Field field, QRect place);
    void applyFonts();
    void applyColours();
    void chainTabOrder();
    void connectHandlers();

    QLineEdit *field(Field f) const { return m_panel.edit(f); }
    QPushButton *button(Button b) const { return m_buttons[size_t(b)]; }

    // Correction (main_form.cpp).
    void correct();
    bool yieldDuringPass();
    void showRefusal(Refusal refusal);
    void updateButtons();

    // Pointer (main_form_pointer.cpp).
    void connectPointer();
    void hoverSwatch(int index, QPoint position);
    void hoverPicture(PictureBox *box, Field positionField, QPoint position);
    void pickTarget();
    void startDrag(PictureBox *box, QPoint position);
    void endDrag(PictureBox *box, QPoint position);

    // Picture files (main_form_files.cpp).
    std::optional<std::string> askFileName(DialogPurpose purpose);
    void importReference();
    void importTarget();
    void reloadTarget();
    void saveTarget();
    bool loadInto(PictureBox *box, const std::string &path);
    static void centre(PictureBox *box);

    // Guide and exit (main_form_startup.cpp).
    void showGuide();
    void quit();

    Services m_services;

    // Controls, owned by their Qt parents; each carries its design name as its objectName.
    PictureBox *m_referenceArea = nullptr;    // Picture3
    PictureBox *m_referencePicture = nullptr; // 取样图片
    PictureBox *m_swatchArea = nullptr;       // Picture1
    std::array<PictureBox *, 4> m_swatches{}; // Picture2(0..3)
    QScrollBar *m_progressBar = nullptr;      // HScroll2
    PictureBox *m_targetArea = nullptr;       // 客体
    PictureBox *m_targetPicture = nullptr;    // 客体图片
    QGroupBox *m_toolFrame = nullptr;         // 校正工具
    QGroupBox *m_targetBar = nullptr;         // 客体工具栏
    QGroupBox *m_referenceBar = nullptr;      // 主体工具栏
    QLabel *m_differenceHeading = nullptr;    // Label2
    QLabel *m_swatchHeading = nullptr;        // Label1
    QLabel *m_targetHeading = nullptr;        // 图片客体
    QLabel *m_referenceHeading = nullptr;     // 图片主体
    std::array<QPushButton *, kButtonCount> m_buttons{};
    FieldPanel m_panel;

    // Values the window holds between events.
    ColourWord m_hoverColour = 0;
    Channels m_targetChannels;
    DragOrigin m_dragOrigin;
    std::string m_targetPath;
    DialogSettings m_dialog;
    bool m_passRunning = false;
    // After a difference refused as too large, only 校正 comes back until a pass completes.
    bool m_awaitingCompletedPass = false;
    int m_passEventIntervalMs = 16;
    std::optional<CorrectionRecord> m_lastCorrection;
    DialogSettings m_correctionDialog;

    // The pass just completed with `gains`, and the colours it came from.
    CorrectionRecord passRecord(const Gains &gains) const;
    std::optional<std::string> askCorrectionFile(DialogPurpose purpose);
};

} // namespace velmora
