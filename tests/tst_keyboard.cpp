// The keyboard vocabulary, the set-keyboard frame and the keyboard dialog.
#include "keyboard/core/keyboardpacket.h"
#include "keyboard/core/keyboardtables.h"
#include "keyboard/dlgkeyboardtype.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QtTest>

using KeyboardPacket::KeyboardChoice;

namespace {

// The number of variants after the "none" row of each layout row, as the
// reference lists state them; 0 for a layout without variants.
const int variantCounts[93] = {
    5, 0, 0, 6, 7, 5, 5, 1, 3, 2, 7, 1, 4, 2, 2, 0, 0, 3, 4, 5, 4, 0, 3, 0, 4, 8, 3, 0, 7, 17, 1,
    3, 1, 9, 4, 16, 7, 0, 0, 4, 13, 3, 8, 4, 3, 19, 4, 26, 4, 4, 4, 4, 0, 2, 0, 1, 1, 1, 6, 5, 1,
    1, 0, 0, 7, 0, 6, 5, 7, 8, 5, 4, 18, 8, 2, 3, 2, 7, 3, 1, 0, 8, 2, 1, 2, 0, 10, 1, 7, 4, 1, 0, 0};

// One line per row, "row<TAB>code<TAB>description\n"; the variant lists as
// "layout row<TAB>variant row<TAB>code<TAB>description\n", layout rows in
// order, each list from its "none" row. SHA-256 of the Latin-1 bytes.
QByteArray rowsDigest(const KeyboardTables::Table &table)
{
    QByteArray text;
    for (int row = 0; row < table.size(); ++row)
        text += QByteArray::number(row) + '\t' + table.code(row).toLatin1() + '\t'
                + table.description(row).toLatin1() + '\n';
    return QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex();
}

QByteArray variantsDigest()
{
    QByteArray text;
    for (int layout = 0; layout < KeyboardTables::layouts().size(); ++layout) {
        const KeyboardTables::Table list = KeyboardTables::variants(layout);
        for (int row = 0; row < list.size(); ++row)
            text += QByteArray::number(layout) + '\t' + QByteArray::number(row) + '\t' + list.code(row).toLatin1()
                    + '\t' + list.description(row).toLatin1() + '\n';
    }
    return QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex();
}

// A wire string as a device reads it: u16 count n + 1, the bytes, a NUL.
QByteArray wire(const QByteArray &text)
{
    const int n = int(text.size()) + 1;
    return QByteArray(1, char(n >> 8)) + char(n) + text + '\0';
}

QComboBox *combo(QDialog &dialog, const char *name)
{
    return dialog.findChild<QComboBox *>(QLatin1String(name));
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void tables_data();
    void tables();
    void optionGroupHeaders();
    void variantLists();
    void setKeyboardFrame_data();
    void setKeyboardFrame();
    void dialogOpensAtDefaults();
    void dialogRefillsVariants_data();
    void dialogRefillsVariants();
};

void TestKeyboard::tables_data()
{
    QTest::addColumn<int>("table");   // 0 models, 1 layouts, 2 options, 3 the variants of "in"
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QByteArray>("digest");

    // Digests of the reference lists, computed from them apart from this code.
    QTest::newRow("models") << 0 << 177 << "pc101 Generic 101-key PC" << "htcdream Htc Dream phone"
                            << QByteArray("b5368829d7c54a6f9e935688cf2930b30e704f80965f0253dfd0049d85269d2e");
    QTest::newRow("layouts") << 1 << 93 << "af Afghani" << "sn Wolof"
                             << QByteArray("e69719d687617a62b7d2e11556346447e3dc50d18cfda8c2cec85b0641208ee0");
    QTest::newRow("options") << 2 << 173 << "none None" << "terminate:ctrl_alt_bksp Control + Alt + Backspace"
                             << QByteArray("c38488ab3cbb20f3372041305016c4c3d35b03ee37acb506eb95520802196a8e");
    QTest::newRow("variants of Indian") << 3 << 27 << "none None" << "eng English (India, with RupeeSign)"
                                        << QByteArray();
}

void TestKeyboard::tables()
{
    QFETCH(int, table);
    QFETCH(int, size);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QByteArray, digest);
    const KeyboardTables::Table t = table == 0   ? KeyboardTables::models()
                                    : table == 1 ? KeyboardTables::layouts()
                                    : table == 2 ? KeyboardTables::options()
                                                 : KeyboardTables::variants(47);
    QCOMPARE(t.size(), size);
    QCOMPARE(t.code(0) + ' ' + t.description(0), first);
    QCOMPARE(t.code(size - 1) + ' ' + t.description(size - 1), last);
    QVERIFY(t.code(size).isEmpty() && t.code(-1).isEmpty());
    if (!digest.isEmpty())
        QCOMPARE(rowsDigest(t), digest);
}

