#include "link/packet_protocol.h"

#include <QTest>

using namespace tarvik;

namespace {

QByteArray s_paket(const QByteArray& stavy) {
    return "XS" + stavy + "\r\n";
}
QByteArray vsechny(char c) {
    return QByteArray(pocet_stykacu, c);
}

// Feeds the chunks one after another and collects every packet handed over.
QList<QByteArray> prijmi(const QList<QByteArray>& kusy, prijimac& p) {
    QList<QByteArray> pakety;
    for (const auto& kus : kusy) {
        p.pridej(kus);
        while (auto paket = p.dalsi_paket())
            pakety.append(*paket);
    }
    return pakety;
}

} // namespace

class test_packet_protocol : public QObject {
    Q_OBJECT
private slots:
    void prijimac_data();
    void prijimac();
    void prijimac_stav_mezi_kusy();
    void dlouhy_paket_bez_konce_radku();
    void zaplava_bez_konce_radku();
    void fronta_je_omezena();
    void pakety_se_berou_po_jednom();
    void typ_data();
    void typ();
    void zkontroluj_s_paket_data();
    void zkontroluj_s_paket();
    void stavy_z_s_paketu();
    void dopln_nuly_data();
    void dopln_nuly();
    void prikazy_data();
    void prikazy();
    void text_odpovedi_data();
    void text_odpovedi();
};

void test_packet_protocol::prijimac_data() {
    QTest::addColumn<QList<QByteArray>>("kusy");
    QTest::addColumn<QList<QByteArray>>("pakety");
    using L = QList<QByteArray>;
    const QByteArray s = s_paket(vsechny('1'));

    QTest::newRow("one packet") << L{"XR005=1\r\n"} << L{"XR005=1\r\n"};
    QTest::newRow("noise before X dropped") << L{"ab\r\x01XR005=1\r\n"} << L{"XR005=1\r\n"};
    QTest::newRow("split in three") << L{"XR0", "05=", "1\r\n"} << L{"XR005=1\r\n"};
    QTest::newRow("split byte by byte")
        << L{"X", "R", "0", "0", "5", "=", "1", "\r", "\n"} << L{"XR005=1\r\n"};
    QTest::newRow("two packets in one batch")
        << L{"XR005=1\r\nXS" + vsechny('0') + "\r\n"} << L{"XR005=1\r\n", s_paket(vsechny('0'))};
    QTest::newRow("second X kept inside packet") << L{"XRX05=1\r\n"} << L{"XRX05=1\r\n"};
    QTest::newRow("X after noise restarts nothing") << L{"XR0zzX\n"} << L{"XR0zzX\n"};
    QTest::newRow("lowercase x starts nothing") << L{"xR005=1\r\n"} << L{""};
    QTest::newRow("lone line feed hands empty packet") << L{"\n"} << L{""};
    QTest::newRow("two line feeds") << L{"\n\n"} << L{"", ""};
    QTest::newRow("R without CR") << L{"XR005=1\n"} << L{"XR005=1\n"};
    QTest::newRow("CR does not end a packet") << L{"XR005=1\r", "XS\r"} << L{};
    QTest::newRow("S packet whole") << L{s} << L{s};
    QTest::newRow("S packet in halves") << L{s.left(70), s.mid(70)} << L{s};
    QTest::newRow("packet then noise then packet")
        << L{"XR001=0\r\nnoise", "XR002=1\r\n"} << L{"XR001=0\r\n", "XR002=1\r\n"};
    QTest::newRow("nothing without line feed") << L{"XR005=1\r"} << L{};
    QTest::newRow("NUL bytes inside kept")
        << L{QByteArray("XR\0\0\0=1\r\n", 9)} << L{QByteArray("XR\0\0\0=1\r\n", 9)};
    QTest::newRow("high bytes outside dropped") << L{"\xff\xfeXA\r\n"} << L{"XA\r\n"};
}

void test_packet_protocol::prijimac() {
    QFETCH(QList<QByteArray>, kusy);
    QFETCH(QList<QByteArray>, pakety);
    tarvik::prijimac p;
    QCOMPARE(prijmi(kusy, p), pakety);
}

void test_packet_protocol::prijimac_stav_mezi_kusy() {
    tarvik::prijimac p;
    QCOMPARE(prijmi({"noise"}, p), QList<QByteArray>{});
    QVERIFY(!p.prijem_paketu());
    QCOMPARE(prijmi({"XR00"}, p), QList<QByteArray>{});
    QVERIFY(p.prijem_paketu());
    QCOMPARE(p.prijimany_paket(), QByteArray("XR00"));
    QCOMPARE(prijmi({"5=1\r\n"}, p), QList<QByteArray>{"XR005=1\r\n"});
    QVERIFY(!p.prijem_paketu());
    QCOMPARE(p.prijimany_paket(), QByteArray());
}

