// The keyboard vocabulary, the set-keyboard frame and the keyboard dialog.
#include "keyboard/core/keyboardpacket.h"
#include "keyboard/core/keyboardtables.h"
#include "keyboard/dlgkeyboardtype.h"
#include "childwidget.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QtTest>

using KeyboardPacket::KeyboardChoice;

namespace {

// One line per row, "row<TAB>code<TAB>description\n" (the variant lists
// prefixed with their layout row, each from its "none" row), SHA-256 of the
// Latin-1 bytes. The digests were computed from the reference lists apart
// from this code: they pin every row's place, code and text.
QByteArray rowsText(const KeyboardTables::Table &table, const QByteArray &prefix = QByteArray())
{
    QByteArray text;
    for (int row = 0; row < table.size(); ++row)
        text += prefix + QByteArray::number(row) + '\t' + table.code(row).toLatin1() + '\t'
                + table.description(row).toLatin1() + '\n';
    return text;
}

// A wire string as a device reads it: u16 count n + 1, the bytes, a NUL.
QByteArray wire(const QByteArray &text)
{
    const int n = int(text.size()) + 1;
    return QByteArray(1, char(n >> 8)) + char(n) + text + '\0';
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void tables_data()
    {
        QTest::addColumn<int>("table");   // 0 models, 1 layouts, 2 options, 3 every layout's variants
        QTest::addColumn<QByteArray>("digest");
        QTest::newRow("models") << 0 << QByteArray("b5368829d7c54a6f9e935688cf2930b30e704f80965f0253dfd0049d85269d2e");
        QTest::newRow("layouts") << 1 << QByteArray("e69719d687617a62b7d2e11556346447e3dc50d18cfda8c2cec85b0641208ee0");
        QTest::newRow("options") << 2 << QByteArray("c38488ab3cbb20f3372041305016c4c3d35b03ee37acb506eb95520802196a8e");
        QTest::newRow("variants") << 3 << QByteArray("7dde6d6cbfed8406c4944257a684d21842798b65283bd6fa169080b8a8ac5771");
    }

    void tables()
    {
        QFETCH(int, table);
        QFETCH(QByteArray, digest);
        QByteArray text;
        if (table == 3) {
            for (int layout = 0; layout < KeyboardTables::layouts().size(); ++layout)
                text += rowsText(KeyboardTables::variants(layout), QByteArray::number(layout) + '\t');
        } else {
            text = rowsText(table == 0 ? KeyboardTables::models()
                            : table == 1 ? KeyboardTables::layouts()
                                         : KeyboardTables::options());
        }
        QCOMPARE(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex(), digest);
    }

    void rowsOutsideReadEmpty()
    {
        const KeyboardTables::Table models = KeyboardTables::models();
        QVERIFY(models.code(models.size()).isEmpty() && models.code(-1).isEmpty());
        QVERIFY(KeyboardTables::variants(93).isEmpty() && KeyboardTables::variants(-1).isEmpty());
    }

    void setKeyboardFrame_data()
    {
        QTest::addColumn<QList<int>>("rows");   // model, layout, variant, option
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("defaults") << QList<int>{3, 29, 0, 0}
                                  << QByteArray::fromHex("22010023" "0006706331303500" "0003757300" "00056e6f6e6500"
                                                         "00056e6f6e6500" "0003" "001d" "0000" "0000");
        QTest::newRow("layout without variants")
            << QList<int>{3, 1, -1, 0}
            << QByteArray::fromHex("2201001f") + wire("pc105") + wire("al") + wire("") + wire("none")
                   + QByteArray::fromHex("0003" "0001" "ffff" "0000");
        QTest::newRow("group header with a blank")
            << QList<int>{3, 29, 0, 110}
            << QByteArray::fromHex("2201002a") + wire("pc105") + wire("us") + wire("none") + wire("Compose key")
                   + QByteArray::fromHex("0003" "001d" "0000" "006e");
        QTest::newRow("last rows, a model code shared with row 64")
            << QList<int>{176, 46, 1, 172}
            << QByteArray::fromHex("22010040") + wire("htcdream") + wire("is") + wire("Sundeadkeys")
                   + wire("terminate:ctrl_alt_bksp") + QByteArray::fromHex("00b0" "002e" "0001" "00ac");
    }

    void setKeyboardFrame()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QByteArray, frame);
        const KeyboardChoice choice = KeyboardPacket::choiceFromRows(rows[0], rows[1], rows[2], rows[3]);
        QCOMPARE(KeyboardPacket::setKeyboard(choice).toHex(), frame.toHex());
    }

    void dialog_data()
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
        QTest::newRow("French, then Swedish Dvorak")
            << QList<int>{35, 81} << 2 << QStringList{"None", "Swedish Sign Language"} << "se" << "dvorak" << 2;
    }

    void dialog()
    {
        QFETCH(QList<int>, layouts);
        QFETCH(int, variantRow);
        QFETCH(QStringList, shown);
        QFETCH(QString, layoutCode);
        QFETCH(QString, variantCode);
        QFETCH(int, sentRow);

        DlgKeyboardType dialog;
        // Options show their codes, the others their descriptions.
        QCOMPARE(child<QComboBox>(&dialog, "cmbxOption")->itemText(2), QStringLiteral("grp:switch"));
        QComboBox *variants = child<QComboBox>(&dialog, "cmbxVariant");
        for (int layout : layouts)
            child<QComboBox>(&dialog, "cmbxLayout")->setCurrentIndex(layout);
        if (variantRow >= 0)
            variants->setCurrentIndex(variantRow);
        QStringList ends;
        if (variants->count() > 0)
            ends << variants->itemText(0) << variants->itemText(variants->count() - 1);
        QCOMPARE(ends, shown);

        dialog.accept();
        QCOMPARE(dialog.choice.modelCode, QStringLiteral("pc105"));
        QCOMPARE(dialog.choice.layoutCode, layoutCode);
        QCOMPARE(dialog.choice.variantCode, variantCode);
        QCOMPARE(int(dialog.choice.variantRow), sentRow);
        QCOMPARE(dialog.choice.optionCode, QStringLiteral("none"));
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
