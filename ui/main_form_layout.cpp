// Velmora — the window's controls, their places, captions, fonts and colours.
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "platform/qt/picture_box.h"
#include "ui/classic_frame.h"
#include "ui/main_form.h"
#include "ui/stacked_label.h"
#include "ui/typefaces.h"
#include "ui/window_texts.h"

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

QPushButton *MakeButton(QWidget *parent, const char *name, const char *caption, QRect geometry)
{
    auto *b = Make<QPushButton>(parent, name, geometry);
    b->setText(QString::fromUtf8(caption));
    b->setAutoDefault(false);
    return b;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const char *caption, QRect geometry)
{
    auto *l = Make<QLabel>(parent, name, geometry);
    l->setText(QString::fromUtf8(caption));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QGroupBox *MakeFrame(QWidget *parent, const char *name, const char *caption, QRect geometry)
{
    auto *f = Make<ClassicFrame>(parent, name, geometry);
    f->setTitle(QString::fromUtf8(caption));
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

struct Swatch {
    int top;
    const char *resource;
};
constexpr std::array<Swatch, 4> kSwatches{{{0, ":/swatches/skin_0.bmp"},
                                           {1200, ":/swatches/skin_1.bmp"},
                                           {2400, ":/swatches/skin_2.bmp"},
                                           {3600, ":/swatches/skin_3.bmp"}}};

// Each text field's name, in the order of Field.
constexpr const char *kFieldNames[] = {"主红", "主绿", "主蓝", "客红", "客绿", "客蓝", "红", "绿", "蓝", "Text1", "Text2"};

} // namespace

void MainForm::buildControls()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromUtf8(text::kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icon/velmora.bmp")));
    setFixedSize(921, 599);
    // The layout is fixed, so a maximised window would only show empty space: no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    buildPictureAreas();
    buildSwatches();
    buildToolColumn();
    buildToolBars();
    m_label1 = MakeLabel(this, "Label1", "皮肤样本", Place(12765, 480, 975, 255));
    m_图片客体 = MakeLabel(this, "图片客体", "将校正照片", Place(8760, 120, 1575, 255));
    m_图片主体 = MakeLabel(this, "图片主体", "标准照片", Place(2640, 120, 1335, 375));

    // The pointer position and progress are the program's to write; they still take the focus.
    field(Field::Text1)->setReadOnly(true);
    field(Field::Text2)->setReadOnly(true);

    applyFonts();
    applyColours();
    chainTabOrder();
    m_校正点->setFocus();
}

// The two picture areas, each holding its picture, and the progress bar under both.
void MainForm::buildPictureAreas()
{
    using B = PictureBox::Border;
    m_picture3 = MakeBox(this, "Picture3", B::Sunken, Place(120, 480, 6150, 7650));
    m_picture3->setToolTip(QString::fromUtf8(text::kMoveTip));
    m_取样图片 = MakeBox(m_picture3->client(), "取样图片", B::Sunken, Place(0, 0, 6150, 7650));
    m_取样图片->setAutoSize(true);
    m_取样图片->setToolTip(QString::fromUtf8(text::kReferenceTip));

    m_客体 = MakeBox(this, "客体", B::Sunken, Place(6480, 480, 6150, 7650));
    m_客体图片 = MakeBox(m_客体->client(), "客体图片", B::Sunken, Place(0, 0, 6150, 7650));
    m_客体图片->setAutoSize(true);
    m_客体图片->setToolTip(QString::fromUtf8(text::kTargetTip));

    m_hScroll2 = Make<QScrollBar>(this, "HScroll2", Place(120, 8160, 12495, 135));
    m_hScroll2->setOrientation(Qt::Horizontal);
    m_hScroll2->setRange(0, 32767);
    m_hScroll2->setSingleStep(1);
    m_hScroll2->setPageStep(1);
    m_hScroll2->setFocusPolicy(Qt::StrongFocus);
}

void MainForm::buildSwatches()
{
    m_picture1 = MakeBox(this, "Picture1", PictureBox::Border::Sunken, Place(12720, 720, 1000, 4800));
    // Created last to first, so a lower swatch lies over the one above it where they overlap.
    for (int i = 3; i >= 0; --i) {
        const QImage sample(QString::fromUtf8(kSwatches[i].resource));
        auto *swatch = MakeBox(m_picture1->client(), ("Picture2(" + std::to_string(i) + ")").c_str(),
                               PictureBox::Border::Flat,
                               QRect(0, Px(kSwatches[i].top), Px(960), sample.height() + 2));
        swatch->setAutoSize(true);
        swatch->setPicture(sample);
        swatch->setToolTip(QString::fromUtf8(text::kSwatchTip));
        m_picture2[i] = swatch;
    }
    for (PictureBox *swatch : m_picture2)
        swatch->raise();
}

// The command buttons, top to bottom, and the difference fields beside their heading.
void MainForm::buildToolColumn()
{
    m_校正工具 = MakeFrame(this, "校正工具", "校正工具", Place(12720, 5640, 1000, 3255));
    m_校正点 = MakeButton(m_校正工具, "校正点", "刷新", Place(30, 240, 900, 375));
    m_校正 = MakeButton(m_校正工具, "校正", "校正", Place(30, 615, 900, 375));
    m_保存 = MakeButton(m_校正工具, "保存", "保存", Place(30, 990, 900, 375));
    m_command1 = MakeButton(m_校正工具, "Command1", "帮助", Place(30, 1365, 900, 375));
    m_退出 = MakeButton(m_校正工具, "退出", "退出", Place(30, 1740, 900, 375));
    m_label2 = Make<StackedLabel>(m_校正工具, "Label2", Place(45, 2280, 375, 855));
    m_label2->setText(QStringLiteral("校正量"));
    addField(m_校正工具, Field::红, Place(360, 2160, 570, 315));
    addField(m_校正工具, Field::绿, Place(360, 2520, 570, 315));
    addField(m_校正工具, Field::蓝, Place(360, 2880, 570, 300));
}

// Each side's bar: its import button, its pointer-position field, its colour fields.
void MainForm::buildToolBars()
{
    // Red, green and blue stand left to right in both bars.
    const auto colourFields = [this](QWidget *bar, std::array<Field, 3> fields) {
        for (int i = 0; i < 3; ++i)
            addField(bar, fields[i], Place(3960 + 720 * i, 120, 600, 350));
    };
    m_客体工具栏 = MakeFrame(this, "客体工具栏", "校正工具栏", Place(6480, 8400, 6135, 495));
    m_导入客体 = MakeButton(m_客体工具栏, "导入客体", "导入将校正照片", Place(50, 200, 1575, 255));
    addField(m_客体工具栏, Field::Text2, Place(1800, 120, 2085, 345));
    colourFields(m_客体工具栏, {Field::客红, Field::客绿, Field::客蓝});

    m_主体工具栏 = MakeFrame(this, "主体工具栏", "标准照片栏", Place(120, 8400, 6135, 495));
    m_导入主体 = MakeButton(m_主体工具栏, "导入主体", "导入标准照片", Place(50, 200, 1335, 255));
    addField(m_主体工具栏, Field::Text1, Place(1680, 120, 2085, 335));
    colourFields(m_主体工具栏, {Field::主红, Field::主绿, Field::主蓝});
}

void MainForm::addField(QWidget *parent, Field f, QRect place)
{
    m_fields[size_t(f)] = Make<QLineEdit>(parent, kFieldNames[size_t(f)], place);
}

void MainForm::applyFonts()
{
    for (QLineEdit *field : m_fields)
        field->setFont(Typeface(Face::Song, 10.5));
    for (QPushButton *b : {m_校正点, m_校正, m_保存, m_command1, m_退出})
        b->setFont(Typeface(Face::Hei, 14.25));
    m_校正工具->setFont(Typeface(Face::Kai, 10.5));
    m_label1->setFont(Typeface(Face::Kai, 10.5, QFont::Bold));
    m_label2->setFont(Typeface(Face::Kai, 14.25, QFont::Bold));
    m_图片主体->setFont(Typeface(Face::Kai, 15, QFont::Bold));
    m_图片客体->setFont(Typeface(Face::Kai, 15, QFont::Bold));
}

void MainForm::applyColours()
{
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), cyan(0, 255, 255);
    const auto colour = [&](Field f, QColor background, QColor text) {
        SetColours(field(f), QPalette::Base, background, QPalette::Text, text);
    };
    for (Field f : {Field::主红, Field::客红, Field::红})
        colour(f, red, cyan);
    for (Field f : {Field::主绿, Field::客绿, Field::绿})
        colour(f, green, blue);
    for (Field f : {Field::主蓝, Field::客蓝, Field::蓝})
        colour(f, blue, cyan);
    for (Field f : {Field::Text1, Field::Text2})
        colour(f, QColor(192, 255, 255), red);
    // A frame's caption takes its WindowText colour, which the heading inside must not inherit.
    for (QGroupBox *frame : {m_主体工具栏, m_客体工具栏, m_校正工具})
        SetColours(frame, QPalette::Window, QColor(), QPalette::WindowText, red);
    SetColours(m_label2, QPalette::Window, QColor(), QPalette::WindowText, palette().color(QPalette::WindowText));
    SetColours(m_label1, QPalette::Window, QColor(), QPalette::WindowText, blue);
}

void MainForm::chainTabOrder()
{
    const QList<QWidget *> order{
        m_校正点, m_校正, m_退出, m_导入主体, m_导入客体, m_保存,
        field(Field::Text1), field(Field::Text2), m_客体, m_客体图片, m_hScroll2,
        field(Field::蓝), field(Field::绿), field(Field::红), m_picture1,
        m_picture2[0], m_picture2[1], m_picture2[2], m_picture2[3], m_picture3, m_取样图片,
        field(Field::主绿), field(Field::主蓝), field(Field::主红),
        field(Field::客蓝), field(Field::客绿), field(Field::客红), m_command1};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

} // namespace velmora
