// The bytes of the line as packets: the receiver's framing and bounds, the S packet's check and its
// states. (The commands' bytes are checked on the line: tst_link.)

#include "link/packet_protocol.h"
#include "support/rows.h"

#include <QtTest>

using namespace tarvik;
using tarvik::test::radek;
using namespace Qt::StringLiterals;
using L = QByteArrayList;

class tst_packet_protocol : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The pieces are queued in turn; an empty piece takes the packets waiting, as the end does.
    void prijem_data() {
        test::sloupce<L, L>({"kusy", "pakety"});
        const QByteArray a1023(1023, 'a');
        radek("noise before, a packet split", L{"ab\x01\r", "XR0", "05=1\r", "\n"},
              L{"XR005=1\r\n"});
        radek("lone line feed, lower-case x, X inside", L{"xR\nXSX1\n"}, L{"", "XSX1\n"});
        radek("1,024 bytes and the line feed: whole", L{"X" + a1023 + "\n"}, L{"X" + a1023 + "\n"});
        radek("one byte more: cut, the rest of its line dropped", L{"X" + a1023 + "a", "b\nXA\n"},
              L{"X" + a1023 + "\n", "XA\n"});
        radek("an overlong line's rest dropped up to the next X", L{"X" + a1023 + "bbXR\n"},
              L{"X" + a1023 + "\n", "XR\n"});
        // 64 KiB wait: a byte more is dropped, and the packet it would have ended is abandoned.
        radek("queue full", L{QByteArray(65530, 'b') + "XR005", "=1\r\n", "", "1\r\nXS\n"},
              L{"", "XS\n"});
    }

    void prijem() {
        const auto [kusy, pakety] = test::hodnoty<L, L>();
        prijimac p;
        L prijate;
        for (const QByteArray& kus : kusy + L{""}) {
            p.pridej(kus);
            while (kus.isEmpty() && p.cekajici_bajty() > 0)
                if (const auto paket = p.dalsi_paket())
                    prijate << *paket;
        }
        QCOMPARE(prijate, pakety);
    }

    // The type is the second byte; an S packet is 132 bytes of which the 128 states are '0' or
    // '1', contactor k at byte k + 3.
    void pakety_data() {
        test::sloupce<QByteArray, char, QString>({"paket", "typ", "zapnute"});
        const QByteArray nuly(126, '0');
        radek("contactors 0 and 127 on", "XS1" + nuly + "1\r\n", 'S', "0,127");
        radek("131 bytes", "XS" + nuly + "1\r\n", 'S', "-");
        radek("133 bytes", "XS" + nuly + "111\r\n", 'S', "-");
        radek("'2' for contactor 127", "XS0" + nuly + "2\r\n", 'S', "-");
        radek("'2' for contactor 0", "XS2" + nuly + "0\r\n", 'S', "-");
        radek("acknowledgement", "XR005=1\r\n"_ba, 'R', "-");
    }

    void pakety() {
        const auto [paket, druh, zapnute] = test::hodnoty<QByteArray, char, QString>();
        const typ_paketu t = typ(paket);
        QCOMPARE(t == typ_paketu::r ? 'R' : t == typ_paketu::s ? 'S' : '?', druh);
        QStringList on;
        const stavy_stykacu stavy = stavy_z_s_paketu(paket);
        for (int k = 0; k < 128; ++k)
            if (stavy[k])
                on << QString::number(k);
        QCOMPARE(zkontroluj_s_paket(paket) ? on.join(u',') : u"-"_s, zapnute);
    }
};

QTEST_GUILESS_MAIN(tst_packet_protocol)
#include "tst_packet_protocol.moc"
