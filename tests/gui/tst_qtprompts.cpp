// SPDX-License-Identifier: MIT
#include "common/QtPrompts.h"

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

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
