// Velmora tests — the XMP a corrected JPEG keeps: claims on a gain map, on other pictures of a
// container and (unless its video goes along) on a motion photo's video are gone, and the packet is
// still well-formed XML. Checked with Qt's XML reader, namespaces resolved, not with our scanner.
#include <QtTest>

#include <QXmlStreamReader>

#include "io/jpeg_containers.h"

using namespace velmora;

namespace {

const QString kGainMapNs = QStringLiteral("http://ns.adobe.com/hdr-gain-map/1.0/");
const QString kItemNs = QStringLiteral("http://ns.google.com/photos/1.0/container/item/");
const QString kCameraNs = QStringLiteral("http://ns.google.com/photos/1.0/camera/");
const QString kContainerNs = QStringLiteral("http://ns.google.com/photos/1.0/container/");

struct Seen {
    bool wellFormed = false;
    bool gainMap = false;        // any element or attribute in the hdrgm namespace
    bool directory = false;      // a Container:Directory element
    QStringList semantics;       // Item:Semantic of each directory item, in order
    QStringList cameraNames;     // GCamera properties
    QStringList paddings;        // Item:Padding values
    bool creator = false;        // the unrelated dc:creator survived
};

Seen Read(const QByteArray &xmp)
{
    Seen seen;
    QXmlStreamReader reader(xmp);
    reader.setNamespaceProcessing(true);
    QString text;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QString ns = reader.namespaceUri().toString(), name = reader.name().toString();
            seen.gainMap |= ns == kGainMapNs;
            seen.directory |= ns == kContainerNs && name == QLatin1String("Directory");
            seen.creator |= name == QLatin1String("creator");
            if (ns == kCameraNs)
                seen.cameraNames << name;
            if (ns == kItemNs && name == QLatin1String("Semantic"))
                seen.semantics << reader.readElementText();
            for (const QXmlStreamAttribute &a : reader.attributes()) {
                const QString ans = a.namespaceUri().toString(), aname = a.name().toString();
                seen.gainMap |= ans == kGainMapNs;
                if (ans == kCameraNs)
                    seen.cameraNames << aname;
                if (ans == kItemNs && aname == QLatin1String("Semantic"))
                    seen.semantics << a.value().toString();
                if (ans == kItemNs && aname == QLatin1String("Padding"))
                    seen.paddings << a.value().toString();
            }
        }
    }
    seen.wellFormed = !reader.hasError();
    return seen;
}

// A packet as phones write them: attributes, or (`elements`) the same properties as elements, with
// the prefixes `g` (gain map) and `c` (container) the writer chose.
QByteArray Packet(bool elements, const QString &g = QStringLiteral("hdrgm"), const QString &c = QStringLiteral("Container"),
                  bool gainMap = true, bool video = true)
{
    QString props, items;
    const QString item = elements ? QStringLiteral("<rdf:li rdf:parseType=\"Resource\"><%1:Item rdf:parseType=\"Resource\">"
                                                   "<Item:Semantic>%2</Item:Semantic><Item:Mime>%3</Item:Mime>%4</%1:Item></rdf:li>\n")
                                  : QStringLiteral("<rdf:li rdf:parseType=\"Resource\"><%1:Item Item:Semantic=\"%2\" Item:Mime=\"%3\" %4/></rdf:li>\n");
    const QString length = elements ? QStringLiteral("<Item:Length>%1</Item:Length>") : QStringLiteral("Item:Length=\"%1\"");
    const QString padding = elements ? QStringLiteral("<Item:Padding>8</Item:Padding>") : QStringLiteral("Item:Padding=\"8\"");
    items += item.arg(c, QStringLiteral("Primary"), QStringLiteral("image/jpeg"), padding);
    if (gainMap)
        items += item.arg(c, QStringLiteral("GainMap"), QStringLiteral("image/jpeg"), length.arg(700));
    if (video)
        items += item.arg(c, QStringLiteral("MotionPhoto"), QStringLiteral("video/mp4"), length.arg(5000));
    QString attributes;
    if (elements) {
        if (gainMap)
            props += QStringLiteral("<%1:Version>1.0</%1:Version>\n").arg(g);
        if (video)
            props += QStringLiteral("<GCamera:MotionPhoto>1</GCamera:MotionPhoto>\n<GCamera:MicroVideoOffset>5000</GCamera:MicroVideoOffset>\n");
    } else {
        if (gainMap)
            attributes += QStringLiteral(" %1:Version=\"1.0\"").arg(g);
        if (video)
            attributes += QStringLiteral(" GCamera:MotionPhoto=\"1\" GCamera:MicroVideoOffset=\"5000\"");
    }
    return QStringLiteral(
               "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
               "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
               "<rdf:Description rdf:about=\"\" xmlns:%1=\"http://ns.adobe.com/hdr-gain-map/1.0/\"\n"
               "  xmlns:%2=\"http://ns.google.com/photos/1.0/container/\" xmlns:Item=\"http://ns.google.com/photos/1.0/container/item/\"\n"
               "  xmlns:GCamera=\"http://ns.google.com/photos/1.0/camera/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"%3>\n"
               "%4<dc:creator><rdf:Seq><rdf:li>Tester</rdf:li></rdf:Seq></dc:creator>\n"
               "<%2:Directory><rdf:Seq>\n%5</rdf:Seq></%2:Directory>\n"
               "</rdf:Description></rdf:RDF></x:xmpmeta>\n<?xpacket end=\"w\"?>")
        .arg(g, c, attributes, props, items)
        .toUtf8();
}

} // namespace

