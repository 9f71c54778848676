// SPDX-License-Identifier: MIT
#include "db/Database.h"

#include <QRandomGenerator>
#include <QtTest>

// The database's lower-case function must agree with Database::fold, which
// folds the typed search text: otherwise a search would miss records.
class TestLowerCase : public QObject
{
    Q_OBJECT

private slots:
    void everyCharacterOfTheFirstPlanes();
    void mixedTexts();
};

void TestLowerCase::everyCharacterOfTheFirstPlanes()
{
    for (char32_t code = 1; code < 0x3000; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        const QString text =
            QStringLiteral("Ab") + QString::fromUcs4(&code, 1) + QStringLiteral("Я");
        QCOMPARE(QString::fromUtf8(Database::lowerUtf8(text.toUtf8())), Database::fold(text));
    }
}

void TestLowerCase::mixedTexts()
{
    const QList<char32_t> alphabet = {U'A', U'z', U'Ё', U'ё', U'Ѐ', U'Џ', U'А',
                                      U'Я', U'а', U'я', U'Ѡ', U'ѡ', U'Σ', U'ς',
                                      U'İ', U'ẞ', U'K', U'😀', U' ', U'%', U'\''};
    QRandomGenerator random(7);
    for (int n = 0; n < 2000; ++n) {
        QString text;
        const int length = random.bounded(12);
        for (int i = 0; i < length; ++i) {
            const char32_t c = alphabet.at(random.bounded(int(alphabet.size())));
            text += QString::fromUcs4(&c, 1);
        }
        QCOMPARE(QString::fromUtf8(Database::lowerUtf8(text.toUtf8())), Database::fold(text));
    }
    QCOMPARE(Database::lowerUtf8(QByteArray()), QByteArray());
}

QTEST_GUILESS_MAIN(TestLowerCase)
#include "tst_lowercase.moc"
