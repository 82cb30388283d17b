// Velmora tests — the window as drawn: every pixel of a loaded picture on screen inside the classic
// sunken panels, and the tool frames' lines clear of their controls.
#include <QtTest>

#include <QFile>
#include <QtEndian>

#include "core/colour_word.h"
#include "support/image_compare.h"
#include "support/window_rig.h"
#include "picture/process_setup.h"
#include "ui/desktop/startup.h"

using namespace velmora;

namespace {

// The colours a picture's file holds, distinct from each other and from the bevel greys: the last
// column and row stand out, so a frame drawn over them shows.
QRgb FileColour(int x, int y, QSize size)
{
    const bool lastColumn = x == size.width() - 1, lastRow = y == size.height() - 1;
    if (lastColumn && lastRow)
        return qRgb(255, 0, 255);
    if (lastColumn)
        return qRgb(255, 255, 0);
    if (lastRow)
        return qRgb(0, 255, 255);
    return qRgb(x * 7 % 200, y * 5 % 200, (x + y) % 150 + 50);
}

// A 24-bit bottom-up bitmap built byte by byte.
QByteArray BitmapBytes(QSize size)
{
    const int rowBytes = (size.width() * 3 + 3) & ~3;
    QByteArray bytes(54 + rowBytes * size.height(), '\0');
    uchar *d = reinterpret_cast<uchar *>(bytes.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(bytes.size(), d + 2);
    qToLittleEndian<quint32>(54, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(size.width(), d + 18);
    qToLittleEndian<qint32>(size.height(), d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(24, d + 28);
    qToLittleEndian<quint32>(rowBytes * size.height(), d + 34);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            uchar *p = d + 54 + (size.height() - 1 - y) * rowBytes + x * 3;
            const QRgb c = FileColour(x, y, size);
            p[0] = uchar(qBlue(c));
            p[1] = uchar(qGreen(c));
            p[2] = uchar(qRed(c));
        }
    return bytes;
}

// The file's pixel read straight from its bytes, not through any image reader.
QRgb PixelInFile(const QByteArray &bytes, int x, int y)
{
    const auto *d = reinterpret_cast<const uchar *>(bytes.constData());
    const int width = qFromLittleEndian<qint32>(d + 18);
    const int height = qFromLittleEndian<qint32>(d + 22);
    const int rowBytes = (width * 3 + 3) & ~3;
    const uchar *p = d + qFromLittleEndian<quint32>(d + 10) + (height - 1 - y) * rowBytes + x * 3;
    return qRgb(p[2], p[1], p[0]);
}

// The classic sunken panel on a w × h box: its outermost pixels dark grey at top and left, white
// at right and bottom; the next ring in dark at top and left, light grey at right and bottom.
// Nothing for pixels further in.
std::optional<QRgb> SunkenPanelColour(QPoint p, QSize size)
{
    const int ring = std::min({p.x(), p.y(), size.width() - 1 - p.x(), size.height() - 1 - p.y()});
    if (ring > 1)
        return std::nullopt;
    const bool farSide = p.x() == size.width() - 1 - ring || p.y() == size.height() - 1 - ring;
    if (ring == 0)
        return farSide ? qRgb(255, 255, 255) : qRgb(128, 128, 128);
    return farSide ? qRgb(212, 208, 200) : qRgb(64, 64, 64);
}

QString Where(const char *what, QPoint p, QRgb shown, QRgb expected)
{
    return QStringLiteral("%1 (%2, %3): shown %4, expected %5")
        .arg(QString::fromUtf8(what)).arg(p.x()).arg(p.y())
        .arg(QColor(shown).name(), QColor(expected).name());
}

} // namespace

class TestWindowDrawing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void pictureShownWhole_data();
    void pictureShownWhole();
    void framesClearOfControls_data();
    void framesClearOfControls();
    void emptyDrawingAreaReadAndShown();
    void builtInBitmapsAsTheirFilesHoldThem();
};

void TestWindowDrawing::pictureShownWhole_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("whole"); // whether the import places all of it inside the area
    for (const auto &[button, area, box] : {std::tuple{"导入客体", "客体", "客体图片"},
                                            std::tuple{"导入主体", "Picture3", "取样图片"}}) {
        const auto row = [&](const char *name, QSize size, bool whole) {
            QTest::addRow("%s %s", box, name) << QString::fromUtf8(button) << QString::fromUtf8(area)
                                              << QString::fromUtf8(box) << size << whole;
        };
        row("smaller, with its own panel in view", {301, 201}, true);
        row("one pixel", {1, 1}, true);
        // Centred on the area's outer size, so it stands 2 pixels right and down: what shows must
        // still be the file's pixels.
        row("the area's size", {406, 506}, false);
    }
}

