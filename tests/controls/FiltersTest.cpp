#include "controls/CodeFilter.h"
#include "controls/FreqFilter.h"

// Qt
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(CodeKeystroke)

namespace {

// Rows are written with '.'; each runs with both held separators.
QString WithSep(QString text, QChar separator)
{
    return text.replace(QLatin1Char('.'), separator);
}

// One keystroke on a simulated edit: the caret at pos with len characters selected after it.
QString Edited(const QString& text, qsizetype pos, qsizetype len, QChar c)
{
    if (c == QLatin1Char('\b')) {
        if (len > 0)
            return text.left(pos) + text.mid(pos + len);
        return pos > 0 ? text.left(pos - 1) + text.mid(pos) : text;
    }
    return text.left(pos) + c + text.mid(pos + len);
}

} // namespace

// The two typing filters as pure decisions: known answers for every rule, and random keystroke
// runs that must never leave a text of a shape the filter exists to keep out.
class TestEditFilters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freqKeystroke_data();
    void freqKeystroke();
    void freqCharPasses_data();
    void freqCharPasses();
    void codeKeystroke_data();
    void codeKeystroke();
    void codeCharPasses();
    void freqRandomTypingKeepsShape();
    void codeRandomTypingKeepsShape();
};

void TestEditFilters::freqKeystroke_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("accepted");
    const QChar sep = QLatin1Char('.');
    const QChar bs = QLatin1Char('\b');
    QTest::newRow("first digit") << ""
                                 << "4" << QChar(u'4') << true;
    QTest::newRow("third integer digit") << "43"
                                         << "433" << QChar(u'3') << true;
    QTest::newRow("fourth integer digit") << "433"
                                          << "4334" << QChar(u'4') << false;
    QTest::newRow("separator after digits") << "433"
                                            << "433." << sep << true;
    QTest::newRow("fifth decimal") << "433.0750"
                                   << "433.07500" << QChar(u'0') << true;
    QTest::newRow("sixth decimal") << "433.07500"
                                   << "433.075001" << QChar(u'1') << false;
    QTest::newRow("leading separator") << ""
                                       << "." << sep << false;
    QTest::newRow("separator put in front") << "5"
                                            << ".5" << sep << false;
    QTest::newRow("second separator") << "433.0"
                                      << "433.0." << sep << false;
    QTest::newRow("separator over selected separator") << "433.075"
                                                       << "433.075" << sep << false;
    QTest::newRow("backspace takes the separator") << "433.075"
                                                   << "433075" << bs << false;
    QTest::newRow("backspace a decimal") << "433.075"
                                         << "433.07" << bs << true;
    QTest::newRow("backspace to empty") << "4"
                                        << "" << bs << true;
    QTest::newRow("digit before separator") << "234.5"
                                            << "1234.5" << QChar(u'1') << true;
    QTest::newRow("nine characters") << "123456.7"
                                     << "1234567.8" << QChar(u'8') << true;
    QTest::newRow("ten characters") << "1234567.8"
                                    << "12345678.9" << QChar(u'9') << false;
    QTest::newRow("digits without separator")
        << "433"
        << "433" << QChar(u'1') << true; // the edit's limit kept it out
}

void TestEditFilters::freqKeystroke()
{
    QFETCH(QString, saved);
    QFETCH(QString, after);
    QFETCH(QChar, typed);
    QFETCH(bool, accepted);
    for (const QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const QChar c = typed == QLatin1Char('.') ? sep : typed;
        QCOMPARE(FreqKeystrokeAccepted(WithSep(saved, sep), WithSep(after, sep), c, sep), accepted);
    }
}

void TestEditFilters::freqCharPasses_data()
{
    QTest::addColumn<QChar>("c");
    QTest::addColumn<bool>("withComma");
    QTest::addColumn<bool>("withPoint");
    QTest::newRow("digit 0") << QChar(u'0') << true << true;
    QTest::newRow("digit 9") << QChar(u'9') << true << true;
    QTest::newRow("backspace") << QChar(u'\b') << true << true;
    QTest::newRow("comma") << QChar(u',') << true << false;
    QTest::newRow("point") << QChar(u'.') << false << true;
    QTest::newRow("letter") << QChar(u'a') << false << false;
    QTest::newRow("blank") << QChar(u' ') << false << false;
    QTest::newRow("minus") << QChar(u'-') << false << false;
    QTest::newRow("paste control") << QChar(u'\x16') << false << false;
    QTest::newRow("undo control") << QChar(u'\x1a') << false << false;
    QTest::newRow("cyrillic") << QChar(u'Н') << false << false;
}

void TestEditFilters::freqCharPasses()
{
    QFETCH(QChar, c);
    QFETCH(bool, withComma);
    QFETCH(bool, withPoint);
    QCOMPARE(FreqCharPasses(c, QLatin1Char(',')), withComma);
    QCOMPARE(FreqCharPasses(c, QLatin1Char('.')), withPoint);
}