void TestKeyboard::optionGroupHeaders()
{
    const KeyboardTables::Table options = KeyboardTables::options();
    QList<int> headers;
    for (int row = 0; row < options.size(); ++row)
        if (!options.code(row).contains(QLatin1Char(':')))
            headers << row;
    QCOMPARE(headers, (QList<int>{0, 1, 36, 54, 63, 67, 76, 85, 100, 110, 122, 136, 142, 147, 164, 168, 171}));
    QCOMPARE(options.code(110), QStringLiteral("Compose key"));
}

void TestKeyboard::variantLists()
{
    QList<int> without;
    int pairs = 0;
    for (int layout = 0; layout < 93; ++layout) {
        const KeyboardTables::Table list = KeyboardTables::variants(layout);
        QCOMPARE(list.size(), variantCounts[layout] ? variantCounts[layout] + 1 : 0);
        if (list.isEmpty())
            without << layout;
        else
            QCOMPARE(list.code(0) + ' ' + list.description(0), QStringLiteral("none None"));
        pairs += list.size();
    }
    QCOMPARE(without, (QList<int>{1, 2, 15, 16, 21, 23, 27, 37, 38, 52, 54, 62, 63, 65, 80, 85, 91, 92}));
    QCOMPARE(pairs, 464);
    QVERIFY(KeyboardTables::variants(93).isEmpty() && KeyboardTables::variants(-1).isEmpty());
    QCOMPARE(variantsDigest(), QByteArray("7dde6d6cbfed8406c4944257a684d21842798b65283bd6fa169080b8a8ac5771"));
}

void TestKeyboard::setKeyboardFrame_data()
{
    QTest::addColumn<QList<int>>("rows");   // model, layout, variant, option
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("defaults") << QList<int>{3, 29, 0, 0}
                              << QByteArray::fromHex("22010023" "0006706331303500" "0003757300" "00056e6f6e6500"
                                                     "00056e6f6e6500" "0003" "001d" "0000" "0000");
    const QByteArray tail = wire("none") + QByteArray::fromHex("0003" "0001" "ffff" "0000");
    QTest::newRow("layout without variants")
        << QList<int>{3, 1, -1, 0} << QByteArray::fromHex("2201001f") + wire("pc105") + wire("al") + wire("") + tail;
    QTest::newRow("group header as option")
        << QList<int>{3, 29, 0, 1}
        << QByteArray::fromHex("22010022") + wire("pc105") + wire("us") + wire("none") + wire("grp")
               + QByteArray::fromHex("0003" "001d" "0000" "0001");
    QTest::newRow("group header with a blank")
        << QList<int>{3, 29, 0, 110}
        << QByteArray::fromHex("2201002a") + wire("pc105") + wire("us") + wire("none") + wire("Compose key")
               + QByteArray::fromHex("0003" "001d" "0000" "006e");
    QTest::newRow("last model, same code as row 64")
        << QList<int>{176, 46, 1, 172}
        << QByteArray::fromHex("22010040") + wire("htcdream") + wire("is") + wire("Sundeadkeys")
               + wire("terminate:ctrl_alt_bksp") + QByteArray::fromHex("00b0" "002e" "0001" "00ac");
    QTest::newRow("row 64") << QList<int>{64, 52, -1, 0}
                            << QByteArray::fromHex("2201002b") + wire("htcdream") + wire("nec_vndr_jp") + wire("")
                                   + wire("none") + QByteArray::fromHex("0040" "0034" "ffff" "0000");
}