void test_packet_protocol::dlouhy_paket_bez_konce_radku() {
    tarvik::prijimac p;
    const QByteArray dlouhy = "XS" + QByteArray(2000, '1');
    const auto pakety = prijmi({dlouhy, "\r\nXA\r\n"}, p);
    // The overlong packet is cut and handed at once; the rest of its line is dropped, the next
    // packet comes through.
    QCOMPARE(pakety.size(), 2);
    QCOMPARE(pakety[0].size(), tarvik::prijimac::nejvetsi_paket + 1);
    QVERIFY(pakety[0].startsWith("XS"));
    QVERIFY(pakety[0].endsWith('\n'));
    QVERIFY(!tarvik::zkontroluj_s_paket(pakety[0]));
    QCOMPARE(pakety[1], QByteArray("XA\r\n"));

    // An R packet cut this way can never equal an acknowledgement.
    tarvik::prijimac q;
    const auto r = prijmi({"XR" + QByteArray(1100, '0')}, q);
    QCOMPARE(r.size(), 1);
    QCOMPARE(tarvik::typ(r[0]), typ_paketu::r);
    QVERIFY(r[0].size() > 9);

    // Exactly the largest packet, line feed included, still passes whole.
    tarvik::prijimac t;
    const QByteArray presne = "XZ" + QByteArray(tarvik::prijimac::nejvetsi_paket - 2, 'a') + "\n";
    QCOMPARE(prijmi({presne}, t), QList<QByteArray>{presne});
}

void test_packet_protocol::zaplava_bez_konce_radku() {
    tarvik::prijimac p;
    int predano = 0;
    const QByteArray kus(4096, 'X');
    for (int i = 0; i < 1000; ++i) {
        p.pridej(kus);
        while (auto paket = p.dalsi_paket()) {
            ++predano;
            QVERIFY(paket->endsWith('\n'));
        }
        QVERIFY(p.prijimany_paket().size() <= tarvik::prijimac::nejvetsi_paket);
        QCOMPARE(p.cekajici_bajty(), 0);
    }
    // One overlong packet, reported once, however long the flood.
    QCOMPARE(predano, 1);
    QCOMPARE(prijmi({"\nXA\r\n"}, p), QList<QByteArray>{"XA\r\n"});
}

void test_packet_protocol::fronta_je_omezena() {
    tarvik::prijimac p;
    // Nothing is consumed (as while a message box is open): the queue stops growing, and the
    // packet cut by the loss is abandoned instead of being glued to later bytes.
    const QByteArray s = s_paket(vsechny('0'));
    QByteArray dlouha;
    while (dlouha.size() + s.size() <= tarvik::prijimac::nejvetsi_fronta - 50)
        dlouha += s;
    p.pridej(dlouha);
    p.pridej(s); // only its first bytes fit
    p.pridej(s); // dropped whole
    QCOMPARE(p.cekajici_bajty(), tarvik::prijimac::nejvetsi_fronta);
    int platnych = 0;
    while (auto paket = p.dalsi_paket())
        platnych += tarvik::zkontroluj_s_paket(*paket) ? 1 : 0;
    QCOMPARE(platnych, dlouha.size() / s.size());
    QVERIFY(!p.prijem_paketu());
    // After the gap the stream starts clean.
    QCOMPARE(prijmi({s.mid(10), s}, p), QList<QByteArray>({"", s}));
}

void test_packet_protocol::pakety_se_berou_po_jednom() {
    tarvik::prijimac p;
    p.pridej("XR005=1\r\nXR0");
    QCOMPARE(p.dalsi_paket(), std::optional<QByteArray>("XR005=1\r\n"));
    // Bytes that come between two packets queue behind the rest of the first batch.
    p.pridej("06=0\r\n\n");
    QCOMPARE(p.dalsi_paket(), std::optional<QByteArray>("XR006=0\r\n"));
    QCOMPARE(p.dalsi_paket(), std::optional<QByteArray>(""));
    QCOMPARE(p.dalsi_paket(), std::nullopt);
}

void test_packet_protocol::typ_data() {
    QTest::addColumn<QByteArray>("paket");
    QTest::addColumn<int>("typ");
    QTest::newRow("R") << QByteArray("XR005=1\r\n") << int(typ_paketu::r);
    QTest::newRow("S") << QByteArray("XS\r\n") << int(typ_paketu::s);
    QTest::newRow("lowercase r") << QByteArray("Xr005=1\r\n") << int(typ_paketu::neznamy);
    QTest::newRow("A") << QByteArray("XA\r\n") << int(typ_paketu::neznamy);
    QTest::newRow("empty") << QByteArray() << int(typ_paketu::neznamy);
    QTest::newRow("one char") << QByteArray("\n") << int(typ_paketu::neznamy);
    QTest::newRow("X then LF") << QByteArray("X\n") << int(typ_paketu::neznamy);
}

