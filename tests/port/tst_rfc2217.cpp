#include "port/rfc2217.h"

#include <QTest>

using Event = Rfc2217Client::Event;
using Kind = Event::Kind;
using Command = Rfc2217Client::Command;

// The client against byte transcripts recorded from Debian's ser2net, serving a pseudo-terminal, and from
// pyserial's server over its loop device.
class TestRfc2217 : public QObject
{
    Q_OBJECT

    struct Outcome
    {
        QByteArray data;
        QByteArray replies;
        QList<Event> events;
        bool agreed = false;
        bool operator==(const Outcome &) const = default;
    };

    // What the client makes of the server's bytes, given in two pieces cut at any point.
    static Outcome feed(const QByteArray &server, qsizetype cut)
    {
        Rfc2217Client client;
        client.start();
        Outcome outcome;
        outcome.data = client.receive(server.first(cut));
        outcome.data += client.receive(server.sliced(cut));
        outcome.replies = client.takeReplies();
        outcome.events = client.takeEvents();
        outcome.agreed = client.comPortAgreed();
        return outcome;
    }

    static void checkEveryCut(const QByteArray &server)
    {
        const Outcome whole = feed(server, server.size());
        for (qsizetype cut = 0; cut < server.size(); ++cut)
            QVERIFY2(feed(server, cut) == whole, qPrintable(QStringLiteral("cut at %1").arg(cut)));
    }

    static QByteArray hex(const char *text) { return QByteArray::fromHex(text); }

private slots:
    void theOpeningIsTheOneOffered()
    {
        QCOMPARE(Rfc2217Client().start(), hex("fffb00fffd00fffb03fffd03fffb2c"));
    }

