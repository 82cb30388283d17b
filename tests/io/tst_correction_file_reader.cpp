// Velmora — a correction file read from disk: what every face reads, and what it refuses without
// waiting on it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/correction_file_reader.h"

using namespace velmora;

Q_DECLARE_METATYPE(velmora::CorrectionFileError)

namespace {

const QByteArray kGood = "[velmora correction]\nversion=1\ngains=0.5,0.25,-0.125\n";

// Makes `name` in `dir` as `kind` says; returns its path as the system's bytes.
std::string Make(const QTemporaryDir &dir, const QByteArray &name, const QString &kind, const QByteArray &bytes)
{
    const QByteArray path = QFile::encodeName(dir.path()) + "/" + name;
    if (kind == QLatin1String("fifo"))
        ::mkfifo(path.constData(), 0600);
    else if (kind == QLatin1String("folder"))
        ::mkdir(path.constData(), 0700);
    else if (kind == QLatin1String("file")) {
        // Through the system's own calls: a name that is not UTF-8 does not survive a QString.
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), std::size_t(bytes.size()));
            ::close(fd);
        }
    }
    return path.toStdString();
}

} // namespace

class TestCorrectionFileReader : public QObject {
    Q_OBJECT

private slots:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error"); // -1: read
        QTest::newRow("good") << QByteArray("shoot.velmora") << "file" << kGood << -1;
        QTest::newRow("name not UTF-8") << QByteArray("f\xE9te.velmora") << "file" << kGood << -1;
        QTest::newRow("missing") << QByteArray("none.velmora") << "none" << QByteArray() << int(CorrectionFileError::Unreadable);
        QTest::newRow("a folder") << QByteArray("dir.velmora") << "folder" << QByteArray() << int(CorrectionFileError::Unreadable);
        QTest::newRow("a FIFO, never waited on") << QByteArray("pipe.velmora") << "fifo" << QByteArray()
                                                 << int(CorrectionFileError::Unreadable);
        QTest::newRow("empty") << QByteArray("empty.velmora") << "file" << QByteArray() << int(CorrectionFileError::NotACorrection);
        QTest::newRow("far too long") << QByteArray("big.velmora") << "file" << kGood + QByteArray(1 << 20, '#')
                                      << int(CorrectionFileError::TooLong);
        QTest::newRow("repeated key") << QByteArray("twice.velmora") << "file" << kGood + "gains=1,1,1\n"
                                      << int(CorrectionFileError::RepeatedKey);
    }
    void reads()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        QTemporaryDir dir;
        const auto read = ReadCorrectionFile(Make(dir, name, kind, bytes));
        if (error < 0) {
            QVERIFY(std::holds_alternative<CorrectionRecord>(read));
            QCOMPARE(std::get<CorrectionRecord>(read).gains.blue, -0.125f);
        } else {
            QVERIFY(std::holds_alternative<CorrectionFileError>(read));
            QCOMPARE(int(std::get<CorrectionFileError>(read)), error);
        }
    }
};

QTEST_APPLESS_MAIN(TestCorrectionFileReader)
#include "tst_correction_file_reader.moc"