void test_packet_protocol::typ() {
    QFETCH(QByteArray, paket);
    QFETCH(int, typ);
    QCOMPARE(int(tarvik::typ(paket)), typ);
}

void test_packet_protocol::zkontroluj_s_paket_data() {
    QTest::addColumn<QByteArray>("paket");
    QTest::addColumn<bool>("ok");
    QByteArray smiseny;
    for (int k = 0; k < pocet_stykacu; ++k)
        smiseny += (k % 3 == 0) ? '1' : '0';
    QTest::newRow("all off") << s_paket(vsechny('0')) << true;
    QTest::newRow("all on") << s_paket(vsechny('1')) << true;
    QTest::newRow("mixed") << s_paket(smiseny) << true;
    QTest::newRow("terminator not examined") << "XS" + vsechny('1') + "ab" << true;
    QTest::newRow("131 bytes") << "XS" + QByteArray(127, '0') + "\r\n" << false;
    QTest::newRow("133 bytes") << "XS" + QByteArray(129, '0') + "\r\n" << false;
    QTest::newRow("LF only, 131 bytes") << "XS" + vsechny('0') + "\n" << false;
    QByteArray spatny = s_paket(vsechny('0'));
    spatny[2] = '2';
    QTest::newRow("first state 2") << spatny << false;
    spatny = s_paket(vsechny('1'));
    spatny[129] = ' ';
    QTest::newRow("last state blank") << spatny << false;
    spatny = s_paket(vsechny('1'));
    spatny[60] = 'X';
    QTest::newRow("X among states") << spatny << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void test_packet_protocol::zkontroluj_s_paket() {
    QFETCH(QByteArray, paket);
    QFETCH(bool, ok);
    QCOMPARE(tarvik::zkontroluj_s_paket(paket), ok);
}

void test_packet_protocol::stavy_z_s_paketu() {
    QByteArray stavy = vsechny('0');
    stavy[0] = '1';
    stavy[5] = '1';
    stavy[127] = '1';
    const auto s = tarvik::stavy_z_s_paketu(s_paket(stavy));
    for (int k = 0; k < pocet_stykacu; ++k)
        QCOMPARE(s[k], k == 0 || k == 5 || k == 127);
}

void test_packet_protocol::dopln_nuly_data() {
    QTest::addColumn<QString>("vstup");
    QTest::addColumn<QString>("vystup");
    QTest::newRow("5") << "5"
                       << "005";
    QTest::newRow("42") << "42"
                        << "042";
    QTest::newRow("127") << "127"
                         << "127";
    QTest::newRow("0") << "0"
                       << "000";
    QTest::newRow("---") << "---"
                         << "---";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("1000") << "1000"
                          << "";
}

void test_packet_protocol::dopln_nuly() {
    QFETCH(QString, vstup);
    QFETCH(QString, vystup);
    QCOMPARE(tarvik::dopln_nuly(vstup), vystup);
}

void test_packet_protocol::prikazy_data() {
    QTest::addColumn<QString>("cislo");
    QTest::addColumn<bool>("zapnout");
    QTest::addColumn<QByteArray>("prikaz");
    QTest::addColumn<QByteArray>("potvrzeni");
    QTest::newRow("005 on") << "005" << true << QByteArray("XW005=1\r\n")
                            << QByteArray("XR005=1\r\n");
    QTest::newRow("042 off") << "042" << false << QByteArray("XW042=0\r\n")
                             << QByteArray("XR042=0\r\n");
    QTest::newRow("127 on") << "127" << true << QByteArray("XW127=1\r\n")
                            << QByteArray("XR127=1\r\n");
}

void test_packet_protocol::prikazy() {
    QFETCH(QString, cislo);
    QFETCH(bool, zapnout);
    QFETCH(QByteArray, prikaz);
    QFETCH(QByteArray, potvrzeni);
    QCOMPARE(prikaz_prepnuti(cislo, zapnout), prikaz);
    QCOMPARE(prikaz.size(), 9);
    QCOMPARE(potvrzeni_prepnuti(cislo, zapnout), potvrzeni);
    QCOMPARE(dotaz_na_stav(), QByteArray("XA\r\n"));
}

void test_packet_protocol::text_odpovedi_data() {
    QTest::addColumn<QByteArray>("odpoved");
    QTest::addColumn<QString>("text");
    QTest::newRow("acknowledgement") << QByteArray("XR005=1\r\n") << "XR005=1";
    QTest::newRow("status") << QByteArray("XS") << "XS";
    QTest::newRow("nothing") << QByteArray() << "";
}

void test_packet_protocol::text_odpovedi() {
    QFETCH(QByteArray, odpoved);
    QFETCH(QString, text);
    QCOMPARE(tarvik::text_odpovedi(odpoved), text);
}

QTEST_APPLESS_MAIN(test_packet_protocol)
#include "test_packet_protocol.moc"
