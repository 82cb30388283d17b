// Velmora tests — the flush that runs beside the writing: a failure it meets is kept for the
// final report, since the system tells a write-back failure to one flush only.
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "io/background_flush.h"

using namespace velmora;

class TestBackgroundFlush : public QObject {
    Q_OBJECT

private slots:
    void failureIsKept_data();
    void failureIsKept();
    void finishWithoutNudgeAndNudgeAfterFinish();
};

void TestBackgroundFlush::failureIsKept_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<int>("nudges");
    QTest::newRow("a file, flushed once") << false << 1;
    QTest::newRow("a file, flushed while nudged again") << false << 50;
    QTest::newRow("a pipe cannot be flushed") << true << 1;
    QTest::newRow("a pipe, nudged again and again") << true << 50;
}

void TestBackgroundFlush::failureIsKept()
{
    QFETCH(bool, pipe);
    QFETCH(int, nudges);
    QTemporaryDir dir;
    int fds[2] = {-1, -1};
    int fd;
    if (pipe) {
        QCOMPARE(::pipe(fds), 0);
        fd = fds[1];
    } else {
        fd = ::open(QFile::encodeName(dir.filePath("f")).constData(), O_RDWR | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "bytes", 5), ssize_t(5));
    }
    {
        BackgroundFlush flush(fd);
        for (int i = 0; i < nudges; ++i)
            flush.nudge();
        flush.finish();
        QCOMPARE(flush.failed(), pipe);
    }
    ::close(fd);
    if (pipe)
        ::close(fds[0]);
}

void TestBackgroundFlush::finishWithoutNudgeAndNudgeAfterFinish()
{
    BackgroundFlush idle(-1);
    idle.finish();
    QVERIFY(!idle.failed());
    idle.nudge(); // starts nothing: a bad descriptor would fail
    idle.finish();
    QVERIFY(!idle.failed());
}

QTEST_GUILESS_MAIN(TestBackgroundFlush)
#include "tst_background_flush.moc"
