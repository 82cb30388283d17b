// Velmora — the window's controls, their places, captions, fonts and colours.
#include <functional>
#include <limits>

#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QPixmap>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>

#include "ui/widgets/picture_box.h"
#include "picture/resource_bitmap.h"
#include "ui/widgets/classic_frame.h"
#include "ui/window/main_form.h"
#include "ui/widgets/stacked_label.h"
#include "ui/desktop/typefaces.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

// Designed in twips, 15 to the pixel; fractions go to the nearest pixel, halves up.
int Px(int twips) { return (twips * 2 + 15) / 30; }
QRect Place(int left, int top, int width, int height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

template <typename W>
W *Make(QWidget *parent, const char *name, QRect geometry)
{
    auto *w = new W(parent);
    w->setObjectName(QString::fromUtf8(name));
    w->setGeometry(geometry);
    return w;
}

PictureBox *MakeBox(QWidget *parent, const char *name, PictureBox::Border border, QRect geometry)
{
    auto *box = new PictureBox(border, parent);
    box->setObjectName(QString::fromUtf8(name));
    box->place(geometry);
    return box;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const char *caption, QRect geometry)
{
    auto *l = Make<QLabel>(parent, name, geometry);
    l->setText(text::Tr(caption));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QGroupBox *MakeFrame(QWidget *parent, const char *name, const char *caption, QRect geometry)
{
    auto *f = Make<ClassicFrame>(parent, name, geometry);
    f->setTitle(text::Tr(caption));
    return f;
}

void SetColours(QWidget *w, QPalette::ColorRole backgroundRole, QColor background, QPalette::ColorRole textRole,
                QColor text)
{
    QPalette p = w->palette();
    if (background.isValid())
        p.setColor(backgroundRole, background);
    p.setColor(textRole, text);
    w->setPalette(p);
}

// A caption longer than its control (a translation; the design's own captions fit) is drawn in a
// smaller size of the same face rather than clipped, down to this many pixels.
constexpr int kSmallestCaption = 9;

// The pixel size at which `caption` fits `room` in `w`'s face: its own size when it fits already.
int FittingSize(const QWidget *w, const QString &caption, int room)
{
    QFont font = w->font();
    if (font.pixelSize() <= 0)
        return font.pixelSize();
    while (font.pixelSize() > kSmallestCaption && QFontMetrics(font).horizontalAdvance(caption) > room)
        font.setPixelSize(font.pixelSize() - 1);
    return font.pixelSize();
}

void SetPixelSize(QWidget *w, int pixels)
{
    if (pixels <= 0 || pixels == w->font().pixelSize())
        return;
    QFont font = w->font();
    font.setPixelSize(pixels);
    w->setFont(font);
}

// The width a button's style leaves its caption.
int CaptionRoom(const QPushButton *b)
{
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    return b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b).width()
           - b->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, b);
}

struct Swatch {
    int top;
    const char *resource;
};
constexpr std::array<Swatch, 4> kSwatches{{{0, ":/swatches/skin_0.bmp"},
                                           {1200, ":/swatches/skin_1.bmp"},
                                           {2400, ":/swatches/skin_2.bmp"},
                                           {3600, ":/swatches/skin_3.bmp"}}};

} // namespace

void MainForm::buildControls()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8(text::kAppTitle));
    setWindowIcon(QIcon(QPixmap::fromImage(LoadResourceBitmap(QStringLiteral(":/icon/velmora.bmp")))));
    // Placed at the designed size; larger, the picture areas take the room (main_form_resize.cpp).
    setMinimumSize(kDesignedSize);
    resize(kDesignedSize);

    buildPictureAreas();
    buildSwatches();
    buildToolColumn();
    buildToolBars();
    m_swatchHeading = MakeLabel(this, "Label1", text::kSwatchHeading, Place(12765, 480, 975, 255));
    m_targetHeading = MakeLabel(this, "图片客体", text::kTargetHeading, Place(8760, 120, 1575, 255));
    m_referenceHeading = MakeLabel(this, "图片主体", text::kReferenceHeading, Place(2640, 120, 1335, 375));

    // The pointer position and progress are the program's to write; they still take the focus.
    field(Field::ReferencePointer)->setReadOnly(true);
    field(Field::TargetStatus)->setReadOnly(true);

    applyFonts();
    fitCaptions();
    applyColours();
    chainTabOrder();
    button(Button::Refresh)->setFocus();
}