void TestEditFilters::codeKeystroke_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<CodeKeystroke>("outcome");
    const auto accept = CodeKeystroke::Accept;
    const auto reject = CodeKeystroke::Reject;
    const QChar sep = QLatin1Char('.');
    QTest::newRow("three digits") << "02"
                                  << "023" << QChar(u'3') << accept;
    QTest::newRow("four digits") << "023"
                                 << "0234" << QChar(u'4') << reject;
    QTest::newRow("suffix N") << "023"
                              << "023N" << QChar(u'N') << accept;
    QTest::newRow("suffix I") << "75"
                              << "75I" << QChar(u'I') << accept;
    QTest::newRow("fifth character") << "023N"
                                     << "023N5" << QChar(u'5') << reject;
    QTest::newRow("letter not last") << "02N"
                                     << "02N3" << QChar(u'3') << reject;
    QTest::newRow("letter first") << ""
                                  << "N" << QChar(u'N') << reject;
    QTest::newRow("separator first") << ""
                                     << "." << sep << reject;
    QTest::newRow("separator and letter") << "12."
                                          << "12.N" << QChar(u'N') << reject;
    QTest::newRow("tone") << "88."
                          << "88.5" << QChar(u'5') << accept;
    QTest::newRow("tone with four characters") << "250."
                                               << "250.3" << QChar(u'3') << accept;
    QTest::newRow("two decimals") << "88.5"
                                  << "88.55" << QChar(u'5') << reject;
    QTest::newRow("separator over selected separator") << "8."
                                                       << "8." << sep << reject;
    QTest::newRow("digit behind Нет") << QString::fromUtf8("Нет") << QString::fromUtf8("Нет5")
                                      << QChar(u'5') << CodeKeystroke::Clear;
    QTest::newRow("digit over selected Нет")
        << QString::fromUtf8("Нет") << "5" << QChar(u'5') << accept;
    QTest::newRow("backspace behind Нет") << QString::fromUtf8("Нет") << QString::fromUtf8("Не")
                                          << QChar(u'\b') << CodeKeystroke::Clear;
    QTest::newRow("backspace to empty") << "5"
                                        << "" << QChar(u'\b') << accept;
}

void TestEditFilters::codeKeystroke()
{
    QFETCH(QString, saved);
    QFETCH(QString, after);
    QFETCH(QChar, typed);
    QFETCH(CodeKeystroke, outcome);
    for (const QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const QChar c = typed == QLatin1Char('.') ? sep : typed;
        QCOMPARE(JudgeCodeKeystroke(WithSep(saved, sep), WithSep(after, sep), c, sep), outcome);
    }
}

void TestEditFilters::codeCharPasses()
{
    const QChar comma = QLatin1Char(',');
    for (const char c : {'0', '5', '9', '\b', ',', 'N', 'n', 'I', 'i'})
        QVERIFY2(CodeCharPasses(QLatin1Char(c), comma), &c);
    for (const char c : {'.', 'a', 'M', ' ', '-', '\x16'})
        QVERIFY(!CodeCharPasses(QLatin1Char(c), comma));
    QVERIFY(CodeCharPasses(QLatin1Char('.'), QLatin1Char('.')));
    QCOMPARE(CodeCharToInsert(QLatin1Char('n')), QLatin1Char('N'));
    QCOMPARE(CodeCharToInsert(QLatin1Char('i')), QLatin1Char('I'));
    QCOMPARE(CodeCharToInsert(QLatin1Char('7')), QLatin1Char('7'));
}

void TestEditFilters::freqRandomTypingKeepsShape()
{
    QRandomGenerator random(20261208);
    for (const QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const QChar other = sep == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
        const QString keys = QStringLiteral("0123456789") + sep + sep + other + QLatin1Char('\b');
        const QRegularExpression shape(
            QStringLiteral("^(\\d{0,3}|\\d+%1\\d{0,5})$").arg(QRegularExpression::escape(sep)));
        QString text;
        for (int step = 0; step < 20000; ++step) {
            const QChar c = keys[random.bounded(keys.size())];
            if (!FreqCharPasses(c, sep))
                continue;
            const auto pos = static_cast<qsizetype>(random.bounded(int(text.size()) + 1));
            const auto len = static_cast<qsizetype>(random.bounded(int(text.size() - pos) + 1) / 2);
            const QString next = Edited(text, pos, len, c);
            if (FreqKeystrokeAccepted(text, next, c, sep))
                text = next;
            QVERIFY2(shape.match(text).hasMatch() && text.size() <= 9, qPrintable(text));
            if (step % 500 == 0)
                text.clear();
        }
    }
}

void TestEditFilters::codeRandomTypingKeepsShape()
{
    QRandomGenerator random(42);
    for (const QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        const QString keys = QStringLiteral("0123456789nNiI") + sep + QLatin1Char('\b');
        const QRegularExpression shape(QStringLiteral("^(\\d{0,3}|\\d{1,3}[NI]|\\d{1,4}%1\\d?)$")
                                           .arg(QRegularExpression::escape(sep)));
        QString text;
        for (int step = 0; step < 20000; ++step) {
            const QChar c = CodeCharToInsert(keys[random.bounded(keys.size())]);
            const auto pos = static_cast<qsizetype>(random.bounded(int(text.size()) + 1));
            const auto len = static_cast<qsizetype>(random.bounded(int(text.size() - pos) + 1) / 2);
            const QString next = Edited(text, pos, len, c);
            switch (JudgeCodeKeystroke(text, next, c, sep)) {
            case CodeKeystroke::Accept:
                text = next;
                break;
            case CodeKeystroke::Reject:
                break;
            case CodeKeystroke::Clear:
                QFAIL(qPrintable(QStringLiteral("cleared from code-shaped text ") + text));
            }
            QVERIFY2(shape.match(text).hasMatch() && text.size() <= 5, qPrintable(text));
            if (step % 500 == 0)
                text.clear();
        }
    }
}

QTEST_MAIN(TestEditFilters)
#include "FiltersTest.moc"
