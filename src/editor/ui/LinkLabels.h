// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class RecordForm;

// The captions of the e-mail and web fields as links: underlined and blue
// under the mouse while their field holds an address, and a click opens it
// (a new mail, the browser).
class LinkLabels : public QObject
{
    Q_OBJECT

public:
    explicit LinkLabels(const RecordForm& form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Link {
        QLabel* label;
        QLineEdit* edit;
        QString scheme;
    };

    void linkEvent(const Link& link, QEvent* event);
    static void showLinkLook(QLabel* label, bool link);

    const RecordForm& m_form;
    QList<Link> m_links;
};
