// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message box, input box and file box of the program goes through this
// seam, so tests can answer them. The default implementation shows Qt's dialogs.
class Prompts
{
public:
    enum class Answer { Yes, No, Closed };

    virtual ~Prompts() = default;

    // Warning with an OK button (every refused input).
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // Confirmation with Yes and No.
    virtual Answer confirm(QWidget* parent, const QString& text) = 0;
    // Information with an OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // Error box for a failure the user cannot fix here (database errors).
    virtual void error(QWidget* parent, const QString& text) = 0;
    // A question with the given answers as buttons, in that order; details
    // explain them under the text. Gives the index of the answer, or -1 when
    // the box was closed without one (Escape, the close button).
    virtual int choose(QWidget* parent, const QString& text, const QStringList& choices,
                       const QString& details) = 0;
    // Text input box; returns false when the user cancels.
    virtual bool getText(QWidget* parent, const QString& caption, const QString& label,
                         QString& text) = 0;
    // File boxes; an empty name when the user cancels. filter as Qt's file
    // dialogs take it ("vCard (*.vcf);;CSV (*.csv)").
    virtual QString openFileName(QWidget* parent, const QString& caption,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter) = 0;

    static Prompts& instance();
    // Installs another implementation (tests); nullptr restores the default.
    // The caller keeps ownership.
    static void install(Prompts* prompts);
};
