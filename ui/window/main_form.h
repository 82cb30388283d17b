// Velmora — the one window: two picture areas, the skin swatches, the command buttons and the
// colour fields through which the picks and the pass read and write their state.
#pragma once

#include <array>
#include <optional>
#include <string>

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "core/colour_word.h"
#include "core/correction_file.h"
#include "core/gain_table.h"
#include "core/refusal.h"
#include "ui/desktop/file_dialog.h"
#include "picture/background_save.h"
#include "ui/desktop/services.h"
#include "ui/window/controls.h"
#include "ui/window/photo_document.h"
#include "ui/window/swatch_sets.h"
#include "ui/widgets/field_panel.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QMimeData;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace velmora {

class PictureBox;

// The window's commands for its menu bar; the buttons that do the same share their handlers and
// their enabled state.
struct Commands {
    QAction *importReference = nullptr;
    QAction *importTarget = nullptr;
    QMenu *recent = nullptr;
    QAction *refresh = nullptr;
    QAction *save = nullptr;
    QAction *saveOptions = nullptr;
    QAction *exportCorrection = nullptr;
    QAction *importCorrection = nullptr;
    QAction *batch = nullptr;
    QAction *quit = nullptr;
    QAction *undo = nullptr;
    QAction *redo = nullptr;
    QMenu *sampleSize = nullptr;
    QMenu *rule = nullptr; // 校正规则: one checkable action a rule, the design's first
    QAction *fitToWindow = nullptr;
    QAction *actualSize = nullptr;
    QAction *zoomIn = nullptr;
    QAction *zoomOut = nullptr;
    QAction *compare = nullptr;
    QAction *fitLargeOnImport = nullptr;
    QAction *guide = nullptr;
    QAction *manual = nullptr;
    QAction *about = nullptr;
    // 样本: the sets, in SwatchSet's order, then the user's own swatches.
    QMenu *swatches = nullptr;
    std::array<QAction *, kSwatchSetCount> swatchSets{};
    QAction *addMySwatch = nullptr;
    QAction *clearMySwatches = nullptr;
    // 语言: 中文, English, 跟随系统, one checked; a choice applies from the next start.
    QMenu *language = nullptr;
    QAction *languageChinese = nullptr;
    QAction *languageEnglish = nullptr;
    QAction *languageSystem = nullptr;
};

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

    // The size the window was designed at, and its least: it only grows from there.
    static constexpr QSize kDesignedSize{921, 599};

    // The window's values, for tests and the benchmark.
    ColourWord hoverColour() const { return m_hoverColour; }
    Channels targetChannels() const { return m_photo.targetChannels(); }
    const std::string &targetPath() const { return m_photo.path(); }
    const DialogSettings &dialogSettings() const { return m_dialog; }
    // True from 保存 until the file is on disk or the failure is known.
    bool saving() const { return m_save.busy(); }

    const Commands &commands() const { return m_commands; }

    // Imports a picture by its path, as the dialog would: the photo to correct, or the reference.
    // A photo holding an unsaved correction is only replaced once the user agreed (mayDropPhoto),
    // unless the caller already asked.
    enum class Unsaved { Ask, AlreadyAsked };
    void openTarget(const std::string &path, Unsaved unsaved = Unsaved::Ask);
    void openReference(const std::string &path);
    // Before the photo goes (the program ends, another photo replaces it): true at once when it
    // holds nothing unsaved, else asks 保存 / 不保存 / 取消; 保存 goes on only once the file is
    // written (main_form_unsaved.cpp).
    bool mayDropPhoto();
    bool hasUnsavedCorrection() const { return m_photo.unsaved(); }
    // The photos most recently imported to be corrected, newest first.
    QStringList recentPhotos() const;

    // How long a pass runs rows before it lets the window's events run; 0 lets them run after
    // every row.
    void setPassEventInterval(int milliseconds) { m_passEventIntervalMs = milliseconds; }
    // The gains of the correction the photo now shows, which a batch can apply to other photos.
    std::optional<Gains> lastGains() const;
    // That correction whole: its rule, gains and colours.
    std::optional<CorrectionRecord> currentCorrection() const { return m_photo.currentCorrection(); }

    // The rule 校正 applies (编辑 > 校正规则, main_form_rules.cpp); kept across starts.
    Rule rule() const { return m_rule; }
    void setRule(Rule rule);

public slots:
    // 文件 > 批量校正: one correction over many photos, beside the window (main_form_batch.cpp).
    void showBatch();
    // 文件 > 导出校正量 / 导入校正量: the last completed pass to a .velmora file, and back into the
    // colour and difference fields so that 校正 takes the same gains (main_form_correction_file.cpp).
    void exportCorrection();
    void importCorrection();

    // The view (main_form_view.cpp): each acts on the picture area the pointer was last over,
    // the photo's before any move.
    void fitToWindow();
    void actualSize();
    void zoomIn();
    void zoomOut();
    // Whether an imported picture larger than its area is fitted instead of shown 1:1; off by default.
    void setFitLargeOnImport(bool on) { m_fitLargeOnImport = on; }
    bool fitLargeOnImport() const { return m_fitLargeOnImport; }
    // The picker's square (main_form_sampling.cpp): 1 (one pixel), 3, 5 or 11; anything else is 1.
    void setSampleSize(int size);
    int sampleSize() const { return m_sampleSize; }
    // 样本 (main_form_swatches.cpp): what the swatch boxes show, and the user's colours, newest first.
    SwatchSet swatchSet() const { return m_swatchSet; }
    const QList<QRgb> &mySwatches() const { return m_mySwatches; }

