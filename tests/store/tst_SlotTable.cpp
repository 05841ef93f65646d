#include "store/MessageFileName.h"
#include "store/SlotTable.h"

#include <QTest>

class tst_SlotTable : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void lookupsAreExact();
    void messageFileName_data();
    void messageFileName();
    void completeMessageName_data();
    void completeMessageName();
    void unsafeNames_data();
    void unsafeNames();
};

void tst_SlotTable::rows_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("row");
    // list entry, code, prefix, password, user name, full name, letter, extension, pattern
    const QList<QStringList> table = {
        { "Default", "d", "d", "", "du.kfl", "df.kfl", "g", ".msg", "*.msg" },
        { "User 1", "1", "msg", "msg.kfl", "msgu.kfl", "msgf.kfl", "1", ".ms1", "*.ms1" },
        { "User 2", "2", "pp", "pp.kfl", "ppu.kfl", "ppf.kfl", "2", ".ms2", "*.ms2" },
        { "User 3", "3", "pp2", "pp2.kfl", "pp2u.kfl", "pp2f.kfl", "3", ".ms3", "*.ms3" },
        { "User 4", "4", "44", "44.kfl", "44u.kfl", "44f.kfl", "4", ".ms4", "*.ms4" },
        { "User 5", "5", "r5", "r5.kfl", "r5u.kfl", "r5f.kfl", "5", ".ms5", "*.ms5" },
        { "User 6", "6", "i6", "i6.kfl", "i6u.kfl", "i6f.kfl", "6", ".ms6", "*.ms6" },
    };
    for (int i = 0; i < table.size(); ++i)
        QTest::newRow(qPrintable(table[i][0])) << i << table[i];
}

void tst_SlotTable::rows()
{
    QFETCH(int, index);
    QFETCH(QStringList, row);
    QCOMPARE(SlotTable::all().size(), 7);
    const Slot &slot = SlotTable::all().at(index);
    const QStringList actual = { slot.listEntry,       slot.slotCode,         slot.prefix,
                                 slot.passwordFile,    slot.userNameFile,     slot.fullNameFile,
                                 slot.extensionLetter, slot.messageExtension, slot.filePattern };
    QCOMPARE(actual, row);
    QCOMPARE(SlotTable::byListEntry(row[0]), &slot);
    QCOMPARE(SlotTable::bySlotCode(row[1]), &slot);
    QCOMPARE(&SlotTable::forSlotCode(row[1]), &slot);
    QCOMPARE(SlotTable::byExtension(row[7]), &slot);
    // Listings match extensions without regard to case, so the lookup does too.
    QCOMPARE(SlotTable::byExtension("Lunch" + row[7].toUpper()), &slot);
}

void tst_SlotTable::lookupsAreExact()
{
    QVERIFY(!SlotTable::byListEntry("default"));
    QVERIFY(!SlotTable::byListEntry("User 7"));
    QVERIFY(!SlotTable::byListEntry("User 1 "));
    QVERIFY(!SlotTable::bySlotCode("D"));
    QVERIFY(!SlotTable::bySlotCode("g"));
    QVERIFY(!SlotTable::byExtension("lunch.ms7"));
    QVERIFY(!SlotTable::byExtension("msgu.kfl"));
    QCOMPARE(&SlotTable::forSlotCode("7"), &SlotTable::defaultSlot());
    QCOMPARE(SlotTable::defaultSlot().slotCode, QString("d"));
}

void tst_SlotTable::messageFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("file");
    QTest::newRow("User 3") << "lunch"
                            << "3"
                            << "lunch.ms3";
    QTest::newRow("User 1 is not msg") << "lunch"
                                       << "1"
                                       << "lunch.ms1";
    QTest::newRow("default") << "lunch"
                             << "d"
                             << "lunch.msg";
    QTest::newRow("empty code") << "lunch"
                                << ""
                                << "lunch.msg";
    QTest::newRow("other code") << "lunch"
                                << "7"
                                << "lunch.msg";
    QTest::newRow("two digits") << "lunch"
                                << "12"
                                << "lunch.msg";
    QTest::newRow("name unchanged") << " Re: a.b "
                                    << "6"
                                    << " Re: a.b .ms6";
}

void tst_SlotTable::messageFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    QFETCH(QString, file);
    QCOMPARE(::messageFileName(name, code), file);
}

void tst_SlotTable::completeMessageName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    for (char c = '1'; c <= '6'; ++c)
        QTest::addRow("code %c", c) << "note" << QString(QChar(c)) << QString("note.ms") + c;
    QTest::newRow("default") << "note"
                             << "d"
                             << "note.msg";
    QTest::newRow("empty code") << "note"
                                << ""
                                << "note.msg";
    QTest::newRow("other code adds nothing") << "note"
                                             << "x"
                                             << "note";
    QTest::newRow("typed extension stays") << "note.ms1"
                                           << "2"
                                           << "note.ms1.ms2";
}

void tst_SlotTable::completeMessageName()
{
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QCOMPARE(::completeMessageName(typed, code), name);
}

void tst_SlotTable::unsafeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("unsafe");
    QTest::newRow("plain") << "lunch.msg" << false;
    QTest::newRow("dots inside") << "..lunch..msg" << false;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("dot") << "." << true;
    QTest::newRow("dot dot") << ".." << true;
    QTest::newRow("slash") << "../x.msg" << true;
    QTest::newRow("backslash") << "a\\b.msg" << true;
    QTest::newRow("NUL") << QString("a") + QChar(0) + "b" << true;
}

void tst_SlotTable::unsafeNames()
{
    QFETCH(QString, name);
    QFETCH(bool, unsafe);
    QCOMPARE(isUnsafeMessageName(name), unsafe);
}

QTEST_GUILESS_MAIN(tst_SlotTable)
#include "tst_SlotTable.moc"