// The two picture areas, each holding its picture, and the progress bar under both.
void MainForm::buildPictureAreas()
{
    using B = PictureBox::Border;
    m_referenceArea = MakeBox(this, "Picture3", B::Sunken, Place(120, 480, 6150, 7650));
    m_referenceArea->setToolTip(text::Tr(text::kMoveTip));
    m_referencePicture = MakeBox(m_referenceArea->client(), "取样图片", B::Sunken, Place(0, 0, 6150, 7650));
    m_referencePicture->setAutoSize(true);
    m_referencePicture->setToolTip(text::Tr(text::kReferenceTip));

    m_targetArea = MakeBox(this, "客体", B::Sunken, Place(6480, 480, 6150, 7650));
    m_targetPicture = MakeBox(m_targetArea->client(), "客体图片", B::Sunken, Place(0, 0, 6150, 7650));
    m_targetPicture->setAutoSize(true);
    m_targetPicture->setToolTip(text::Tr(text::kTargetTip));

    m_progressBar = Make<QScrollBar>(this, "HScroll2", Place(120, 8160, 12495, 135));
    m_progressBar->setOrientation(Qt::Horizontal);
    m_progressBar->setRange(0, 32767);
    m_progressBar->setSingleStep(1);
    m_progressBar->setPageStep(1);
    m_progressBar->setFocusPolicy(Qt::StrongFocus);
    m_panel.attachProgressBar(m_progressBar);
}

void MainForm::buildSwatches()
{
    m_swatchArea = MakeBox(this, "Picture1", PictureBox::Border::Sunken, Place(12720, 720, 1000, 4800));
    // Created last to first, so a lower swatch lies over the one above it where they overlap.
    for (int i = 3; i >= 0; --i) {
        const QImage sample = LoadResourceBitmap(QString::fromUtf8(kSwatches[i].resource));
        auto *swatch = MakeBox(m_swatchArea->client(), ("Picture2(" + std::to_string(i) + ")").c_str(),
                               PictureBox::Border::Flat,
                               QRect(0, Px(kSwatches[i].top), Px(960), sample.height() + 2));
        swatch->setAutoSize(true);
        swatch->setPicture(sample);
        swatch->setToolTip(text::Tr(text::kSwatchTip));
        m_swatches[i] = swatch;
    }
    for (PictureBox *swatch : m_swatches)
        swatch->raise();
}

// The command buttons, top to bottom, and the difference fields beside their heading.
void MainForm::buildToolColumn()
{
    m_toolFrame = MakeFrame(this, "校正工具", text::kToolFrame, Place(12720, 5640, 1000, 3255));
    addButton(m_toolFrame, Button::Refresh, Place(30, 240, 900, 375));
    addButton(m_toolFrame, Button::Correct, Place(30, 615, 900, 375));
    addButton(m_toolFrame, Button::Save, Place(30, 990, 900, 375));
    addButton(m_toolFrame, Button::Help, Place(30, 1365, 900, 375));
    addButton(m_toolFrame, Button::Quit, Place(30, 1740, 900, 375));
    m_differenceHeading = Make<StackedLabel>(m_toolFrame, "Label2", Place(45, 2280, 375, 855));
    m_differenceHeading->setText(text::Tr(text::kDifferenceHeading));
    addField(m_toolFrame, Field::DifferenceRed, Place(360, 2160, 570, 315));
    addField(m_toolFrame, Field::DifferenceGreen, Place(360, 2520, 570, 315));
    addField(m_toolFrame, Field::DifferenceBlue, Place(360, 2880, 570, 300));
}

// Each side's bar: its import button, its pointer-position field, its colour fields.
void MainForm::buildToolBars()
{
    // Red, green and blue stand left to right in both bars.
    const auto colourFields = [this](QWidget *bar, std::array<Field, 3> fields) {
        for (int i = 0; i < 3; ++i)
            addField(bar, fields[i], Place(3960 + 720 * i, 120, 600, 350));
    };
    m_targetBar = MakeFrame(this, "客体工具栏", text::kTargetBar, Place(6480, 8400, 6135, 495));
    addButton(m_targetBar, Button::ImportTarget, Place(50, 200, 1575, 255));
    addField(m_targetBar, Field::TargetStatus, Place(1800, 120, 2085, 345));
    colourFields(m_targetBar, {Field::TargetRed, Field::TargetGreen, Field::TargetBlue});

    m_referenceBar = MakeFrame(this, "主体工具栏", text::kReferenceBar, Place(120, 8400, 6135, 495));
    addButton(m_referenceBar, Button::ImportReference, Place(50, 200, 1335, 255));
    addField(m_referenceBar, Field::ReferencePointer, Place(1680, 120, 2085, 335));
    colourFields(m_referenceBar, {Field::ReferenceRed, Field::ReferenceGreen, Field::ReferenceBlue});
}

