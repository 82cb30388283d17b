// Velmora — the photo apart from the window: whether what it holds is saved, through passes, undo,
// redo, saves, reloads and a photo replaced while a pass ran.
#include <QImage>
#include <QTest>

#include "support/fake_form.h"
#include "ui/window/photo_document.h"

using namespace velmora;

class TestPhotoDocument : public QObject {
    Q_OBJECT

private slots:
    // Each step: load, pass, undo, redo, save (what it holds now is written), late (a pass that
    // started on the photo before the last load ends now).
    void unsaved_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("just loaded") << QStringList{"load"} << false;
        QTest::newRow("a pass") << QStringList{"load", "pass"} << true;
        QTest::newRow("undone") << QStringList{"load", "pass", "undo"} << false;
        QTest::newRow("undone, redone") << QStringList{"load", "pass", "undo", "redo"} << true;
        QTest::newRow("saved") << QStringList{"load", "pass", "save"} << false;
        QTest::newRow("saved, then undone") << QStringList{"load", "pass", "save", "undo"} << true;
        QTest::newRow("saved, undone, redone") << QStringList{"load", "pass", "save", "undo", "redo"} << false;
        // The same number of passes, but not the pixels that were saved.
        QTest::newRow("saved, undone, another pass") << QStringList{"load", "pass", "save", "undo", "pass"} << true;
        QTest::newRow("reloaded") << QStringList{"load", "pass", "load"} << false;
        QTest::newRow("replaced while the pass ran") << QStringList{"load", "pass", "load", "late"} << true;
        QTest::newRow("a save of the photo before") << QStringList{"load", "pass", "load", "pass", "save-old"} << true;
    }
    void unsaved()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, unsaved);
        QImage loaded(4, 2, QImage::Format_RGB32);
        loaded.fill(qRgb(120, 100, 80));
        fakes::Surface shown(4, 2, 0xFF786450u);
        PhotoDocument photo;
        CorrectionRecord record;
        record.gains = {0.25f, 0.0f, -0.125f};
        int generationBefore = 0;
        std::uint64_t oldState = 0;
        for (const QString &step : steps) {
            if (step == QLatin1String("load")) {
                generationBefore = photo.generation();
                oldState = photo.state();
                photo.load("photo.jpg", "bytes", loaded);
            } else if (step == QLatin1String("pass")) {
                photo.passCompleted(photo.generation(), record);
            } else if (step == QLatin1String("late")) {
                photo.passCompleted(generationBefore, record);
            } else if (step == QLatin1String("undo")) {
                photo.history().undo(shown);
            } else if (step == QLatin1String("redo")) {
                photo.history().redo(shown);
            } else if (step == QLatin1String("save")) {
                photo.saved(photo.state());
            } else if (step == QLatin1String("save-old")) {
                photo.saved(oldState);
            }
        }
        QCOMPARE(photo.unsaved(), unsaved);
    }

    // A pass that ended after its photo was replaced cannot be replayed, so nothing is undone.
    void aLatePassForgetsTheHistory()
    {
        QImage loaded(2, 2, QImage::Format_RGB32);
        loaded.fill(Qt::gray);
        PhotoDocument photo;
        photo.load("a.jpg", {}, loaded);
        const int first = photo.generation();
        photo.passCompleted(first, {});
        QVERIFY(photo.history().canUndo());
        photo.load("b.jpg", {}, loaded);
        photo.passCompleted(first, {});
        QVERIFY(!photo.history().canUndo());
        QVERIFY(photo.lastCorrection().has_value());
        QCOMPARE(photo.path(), std::string("b.jpg"));
    }
};

QTEST_APPLESS_MAIN(TestPhotoDocument)
#include "tst_photo_document.moc"
