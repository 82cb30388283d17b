// Velmora — the one window: two picture areas, the skin swatches, the command buttons and the
// colour fields through which the correction core reads and writes its state.
#pragma once

#include <array>
#include <string>

#include <QWidget>

#include "core/colour_word.h"
#include "core/gain_table.h"
#include "platform/file_dialog.h"
#include "platform/form_fields.h"
#include "platform/qt/background_save.h"
#include "platform/qt/frame_pacer.h"
#include "platform/services.h"

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

class MainForm : public QWidget, private FormFields {
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
    // True from 保存 until the file is on disk or the failure is known.
    bool saving() const { return m_save.busy(); }

public slots:
    // 文件 > 保存选项: JPEG quality, WebP lossless or lossy.
    void showSaveOptions();

signals:
    // A save ended, its message (if any) shown.
    void saveEnded();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // FormFields, for the correction core.
    std::string text(Field field) const override;
    void setText(Field field, const std::string &text) override;
    void setEnabled(Button button, bool enabled) override;
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;

    // Layout (main_form_layout.cpp).
    void buildControls();
    void buildPictureAreas();
    void buildSwatches();
    void buildToolColumn();
    void buildToolBars();
    void addField(QWidget *parent, Field field, QRect place);
    void applyFonts();
    void applyColours();
    void chainTabOrder();
    void connectHandlers();

    QLineEdit *field(Field f) const { return m_fields[size_t(f)]; }

    // Correction (main_form.cpp).
    void correct();

    // Pointer (main_form_pointer.cpp).
    void connectPointer();
    void hoverSwatch(int index, QPoint position);
    void hoverPicture(PictureBox *box, Field positionField, QPoint position);
    void startDrag(PictureBox *box, QPoint position);
    void endDrag(PictureBox *box, QPoint position);

    // Picture files (main_form_files.cpp).
    std::optional<std::string> askFileName(DialogPurpose purpose);
    void importReference();
    void importTarget();
    void reloadTarget();
    void saveTarget();
    void saveFinished(SaveOutcome outcome);
    // Waits for a save in flight and reports it; false when it failed, so the window stays.
    bool finishSaveInFlight();
    bool loadInto(PictureBox *box, const std::string &path);
    static void centre(PictureBox *box);

    // Guide and exit (main_form_startup.cpp).
    void showGuide();
    void quit();

    Services m_services;

    // Controls, named as in the window's design; owned by their Qt parents.
    PictureBox *m_picture3 = nullptr;
    PictureBox *m_取样图片 = nullptr;
    PictureBox *m_picture1 = nullptr;
    std::array<PictureBox *, 4> m_picture2{};
    QScrollBar *m_hScroll2 = nullptr;
    PictureBox *m_客体 = nullptr;
    PictureBox *m_客体图片 = nullptr;
    QGroupBox *m_校正工具 = nullptr;
    QPushButton *m_校正点 = nullptr;
    QPushButton *m_校正 = nullptr;
    QPushButton *m_保存 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_退出 = nullptr;
    QLabel *m_label2 = nullptr;
    QGroupBox *m_客体工具栏 = nullptr;
    QPushButton *m_导入客体 = nullptr;
    QGroupBox *m_主体工具栏 = nullptr;
    QPushButton *m_导入主体 = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_图片客体 = nullptr;
    QLabel *m_图片主体 = nullptr;
    // The eleven text fields, indexed by Field.
    std::array<QLineEdit *, 11> m_fields{};
    // Progress changes every row but repaints once a frame: a repaint costs more than a row.
    FramePacer m_progressRepaints;
    FramePacer m_progressTextRepaints;

    // Values the window holds between events.
    ColourWord m_hoverColour = 0;
    Channels m_targetChannels;
    DragOrigin m_dragOrigin;
    std::string m_targetPath;
    // The photo's file as read, whose camera data a save carries over.
    QByteArray m_targetFileBytes;
    BackgroundSave m_save;
    QString m_savePath;
    // What the pass last asked of 保存; a save in flight keeps it off until done.
    bool m_saveButtonWanted = true;
    Gains m_gains;
    DialogSettings m_dialog;
};

} // namespace velmora