QPushButton *MainForm::addButton(QWidget *parent, Button role, QRect place)
{
    const ButtonName &name = kButtonNames[size_t(role)];
    auto *b = Make<QPushButton>(parent, name.objectName, place);
    b->setText(text::Tr(name.caption));
    b->setAutoDefault(false);
    m_buttons[size_t(role)] = b;
    return b;
}

void MainForm::addField(QWidget *parent, Field f, QRect place)
{
    m_panel.attach(f, Make<QLineEdit>(parent, kFieldNames[size_t(f)], place));
}

void MainForm::applyFonts()
{
    for (int f = 0; f < kFieldCount; ++f)
        field(Field(f))->setFont(Typeface(Face::Song, 10.5));
    for (Button b : {Button::Refresh, Button::Correct, Button::Save, Button::Help, Button::Quit})
        button(b)->setFont(Typeface(Face::Hei, 14.25));
    m_toolFrame->setFont(Typeface(Face::Kai, 10.5));
    m_swatchHeading->setFont(Typeface(Face::Kai, 10.5, QFont::Bold));
    m_differenceHeading->setFont(Typeface(Face::Kai, 14.25, QFont::Bold));
    m_referenceHeading->setFont(Typeface(Face::Kai, 15, QFont::Bold));
    m_targetHeading->setFont(Typeface(Face::Kai, 15, QFont::Bold));
}

// The buttons of the tool column, and the two headings over the pictures, shrink together, so
// they keep one size among themselves.
void MainForm::fitCaptions()
{
    const auto fit = [](const QList<QWidget *> &together, const std::function<int(QWidget *)> &room) {
        int size = std::numeric_limits<int>::max();
        for (QWidget *w : together) {
            const QString caption = qobject_cast<QPushButton *>(w) ? static_cast<QPushButton *>(w)->text()
                                                                   : static_cast<QLabel *>(w)->text();
            size = std::min(size, FittingSize(w, caption, room(w)));
        }
        for (QWidget *w : together)
            if (size < w->font().pixelSize())
                SetPixelSize(w, size);
    };
    const auto buttonRoom = [](QWidget *w) { return CaptionRoom(static_cast<QPushButton *>(w)); };
    const auto labelRoom = [](QWidget *w) { return w->contentsRect().width(); };
    fit({button(Button::Refresh), button(Button::Correct), button(Button::Save), button(Button::Help),
         button(Button::Quit)},
        buttonRoom);
    fit({button(Button::ImportReference), button(Button::ImportTarget)}, buttonRoom);
    fit({m_referenceHeading, m_targetHeading}, labelRoom);
    fit({m_swatchHeading}, labelRoom);
}

void MainForm::applyColours()
{
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), cyan(0, 255, 255);
    const auto colour = [&](Field f, QColor background, QColor text) {
        SetColours(field(f), QPalette::Base, background, QPalette::Text, text);
    };
    for (Field f : {Field::ReferenceRed, Field::TargetRed, Field::DifferenceRed})
        colour(f, red, cyan);
    for (Field f : {Field::ReferenceGreen, Field::TargetGreen, Field::DifferenceGreen})
        colour(f, green, blue);
    for (Field f : {Field::ReferenceBlue, Field::TargetBlue, Field::DifferenceBlue})
        colour(f, blue, cyan);
    for (Field f : {Field::ReferencePointer, Field::TargetStatus})
        colour(f, QColor(192, 255, 255), red);
    // A frame's caption takes its WindowText colour, which the heading inside must not inherit.
    for (QGroupBox *frame : {m_referenceBar, m_targetBar, m_toolFrame})
        SetColours(frame, QPalette::Window, QColor(), QPalette::WindowText, red);
    SetColours(m_differenceHeading, QPalette::Window, QColor(), QPalette::WindowText, palette().color(QPalette::WindowText));
    SetColours(m_swatchHeading, QPalette::Window, QColor(), QPalette::WindowText, blue);
}

void MainForm::chainTabOrder()
{
    const QList<QWidget *> order{
        button(Button::Refresh), button(Button::Correct), button(Button::Quit),
        button(Button::ImportReference), button(Button::ImportTarget), button(Button::Save),
        field(Field::ReferencePointer), field(Field::TargetStatus), m_targetArea, m_targetPicture, m_progressBar,
        field(Field::DifferenceBlue), field(Field::DifferenceGreen), field(Field::DifferenceRed), m_swatchArea,
        m_swatches[0], m_swatches[1], m_swatches[2], m_swatches[3], m_referenceArea, m_referencePicture,
        field(Field::ReferenceGreen), field(Field::ReferenceBlue), field(Field::ReferenceRed),
        field(Field::TargetBlue), field(Field::TargetGreen), field(Field::TargetRed), button(Button::Help)};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

} // namespace velmora