// Every pixel of the picture is on screen as the file has it, its last column and row included,
// and both panels, the area's and the picture's own where it shows, are exactly where they belong.
void TestWindowDrawing::pictureShownWhole()
{
    QFETCH(QString, button);
    QFETCH(QString, area);
    QFETCH(QString, box);
    QFETCH(QSize, size);
    QFETCH(bool, whole);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.bmp"));
    const QByteArray bytes = BitmapBytes(size);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    w.picker.answers.push_back(path.toStdString());
    w.button(button.toUtf8().constData())->click();
    QVERIFY(w.messages.shown.empty());

    const QImage shot = w.form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    PictureBox *areaBox = w.box(area.toUtf8().constData());
    PictureBox *picture = w.box(box.toUtf8().constData());
    const QRect areaRect = areaBox->geometry();
    QCOMPARE(areaRect.size(), QSize(410, 510));
    const QRect areaInside = areaRect.adjusted(2, 2, -2, -2);

    for (int y = 0; y < areaRect.height(); ++y)
        for (int x = 0; x < areaRect.width(); ++x)
            if (const auto bevel = SunkenPanelColour({x, y}, areaRect.size())) {
                const QRgb shown = shot.pixel(areaRect.topLeft() + QPoint(x, y));
                if (shown != *bevel)
                    QFAIL(qPrintable(Where("area's panel", {x, y}, shown, *bevel)));
            }

    const QPoint boxOrigin = picture->mapTo(&w.form, QPoint(0, 0));
    const QSize boxSize = size + QSize(4, 4);
    QCOMPARE(picture->size(), boxSize);
    int picturePixelsShown = 0;
    for (int y = 0; y < boxSize.height(); ++y)
        for (int x = 0; x < boxSize.width(); ++x) {
            const QPoint at = boxOrigin + QPoint(x, y);
            if (!areaInside.contains(at))
                continue;
            const QRgb shown = shot.pixel(at);
            if (const auto bevel = SunkenPanelColour({x, y}, boxSize)) {
                if (shown != *bevel)
                    QFAIL(qPrintable(Where("picture's panel", {x, y}, shown, *bevel)));
                continue;
            }
            const QPoint p(x - 2, y - 2);
            const QRgb inFile = PixelInFile(bytes, p.x(), p.y());
            if (shown != inFile)
                QFAIL(qPrintable(Where("picture", p, shown, inFile)));
            ++picturePixelsShown;
        }
    if (whole)
        QCOMPARE(picturePixelsShown, size.width() * size.height());
    else
        QVERIFY(picturePixelsShown > 0);
}

