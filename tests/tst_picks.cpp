// Velmora tests — picking the reference and target colours into the colour fields.
#include <QtTest>

#include "core/messages.h"
#include "core/picks.h"
#include "fakes/fake_form.h"
#include "fakes/fake_services.h"

using namespace velmora;

namespace {

void SetReference(fakes::Fields &f, const char *r, const char *g, const char *b)
{
    f.texts[Field::主红] = r;
    f.texts[Field::主绿] = g;
    f.texts[Field::主蓝] = b;
}

} // namespace

class TestPicks : public QObject {
    Q_OBJECT

private slots:
    void referencePickWritesChannelsInOrder_data();
    void referencePickWritesChannelsInOrder();
    void referencePickLeavesDifferences();
    void targetPickComputesDifferences();
    void targetPickRefusedWithoutReference_data();
    void targetPickRefusedWithoutReference();
    void targetPickRefusesNonNumericReference();
    void targetPickWithFractionalReference();
};

void TestPicks::referencePickWritesChannelsInOrder_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("skin") << (200 | 150 << 8 | 120 << 16) << QStringList{"200", "150", "120"};
    QTest::newRow("outside a picture") << -1 << QStringList{"-1", "-1", "255"};
}

void TestPicks::referencePickWritesChannelsInOrder()
{
    QFETCH(int, word);
    QFETCH(QStringList, texts);
    fakes::Fields f;
    PickReference(word, f);
    QCOMPARE(f.writes, (std::vector{Field::主红, Field::主绿, Field::主蓝}));
    QCOMPARE(QString::fromStdString(f.texts[Field::主红]), texts[0]);
    QCOMPARE(QString::fromStdString(f.texts[Field::主绿]), texts[1]);
    QCOMPARE(QString::fromStdString(f.texts[Field::主蓝]), texts[2]);
}

void TestPicks::referencePickLeavesDifferences()
{
    fakes::Fields f;
    f.texts[Field::红] = "80";
    f.texts[Field::客红] = "120";
    PickReference(0x102030, f);
    QCOMPARE(f.texts[Field::红], "80");
    QCOMPARE(f.texts[Field::客红], "120");
}

void TestPicks::targetPickComputesDifferences()
{
    fakes::Fields f;
    fakes::Messages m;
    SetReference(f, "200", "150", "120");
    Channels target;
    PickTarget(120 | 100 << 8 | 80 << 16, f, m, target);
    QVERIFY(m.shown.empty());
    QCOMPARE(f.writes, (std::vector{Field::客红, Field::客绿, Field::客蓝, Field::红, Field::绿, Field::蓝}));
    QCOMPARE(f.texts[Field::客红], "120");
    QCOMPARE(f.texts[Field::客绿], "100");
    QCOMPARE(f.texts[Field::客蓝], "80");
    QCOMPARE(f.texts[Field::红], "80");
    QCOMPARE(f.texts[Field::绿], "50");
    QCOMPARE(f.texts[Field::蓝], "40");
    QCOMPARE(target, (Channels{120, 100, 80}));
}

void TestPicks::targetPickRefusedWithoutReference_data()
{
    QTest::addColumn<QStringList>("reference");
    QTest::newRow("empty at start") << QStringList{"", "", ""};
    QTest::newRow("black reference") << QStringList{"0", "0", "0"};
    QTest::newRow("letters read as 0") << QStringList{"a", "", "0.0"};
}

void TestPicks::targetPickRefusedWithoutReference()
{
    QFETCH(QStringList, reference);
    fakes::Fields f;
    fakes::Messages m;
    SetReference(f, qPrintable(reference[0]), qPrintable(reference[1]), qPrintable(reference[2]));
    f.writes.clear();
    Channels target{1, 2, 3};
    PickTarget(0x405060, f, m, target);
    QCOMPARE(m.shown, (std::vector<fakes::Message>{{text::kNoReference, "提示"}}));
    QVERIFY(f.writes.empty());
    QCOMPARE(target, (Channels{1, 2, 3}));
}

// "12abc" passes the lenient test as 12 but is no number: refused before anything is written.
void TestPicks::targetPickRefusesNonNumericReference()
{
    fakes::Fields f;
    fakes::Messages m;
    SetReference(f, "12abc", "5", "5");
    f.texts[Field::客红] = "9";
    f.writes.clear();
    Channels target{1, 2, 3};
    PickTarget(0x405060, f, m, target);
    QCOMPARE(m.shown, (std::vector<fakes::Message>{{text::kReferenceNotNumber, "提示"}}));
    QVERIFY(f.writes.empty());
    QCOMPARE(f.texts[Field::客红], "9");
    QCOMPARE(target, (Channels{1, 2, 3}));
}

void TestPicks::targetPickWithFractionalReference()
{
    fakes::Fields f;
    fakes::Messages m;
    SetReference(f, "0.1", " 7 ", "1e2");
    Channels target;
    PickTarget(0 | 0 << 8 | 0 << 16, f, m, target);
    QCOMPARE(f.texts[Field::红], "0.1");
    QCOMPARE(f.texts[Field::绿], "7");
    QCOMPARE(f.texts[Field::蓝], "100");
    QCOMPARE(target, (Channels{0, 0, 0}));
}

QTEST_GUILESS_MAIN(TestPicks)
#include "tst_picks.moc"