class TestJpegContainers : public QObject {
    Q_OBJECT
private slots:
    void claimsDropped_data();
    void claimsDropped();
    void videoLength_data();
    void videoLength();
    void videoProbe();
};

void TestJpegContainers::claimsDropped_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<bool>("keepVideo");
    QTest::addColumn<QStringList>("semantics");
    QTest::addColumn<bool>("camera");
    const QStringList primaryAndVideo{QStringLiteral("Primary"), QStringLiteral("MotionPhoto")};
    for (bool elements : {false, true}) {
        const char *form = elements ? "elements" : "attributes";
        QTest::addRow("%s, video kept", form) << Packet(elements) << true << primaryAndVideo << true;
        QTest::addRow("%s, video dropped", form) << Packet(elements) << false << QStringList() << false;
        QTest::addRow("%s, own prefixes", form)
            << Packet(elements, QStringLiteral("hg"), QStringLiteral("GContainer")) << true << primaryAndVideo << true;
        QTest::addRow("%s, gain map only", form) << Packet(elements, QStringLiteral("hdrgm"), QStringLiteral("Container"), true, false)
                                                 << true << QStringList() << false;
    }
}

// The gain map's properties and item go, the video's stay only when kept, a directory with nothing
// but the primary picture goes, the primary item loses its padding, and the rest is untouched.
void TestJpegContainers::claimsDropped()
{
    QFETCH(QByteArray, packet);
    QFETCH(bool, keepVideo);
    QFETCH(QStringList, semantics);
    QFETCH(bool, camera);
    const Seen before = Read(packet);
    QVERIFY(before.wellFormed && before.directory && before.semantics.size() >= 2 && before.paddings.size() <= 1);
    QVERIFY(before.gainMap == packet.contains("GainMap"));
    const std::string kept = WithoutStaleClaims(std::string_view(packet.constData(), packet.size()), keepVideo);
    const Seen seen = Read(QByteArray::fromStdString(kept));
    QVERIFY2(seen.wellFormed, kept.c_str());
    QVERIFY2(!seen.gainMap, kept.c_str());
    QCOMPARE(seen.semantics, semantics);
    QCOMPARE(seen.directory, !semantics.isEmpty());
    QCOMPARE(!seen.cameraNames.isEmpty(), camera);
    QVERIFY(seen.paddings.isEmpty());
    QVERIFY(seen.creator);
    QVERIFY(kept.find("<?xpacket end=\"w\"?>") != std::string::npos);
}

void TestJpegContainers::videoLength_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<qint64>("length");
    QTest::newRow("directory, attributes") << Packet(false) << qint64(5000);
    QTest::newRow("directory, elements") << Packet(true) << qint64(5000);
    QTest::newRow("no video") << Packet(false, QStringLiteral("hdrgm"), QStringLiteral("Container"), true, false) << qint64(0);
    QTest::newRow("offset only")
        << QByteArray("<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
                      "<rdf:Description xmlns:GCamera=\"http://ns.google.com/photos/1.0/camera/\" GCamera:MicroVideo=\"1\" "
                      "GCamera:MicroVideoOffset=\"1234\"/></rdf:RDF></x:xmpmeta>")
        << qint64(1234);
    QTest::newRow("not a number")
        << QByteArray("<rdf:Description xmlns:GCamera=\"http://ns.google.com/photos/1.0/camera/\" GCamera:MicroVideoOffset=\"-5\"/>")
        << qint64(0);
    QTest::newRow("cut short") << Packet(false).left(300) << qint64(0);
}

void TestJpegContainers::videoLength()
{
    QFETCH(QByteArray, packet);
    QFETCH(qint64, length);
    QCOMPARE(qint64(MotionVideoLength(std::string_view(packet.constData(), packet.size())).value_or(0)), length);
}

void TestJpegContainers::videoProbe()
{
    const unsigned char mp4[] = {0, 0, 0, 0x18, 'f', 't', 'y', 'p', 'm', 'p', '4', '2'};
    const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 1};
    QVERIFY(LooksLikeVideo(mp4, sizeof mp4));
    QVERIFY(!LooksLikeVideo(jpeg, sizeof jpeg));
    QVERIFY(!LooksLikeVideo(mp4, 7));
}

QTEST_GUILESS_MAIN(TestJpegContainers)
#include "tst_jpeg_containers.moc"