// Before any picture the photo's drawing area is the box's background: shown so, read so by the
// pointer, and rewritten by a pass like any picture, with what the pass wrote on screen.
void TestWindowDrawing::emptyDrawingAreaReadAndShown()
{
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    PictureBox *picture = w.box("客体图片");
    const QSize area(picture->width() - 4, picture->height() - 4);
    QCOMPARE(QSize(picture->drawingWidth(), picture->drawingHeight()), area);
    const QRgb background = picture->palette().color(QPalette::Window).rgb();
    const QPoint corners[] = {{0, 0}, {area.width() - 1, 0}, {0, area.height() - 1}, {area.width() - 1, area.height() - 1}};
    for (const QPoint p : corners)
        QCOMPARE(PixelFromColourWord(picture->colourAt(p.x(), p.y())), background);
    QCOMPARE(picture->colourAt(area.width(), 0), -1);
    QCOMPARE(picture->colourAt(0, area.height()), -1);

    const auto shownInside = [&] {
        const QImage shot = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return shot.copy(QRect(QPoint(2, 2), area));
    };
    QImage shown = shownInside();
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (shown.pixel(x, y) != background)
                QFAIL(qPrintable(Where("blank area", {x, y}, shown.pixel(x, y), background)));

    w.field("红")->setText(QStringLiteral("60"));
    w.field("绿")->setText(QStringLiteral("-10")); // a gain above -1, which would blacken the channel
    w.field("蓝")->setText(QStringLiteral("20"));
    w.button("校正")->click();
    shown = shownInside();
    const QRgb written = PixelFromColourWord(picture->colourAt(area.width() / 2, area.height() / 2));
    QVERIFY(written != background);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const QRgb read = PixelFromColourWord(picture->colourAt(x, y));
            if (shown.pixel(x, y) != read || read != written)
                QFAIL(qPrintable(Where("corrected blank area", {x, y}, shown.pixel(x, y), read)));
        }
}

// The swatches and the icon are decoded by the program's own bitmap reader at start-up; Qt's reader,
// a decoder of its own, must find the same pixels in the same resources.
void TestWindowDrawing::builtInBitmapsAsTheirFilesHoldThem()
{
    fakes::WindowRig w;
    for (int i = 0; i < 4; ++i) {
        const QString resource = QStringLiteral(":/swatches/skin_%1.bmp").arg(i);
        const QImage byQt = QImage(resource).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!byQt.isNull());
        const QImage shown = w.box(qPrintable(QStringLiteral("Picture2(%1)").arg(i)))->image();
        QCOMPARE(shown.size(), byQt.size());
        const QString difference = fakes::FirstDifference(shown, byQt, 0);
        QVERIFY2(difference.isEmpty(), qPrintable(resource + ": " + difference));
    }
    const QImage icon = w.form.windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage iconByQt = QImage(QStringLiteral(":/icon/velmora.bmp")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(icon.size(), iconByQt.size());
    QVERIFY2(fakes::FirstDifference(icon, iconByQt, 0).isEmpty(), "the window's icon");
}

void TestWindowDrawing::framesClearOfControls_data()
{
    QTest::addColumn<QString>("frame");
    for (const char *frame : {"主体工具栏", "客体工具栏", "校正工具"})
        QTest::newRow(frame) << QString::fromUtf8(frame);
}

// The frame drawn on its own, without its controls: where each control stands, nothing of the
// frame shows, so no line runs under (or through) a control.
void TestWindowDrawing::framesClearOfControls()
{
    QFETCH(QString, frame);
    fakes::WindowRig w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QWidget *f = w.get(frame.toUtf8().constData());
    QImage alone(f->size(), QImage::Format_RGB32);
    alone.fill(Qt::black);
    f->render(&alone, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const QRgb background = f->palette().color(QPalette::Window).rgb();

    int lineRows = 0;
    for (int y = 0; y < alone.height(); ++y)
        lineRows += alone.pixel(alone.width() / 2, y) != background;
    QVERIFY2(lineRows >= 2, "the frame has its lines");

    const QList<QWidget *> controls = f->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QVERIFY(!controls.isEmpty());
    for (QWidget *control : controls) {
        const QRect r = control->geometry().intersected(alone.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (alone.pixel(x, y) != background)
                    QFAIL(qPrintable(QStringLiteral("%1 crossed at (%2, %3) by %4")
                                         .arg(control->objectName()).arg(x).arg(y)
                                         .arg(QColor(alone.pixel(x, y)).name())));
    }
}

QTEST_MAIN(TestWindowDrawing)
#include "tst_window_drawing.moc"
