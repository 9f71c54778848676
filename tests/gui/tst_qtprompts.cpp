// SPDX-License-Identifier: MIT
#include "common/ui/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <functional>

// The program's real confirmation box, answered as a user would.
class TestQtPrompts : public QObject
{
    Q_OBJECT

private slots:
    void confirmAnswers_data();
    void confirmAnswers();
    void chooseAnswers_data();
    void chooseAnswers();
};

using Action = std::function<void(QMessageBox*)>;
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Prompts::Answer)

void TestQtPrompts::confirmAnswers_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<Prompts::Answer>("expected");
    const auto click = [](QMessageBox::StandardButton which) {
        return Action(
            [which](QMessageBox* box) { QTest::mouseClick(box->button(which), Qt::LeftButton); });
    };
    QTest::newRow("yes") << click(QMessageBox::Yes) << Prompts::Answer::Yes;
    QTest::newRow("no") << click(QMessageBox::No) << Prompts::Answer::No;
    QTest::newRow("escape") << Action([](QMessageBox* box) {
        QTest::keyClick(box, Qt::Key_Escape);
    }) << Prompts::Answer::Closed;
    QTest::newRow("close button") << Action([](QMessageBox* box) { box->close(); })
                                  << Prompts::Answer::Closed;
}

void TestQtPrompts::confirmAnswers()
{
    QFETCH(Action, action);
    QFETCH(Prompts::Answer, expected);
    QStringList visibleButtons;
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons())
            if (button->isVisible())
                visibleButtons.append(button->text());
        action(box);
        answered = true;
    });
    QtPrompts prompts;
    QCOMPARE(prompts.confirm(nullptr, QStringLiteral("Сохранить изменения?")), expected);
    QVERIFY(answered);
    // The box still offers only its two answers.
    QCOMPARE(visibleButtons.size(), 2);
}

void TestQtPrompts::chooseAnswers_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("expected");
    const auto click = [](int index) {
        return Action([index](QMessageBox* box) {
            QList<QAbstractButton*> shown;
            for (QAbstractButton* button : box->buttons())
                if (button->isVisible())
                    shown.append(button);
            QTest::mouseClick(shown.at(index), Qt::LeftButton);
        });
    };
    QTest::newRow("first") << click(0) << 0;
    QTest::newRow("last") << click(2) << 2;
    QTest::newRow("escape") << Action([](QMessageBox* box) {
        QTest::keyClick(box, Qt::Key_Escape);
    }) << -1;
    QTest::newRow("close button") << Action([](QMessageBox* box) { box->close(); }) << -1;
}

void TestQtPrompts::chooseAnswers()
{
    QFETCH(Action, action);
    QFETCH(int, expected);
    const QStringList choices = {QStringLiteral("Раз"), QStringLiteral("Два"),
                                 QStringLiteral("Три")};
    QStringList visibleButtons;
    QString details;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        details = box->informativeText();
        for (QAbstractButton* button : box->buttons())
            if (button->isVisible())
                visibleButtons.append(button->text());
        action(box);
    });
    QtPrompts prompts;
    QCOMPARE(prompts.choose(nullptr, QStringLiteral("Что делать?"), choices,
                            QStringLiteral("Пояснение")),
             expected);
    QCOMPARE(details, QStringLiteral("Пояснение"));
    QCOMPARE(visibleButtons, choices);
}

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