    void opening_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<QList<Event>>("events");
        // ser2net repeats DO SGA once our offer has crossed its own; a repeat goes unanswered.
        QTest::newRow("ser2net agrees, refused echo, tells the modem lines unasked")
            << hex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2cfffd03fffa2c6b00fff0") << QByteArray()
            << hex("fffe01") << QList<Event>{{Kind::ComPortAgreed}, {Kind::ModemState, {}, 0}};
        QTest::newRow("pyserial agrees, refused echo and its own com port option")
            << hex("fffb01fffb03fffd00fffb2cfffb00fffd03fffd2cfffa2c6bbbfff0") << QByteArray()
            << hex("fffe01fffe2c") << QList<Event>{{Kind::ComPortAgreed}, {Kind::ModemState, {}, 0xbb}};
        QTest::newRow("ser2net as plain telnet refuses")
            << hex("fffb03fffd03fffb01fffe01fffd00fffb00fffe2c") << QByteArray() << hex("fffe01")
            << QList<Event>{{Kind::ComPortRefused}};
        QTest::newRow("ser2net agrees with a second client, then turns it away in text")
            << hex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c506f727420616c726561647920696e207573650d0a")
            << QByteArray("Port already in use\r\n") << hex("fffe01") << QList<Event>{{Kind::ComPortAgreed}};
    }

    void opening()
    {
        QFETCH(QByteArray, server);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, replies);
        QFETCH(QList<Event>, events);
        const Outcome outcome = feed(server, server.size());
        QCOMPARE(outcome.data, data);
        QCOMPARE(outcome.replies, replies);
        QCOMPARE(outcome.events, events);
        QCOMPARE(outcome.agreed, events.first().kind == Kind::ComPortAgreed);
        checkEveryCut(server);
    }

    void answers_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<QList<Event>>("events");
        const auto row = [](const char *name, Command command, quint32 value, const char *sent,
                            const char *got, QList<Event> events) {
            QTest::newRow(name) << command << value << hex(sent) << hex(got) << events;
        };
        row("ser2net baud", Command::SetBaudRate, 115200, "fffa2c010001c200fff0", "fffa2c650001c200fff0",
            {{Kind::Answer, Command::SetBaudRate, 115200}});
        row("ser2net baud with 0xff bytes", Command::SetBaudRate, 0xff00ff, "fffa2c0100ffff00fffffff0",
            "fffa2c6500ffff00fffffff0", {{Kind::Answer, Command::SetBaudRate, 0xff00ff}});
        row("ser2net data size", Command::SetDataSize, 7, "fffa2c0207fff0", "fffa2c6607fff0",
            {{Kind::Answer, Command::SetDataSize, 7}});
        row("ser2net parity", Command::SetParity, Rfc2217Client::ParityEven, "fffa2c0303fff0",
            "fffa2c6703fff0", {{Kind::Answer, Command::SetParity, 3}});
        row("ser2net stop size", Command::SetStopSize, 2, "fffa2c0402fff0", "fffa2c6802fff0",
            {{Kind::Answer, Command::SetStopSize, 2}});
        row("ser2net leaves dtr on a pty unanswered", Command::SetControl, Rfc2217Client::DtrOn,
            "fffa2c0508fff0", "", {});
        row("ser2net answers a flow query", Command::SetControl, 0, "fffa2c0500fff0", "fffa2c6901fff0",
            {{Kind::Answer, Command::SetControl, 1}});
        row("ser2net answers a line state mask by notifying", Command::SetLineStateMask, 0xff,
            "fffa2c0afffffff0", "fffa2c6a00fff0", {{Kind::LineState, {}, 0}});
        row("ser2net purges", Command::PurgeData, 3, "fffa2c0c03fff0", "fffa2c7003fff0",
            {{Kind::Answer, Command::PurgeData, 3}});
        row("pyserial dtr off, then the modem lines it moved", Command::SetControl, Rfc2217Client::DtrOff,
            "fffa2c0509fff0", "fffa2c6909fff0fffa2c6b92fff0",
            {{Kind::Answer, Command::SetControl, 9}, {Kind::ModemState, {}, 0x92}});
        row("pyserial rts on", Command::SetControl, Rfc2217Client::RtsOn, "fffa2c050bfff0", "fffa2c690bfff0",
            {{Kind::Answer, Command::SetControl, 11}});
        row("pyserial notifies the modem state when asked", Command::NotifyModemState, 0, "fffa2c0700fff0",
            "fffa2c6b80fff0", {{Kind::ModemState, {}, 0x80}});
        row("pyserial leaves a suspend unanswered", Command::FlowControlSuspend, 0, "fffa2c08fff0", "", {});
    }

    void answers()
    {
        QFETCH(Command, command);
        QFETCH(quint32, value);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, got);
        QFETCH(QList<Event>, events);
        QCOMPARE(Rfc2217Client::request(command, value), sent);
        QCOMPARE(feed(got, got.size()), (Outcome{{}, {}, events, false}));
        checkEveryCut(got);
    }

    void deviceData_data()
    {
        QTest::addColumn<QByteArray>("got");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<Event>>("events");
        QTest::newRow("ser2net doubles a 0xff the pty peer wrote")
            << hex("61ffff62") << hex("61ff62") << QList<Event>();
        QTest::newRow("pyserial doubles a lone 0xff") << hex("ffff") << hex("ff") << QList<Event>();
        QTest::newRow("telnet commands among the data")
            << hex("61fff162fff6fff963") << QByteArray("abc") << QList<Event>();
        QTest::newRow("another option's subnegotiation")
            << hex("61fffa1801fffffff062") << QByteArray("ab") << QList<Event>();
        QTest::newRow("a subnegotiation cut short by a command")
            << hex("fffa2c6500fff17a") << QByteArray("z") << QList<Event>();
        // Cut to its first bytes, an overlong answer still reads as one.
        QTest::newRow("an overlong subnegotiation")
            << hex("fffa2c65") + QByteArray(1000, 'x') + hex("fff06f6b") << QByteArray("ok")
            << QList<Event>{{Kind::Answer, Command::SetBaudRate, 0x78787878}};
    }

    void deviceData()
    {
        QFETCH(QByteArray, got);
        QFETCH(QByteArray, data);
        QFETCH(QList<Event>, events);
        QCOMPARE(feed(got, got.size()), (Outcome{data, {}, events, false}));
        checkEveryCut(got);
    }
};

QTEST_GUILESS_MAIN(TestRfc2217)
#include "tst_rfc2217.moc"
