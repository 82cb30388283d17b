// Velmora tests — every glyph of a file name shows in messages and lists: the underscores and the
// descenders the window's Song face hangs below its too-short line. Each is checked against the same
// text drawn onto an open canvas, where nothing can cut it.
#include <QtTest>

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>

#include "picture/process_setup.h"
#include "ui/desktop/startup.h"
#include "ui/desktop/typefaces.h"

using namespace velmora;

namespace {

// The first and last rows holding ink (dark pixels) in `area` of `image`, or {-1, -1}.
std::pair<int, int> InkRows(const QImage &image, QRect area)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int first = -1, last = -1;
    area &= rgb.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(rgb.pixel(x, y)) < 160) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

// How many rows `text` covers with ink in `font`, drawn on a canvas with room all round.
int InkHeight(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    QImage canvas(metrics.horizontalAdvance(text) + 20, metrics.height() * 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(10, metrics.height() * 2), text);
    }
    const auto [first, last] = InkRows(canvas, canvas.rect());
    return first < 0 ? 0 : last - first + 1;
}

} // namespace

class TestUnderscores : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ConfigureProcess(); ConfigureApplication(); }
    void texts_data();
    void messageBox_data() { texts_data(); }
    void messageBox();
    void listEntry_data() { texts_data(); }
    void listEntry();
    void theFaceIsWhatCutThem();
};

void TestUnderscores::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("file name") << QStringLiteral("IMG_0001 gjpqy_");
    QTest::newRow("underscores alone") << QStringLiteral("__________");
    QTest::newRow("in a sentence") << QStringLiteral("无法打开图片“DSC_0042_final.jpg”：文件已损坏。");
}

// The label of a message, as the window's messages and questions show it.
void TestUnderscores::messageBox()
{
    QFETCH(QString, text);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Velmora"), text, QMessageBox::Ok);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label);
    const QImage shown = label->grab().toImage();
    const auto [first, last] = InkRows(shown, shown.rect());
    QVERIFY(first >= 0);
    QCOMPARE(last - first + 1, InkHeight(label->font(), text));
}

// A list entry, as the batch list and the file dialogs show a photo's name.
void TestUnderscores::listEntry()
{
    QFETCH(QString, text);
    QListWidget list;
    list.addItem(text);
    list.addItem(QStringLiteral("second"));
    list.resize(600, 120);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QRect entry = list.visualItemRect(list.item(0));
    const QImage shown = list.viewport()->grab(entry).toImage();
    const auto [first, last] = InkRows(shown, shown.rect());
    QVERIFY(first >= 0);
    QCOMPARE(last - first + 1, InkHeight(list.font(), text));
}

// The cause: the face's line is shorter than its ink. Should it ever stop being so, the room added
// here is none, and the tests above still hold.
void TestUnderscores::theFaceIsWhatCutThem()
{
    const QFont font = DefaultTypeface();
    const QFontMetrics metrics(font);
    const int below = InkBelowLine(font);
    QVERIFY(below >= 0);
    QImage canvas(200, metrics.height() * 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    const int baseline = metrics.height() * 2;
    {
        QPainter painter(&canvas);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(10, baseline), QStringLiteral("_"));
    }
    const auto [first, last] = InkRows(canvas, canvas.rect());
    QVERIFY(first >= 0);
    QVERIFY2(last <= baseline + metrics.descent() - 1 + below,
             qPrintable(QStringLiteral("ink to row %1, line ends at %2 + %3").arg(last - baseline).arg(metrics.descent() - 1).arg(below)));
}

QTEST_MAIN(TestUnderscores)
#include "tst_underscores.moc"
