// Velmora tests — picking the reference and target colours into the colour fields.
#include <QtTest>

#include "core/picks.h"
#include "support/fake_form.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::Refusal)

namespace {

void SetReference(fakes::Fields &f, const char *r, const char *g, const char *b)
{
    f.texts[Field::ReferenceRed] = r;
    f.texts[Field::ReferenceGreen] = g;
    f.texts[Field::ReferenceBlue] = b;
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
    QCOMPARE(f.writes, (std::vector{Field::ReferenceRed, Field::ReferenceGreen, Field::ReferenceBlue}));
    QCOMPARE(QString::fromStdString(f.texts[Field::ReferenceRed]), texts[0]);
    QCOMPARE(QString::fromStdString(f.texts[Field::ReferenceGreen]), texts[1]);
    QCOMPARE(QString::fromStdString(f.texts[Field::ReferenceBlue]), texts[2]);
}

void TestPicks::referencePickLeavesDifferences()
{
    fakes::Fields f;
    f.texts[Field::DifferenceRed] = "80";
    f.texts[Field::TargetRed] = "120";
    PickReference(0x102030, f);
    QCOMPARE(f.texts[Field::DifferenceRed], "80");
    QCOMPARE(f.texts[Field::TargetRed], "120");
}

void TestPicks::targetPickComputesDifferences()
{
    fakes::Fields f;
    SetReference(f, "200", "150", "120");
    const auto pick = PickTarget(120 | 100 << 8 | 80 << 16, f);
    QVERIFY(std::holds_alternative<Channels>(pick));
    QCOMPARE(f.writes, (std::vector{Field::TargetRed, Field::TargetGreen, Field::TargetBlue, Field::DifferenceRed, Field::DifferenceGreen, Field::DifferenceBlue}));
    QCOMPARE(f.texts[Field::TargetRed], "120");
    QCOMPARE(f.texts[Field::TargetGreen], "100");
    QCOMPARE(f.texts[Field::TargetBlue], "80");
    QCOMPARE(f.texts[Field::DifferenceRed], "80");
    QCOMPARE(f.texts[Field::DifferenceGreen], "50");
    QCOMPARE(f.texts[Field::DifferenceBlue], "40");
    QCOMPARE(std::get<Channels>(pick), (Channels{120, 100, 80}));
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
    SetReference(f, qPrintable(reference[0]), qPrintable(reference[1]), qPrintable(reference[2]));
    f.writes.clear();
    const auto pick = PickTarget(0x405060, f);
    QVERIFY(std::holds_alternative<Refusal>(pick));
    QCOMPARE(std::get<Refusal>(pick), Refusal::NoReference);
    QVERIFY(f.writes.empty());
}

// "12abc" passes the lenient test as 12 but is no number: refused before anything is written.
void TestPicks::targetPickRefusesNonNumericReference()
{
    fakes::Fields f;
    SetReference(f, "12abc", "5", "5");
    f.texts[Field::TargetRed] = "9";
    f.writes.clear();
    const auto pick = PickTarget(0x405060, f);
    QVERIFY(std::holds_alternative<Refusal>(pick));
    QCOMPARE(std::get<Refusal>(pick), Refusal::ReferenceNotNumber);
    QVERIFY(f.writes.empty());
    QCOMPARE(f.texts[Field::TargetRed], "9");
}

void TestPicks::targetPickWithFractionalReference()
{
    fakes::Fields f;
    SetReference(f, "0.1", " 7 ", "1e2");
    const auto pick = PickTarget(0 | 0 << 8 | 0 << 16, f);
    QCOMPARE(f.texts[Field::DifferenceRed], "0.1");
    QCOMPARE(f.texts[Field::DifferenceGreen], "7");
    QCOMPARE(f.texts[Field::DifferenceBlue], "100");
    QCOMPARE(std::get<Channels>(pick), (Channels{0, 0, 0}));
}

QTEST_GUILESS_MAIN(TestPicks)
#include "tst_picks.moc"
