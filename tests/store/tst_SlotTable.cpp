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
    void messageNames();
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
    for (const char *entry : { "default", "User 7", "User 1 " })
        QVERIFY(!SlotTable::byListEntry(entry));
    QVERIFY(!SlotTable::bySlotCode("D") && !SlotTable::bySlotCode("g"));
    QVERIFY(!SlotTable::byExtension("lunch.ms7") && !SlotTable::byExtension("msgu.kfl"));
    QCOMPARE(&SlotTable::forSlotCode("7"), &SlotTable::defaultSlot());
    QCOMPARE(SlotTable::defaultSlot().slotCode, QString("d"));
}

void tst_SlotTable::messageNames()
{
    QCOMPARE(messageFileName("lunch", "3"), QString("lunch.ms3"));
    QCOMPARE(messageFileName("lunch", "1"), QString("lunch.ms1"));
    QCOMPARE(messageFileName(" Re: a.b ", "6"), QString(" Re: a.b .ms6"));
    // Any code but "1".."6" is the default user.
    for (const char *code : { "d", "", "7", "12", "D" })
        QCOMPARE(messageFileName("lunch", code), QString("lunch.msg"));

    for (char c = '1'; c <= '6'; ++c)
        QCOMPARE(completeMessageName("note", QString(QChar(c))), QString("note.ms") + c);
    QCOMPARE(completeMessageName("note", "d"), QString("note.msg"));
    QCOMPARE(completeMessageName("note", ""), QString("note.msg"));
    QCOMPARE(completeMessageName("note", "x"), QString("note"));
    QCOMPARE(completeMessageName("note.ms1", "2"), QString("note.ms1.ms2"));
}

QTEST_GUILESS_MAIN(tst_SlotTable)
#include "tst_SlotTable.moc"