public slots:
    // 文件 > 保存选项: JPEG quality, WebP lossless or lossy.
    void showSaveOptions();

signals:
    // A save ended, its message (if any) shown.
    void saveEnded();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

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
    void fitCaptions();
    void applyColours();
    void chainTabOrder();
    void connectHandlers();

    // Names and descriptions for screen readers (main_form_accessibility.cpp).
    void nameForScreenReaders();

    // Beyond the designed size (main_form_resize.cpp).
    void followSize();
    void followRoom(PictureBox *picture, QSize oldRoom);

    QLineEdit *field(Field f) const { return m_panel.edit(f); }
    QPushButton *button(Button b) const { return m_buttons[size_t(b)]; }

    // Correction (main_form.cpp).
    void correct();
    bool yieldDuringPass();
    void showRefusal(Refusal refusal, const RefusalDetail &detail = {});
    void updateButtons();

    // Pointer (main_form_pointer.cpp).
    void connectPointer();
    void hoverSwatch(int index, QPoint position);
    void hoverPicture(PictureBox *box, Field positionField, QPoint position);
    void pickReference(PictureBox *source);
    void pickTarget();
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
    // 保存 through its dialog, waited for; false when cancelled or failed (main_form_unsaved.cpp).
    bool saveAndWait();
    bool loadInto(PictureBox *box, const std::string &path, QByteArray *fileBytes = nullptr, QImage *withAlpha = nullptr);
    static void centre(PictureBox *box);

    // View (main_form_view.cpp).
    void connectView();
    PictureBox *viewedPicture() const;
    void zoomTo(PictureBox *picture, double zoom, QPointF anchor);
    void zoomStep(int direction);
    void turnWheel(PictureBox *picture, QPointF position, int delta);
    void fit(PictureBox *picture);
    void placeImported(PictureBox *picture);
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Sampling and pick marks (main_form_sampling.cpp).
    ColourWord sample(PictureBox *source, QPoint position);
    void markReferencePick(PictureBox *source);
    void markTargetPick();
    void forgetMarks(PictureBox *picture);

    // The 样本 menu (main_form_swatches.cpp).
    void buildSwatchCommands();
    void showSwatchSet(SwatchSet set);
    void addMySwatch();
    void clearMySwatches();

    // Guide, manual and exit (main_form_startup.cpp).
    void showGuide();
    // 帮助 > 使用手册: one manual beside the window, raised again if already open.
    void showManual();
    void showAbout();
    void quit();

    // Menu commands, recent photos, dropped files (main_form_commands.cpp).
    void buildCommands();
    void buildLanguageCommands();
    QAction *addCommand(const char *caption, void (MainForm::*handler)(), QList<QKeySequence> keys = {});
    void rememberPhoto(const std::string &path);
    void forgetPhoto(const std::string &path);
    void rebuildRecentMenu();
    bool acceptsDropAt(const QMimeData *data, QPoint position) const;

    // The rule menu (main_form_rules.cpp).
    void buildRuleMenu();

    // Undo, redo and the photo as loaded (main_form_history.cpp).
    void undoPass();
    void redoPass();
    void setComparing(bool on);
    // True when it took a press or release of the compare key, anywhere in the window.
    bool watchCompareKey(QObject *watched, QEvent *event);
    // Import and 刷新: the photo the target box now shows came from `path`.
    void photoLoaded(std::string path, QByteArray fileBytes, QImage withAlpha = {});

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
    Commands m_commands;

    // The photo being corrected; the target box shows it.
    PhotoDocument m_photo;

    // Values the window holds between events.
    ColourWord m_hoverColour = 0;
    DragOrigin m_dragOrigin;
    bool m_panned = false; // the last press on a picture ended as a pan, so its release picks nothing
    BackgroundSave m_save;
    QString m_savePath;
    std::uint64_t m_savingState = 0; // what the photo held when the save in flight was asked for
    DialogSettings m_dialog;
    bool m_passRunning = false;
    // After a difference refused as too large, only 校正 comes back until a pass completes.
    bool m_awaitingCompletedPass = false;
    int m_passEventIntervalMs = 16;
    bool m_compareKeyHeld = false;

    // What the window has gained over its designed size, as its controls were last placed.
    QSize m_gained{0, 0};

    // View and picker state.
    PictureBox *m_viewed = nullptr; // the picture whose area the pointer was last over
    int m_wheelRemainder = 0;       // eighths of a degree short of a whole wheel step
    bool m_fitLargeOnImport = false;
    int m_sampleSize = 1;
    Rule m_rule = Rule::Design;
    PictureBox *m_hoverSource = nullptr; // where m_hoverColour was sampled, and at which pixel
    QPoint m_hoverPixel;
    PictureBox *m_referenceMarked = nullptr; // the reference picture or the swatch the reference came from

    // Swatches: the set shown, the designed boxes' contents to come back to, the user's own colours,
    // and the colour of the last reference pick, which 加入我的样本 adds.
    SwatchSet m_swatchSet = SwatchSet::Designed;
    std::array<SwatchContent, 4> m_designedSwatches;
    QList<QRgb> m_mySwatches;
    std::optional<ColourWord> m_referencePick;

    DialogSettings m_correctionDialog;
    QPointer<QWidget> m_manual; // the open manual, if any

    // The pass just completed as `step`, and the colours it came from.
    CorrectionRecord passRecord(const Step &step) const;
    std::optional<std::string> askCorrectionFile(DialogPurpose purpose);
};

} // namespace velmora
