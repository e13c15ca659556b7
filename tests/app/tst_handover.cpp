// The hand-over message between two starts: names come through exactly, and anything that is not
// a whole, well-formed message is turned away without waiting or allocating for it.
#include "handover.h"

#include <QtEndian>
#include <QtTest>

namespace {
QByteArray header(char version, quint32 uLength)
{
    QByteArray bytes("VMAF");
    bytes += version;
    char length[4];
    qToBigEndian(uLength, length);
    return bytes + QByteArray(length, 4);
}

QByteArray message(const QByteArray &payload)
{
    return header(1, quint32(payload.size())) + payload;
}
} // namespace

class TstHandOver : public QObject
{
    Q_OBJECT
private slots:
    void namesComeThroughUnchanged_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("one") << QStringList{"/home/u/a.jpg"};
        QTest::newRow("spaces and percent signs")
            << QStringList{"/tmp/my photos/day 1.jpg", "/tmp/%1 %2 100%.png", "/tmp/%s%n.jpg"};
        QTest::newRow("non-ASCII") << QStringList{"/tmp/假期/照片 一.jpg", "/tmp/фото/ñandú 😀.png"};
        QTest::newRow("newlines and tabs")
            << QStringList{"/tmp/two\nlines.jpg", "/tmp/\n", "/tmp/tab\there.png"};
        QTest::newRow("album and pictures")
            << QStringList{"/a/b.vmalbum", "/a/b.vmalbum", "/a/c.JPG"};
    }
    void namesComeThroughUnchanged()
    {
        QFETCH(QStringList, files);
        const QByteArray bytes = HandOver::encode(files);
        QStringList read;
        QCOMPARE(HandOver::decode(bytes, &read), HandOver::Status::Complete);
        QCOMPARE(read, files);
        // Arriving in pieces: every part short of the whole is worth waiting for.
        for (int i = 0; i < bytes.size(); ++i)
            QCOMPARE(HandOver::decode(bytes.left(i), &read), HandOver::Status::Incomplete);
    }

    void nothingToSendIsNoMessage()
    {
        QVERIFY(HandOver::encode(QStringList()).isEmpty());
        // Too long for one message: not sent at all rather than cut. Each name here takes 1 MiB
        // with its NUL, so 16 fill a message exactly.
        const QString szLong = QStringLiteral("/") + QString(1024 * 1024 - 2, QLatin1Char('x'));
        QStringList files;
        for (int i = 0; i < 17; ++i)
            files << szLong;
        QVERIFY(HandOver::encode(files).isEmpty());
        files.removeLast();
        const QByteArray full = HandOver::encode(files);
        QCOMPARE(full.size(), HandOver::kHeaderBytes + HandOver::kMaxPayloadBytes);
        QStringList read;
        QCOMPARE(HandOver::decode(full, &read), HandOver::Status::Complete);
        QCOMPARE(read, files);
    }

    void strangersAreTurnedAway_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("another protocol, first byte") << QByteArray("G");
        QTest::newRow("another protocol") << QByteArray("GET / HTTP/1.0\r\n\r\n");
        QTest::newRow("magic's case") << QByteArray("vmaf");
        QTest::newRow("newer version") << header(2, 4) + QByteArray("/a\0\0", 4);
        QTest::newRow("empty payload") << header(1, 0);
        QTest::newRow("claims more than the limit")
            << header(1, quint32(HandOver::kMaxPayloadBytes) + 1);
        QTest::newRow("claims 4 GiB") << header(1, 0xffffffffu);
        QTest::newRow("bytes after the message") << message(QByteArray("/a\0", 3)) + 'x';
        QTest::newRow("last name unterminated") << message(QByteArray("/a\0/b", 5));
        QTest::newRow("empty name") << message(QByteArray("/a\0\0", 4));
        QTest::newRow("relative name") << message(QByteArray("a.jpg\0", 6));
        QTest::newRow("not UTF-8") << message(QByteArray("/caf\xe9.jpg\0", 10));
        QTest::newRow("overlong UTF-8") << message(QByteArray("/a\xc0\xaf"
                                                              "b\0",
                                                              6));
    }
    void strangersAreTurnedAway()
    {
        QFETCH(QByteArray, bytes);
        QStringList read{QStringLiteral("left over")};
        QCOMPARE(HandOver::decode(bytes, &read), HandOver::Status::Invalid);
        QVERIFY(read.isEmpty());
    }

    void theLimitItselfIsAccepted()
    {
        // A header that claims the longest payload is waited for, not refused.
        QStringList read;
        QCOMPARE(HandOver::decode(header(1, quint32(HandOver::kMaxPayloadBytes)), &read),
                 HandOver::Status::Incomplete);
    }
};

QTEST_GUILESS_MAIN(TstHandOver)
#include "tst_handover.moc"