void TestKeyboard::setKeyboardFrame()
{
    QFETCH(QList<int>, rows);
    QFETCH(QByteArray, frame);
    const KeyboardChoice choice = KeyboardPacket::choiceFromRows(rows[0], rows[1], rows[2], rows[3]);
    QCOMPARE(KeyboardPacket::setKeyboard(choice).toHex(), frame.toHex());
}

void TestKeyboard::dialogOpensAtDefaults()
{
    DlgKeyboardType dialog;
    QCOMPARE(combo(dialog, "cmbxModel")->currentText(), QStringLiteral("Generic 105-key (Intl) PC"));
    QCOMPARE(combo(dialog, "cmbxLayout")->currentText(), QStringLiteral("English (US)"));
    QCOMPARE(combo(dialog, "cmbxVariant")->count(), 18);
    QCOMPARE(combo(dialog, "cmbxVariant")->currentText(), QStringLiteral("None"));
    // Options show their codes, the others their descriptions.
    QCOMPARE(combo(dialog, "cmbxOption")->count(), 173);
    QCOMPARE(combo(dialog, "cmbxOption")->itemText(2), QStringLiteral("grp:switch"));
    QCOMPARE(combo(dialog, "cmbxOption")->currentText(), QStringLiteral("none"));
}

void TestKeyboard::dialogRefillsVariants_data()
{
    QTest::addColumn<QList<int>>("layouts");   // chosen one after the other
    QTest::addColumn<int>("variantRow");       // chosen then; -1 leaves the combo as refilled
    QTest::addColumn<QStringList>("shown");    // the variant combo's first and last items
    QTest::addColumn<QString>("layoutCode");
    QTest::addColumn<QString>("variantCode");
    QTest::addColumn<int>("sentRow");

    QTest::newRow("as opened") << QList<int>{} << -1 << QStringList{"None", "Serbo-Croatian (US)"} << "us" << "none"
                               << 0;
    QTest::newRow("Albanian, without variants") << QList<int>{1} << -1 << QStringList{} << "al" << "" << 0xFFFF;
    QTest::newRow("back to a layout with variants")
        << QList<int>{1, 47} << -1 << QStringList{"None", "English (India, with RupeeSign)"} << "in" << "none" << 0;
    QTest::newRow("French, then Swedish Dvorak")
        << QList<int>{35, 81} << 2 << QStringList{"None", "Swedish Sign Language"} << "se" << "dvorak" << 2;
}

void TestKeyboard::dialogRefillsVariants()
{
    QFETCH(QList<int>, layouts);
    QFETCH(int, variantRow);
    QFETCH(QStringList, shown);
    QFETCH(QString, layoutCode);
    QFETCH(QString, variantCode);
    QFETCH(int, sentRow);

    DlgKeyboardType dialog;
    QComboBox *variants = combo(dialog, "cmbxVariant");
    for (int layout : layouts)
        combo(dialog, "cmbxLayout")->setCurrentIndex(layout);
    if (variantRow >= 0)
        variants->setCurrentIndex(variantRow);
    QStringList ends;
    if (variants->count() > 0)
        ends << variants->itemText(0) << variants->itemText(variants->count() - 1);
    QCOMPARE(ends, shown);

    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.choice.layoutCode, layoutCode);
    QCOMPARE(dialog.choice.variantCode, variantCode);
    QCOMPARE(int(dialog.choice.variantRow), sentRow);
    QCOMPARE(dialog.choice.modelCode, QStringLiteral("pc105"));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
