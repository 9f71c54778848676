// SPDX-License-Identifier: MIT
#include "editor/ui/LookupCombos.h"
#include "common/ui/Guard.h"
#include "editor/DefaultCity.h"
#include "editor/EditorSession.h"
#include "editor/ui/FieldChecks.h"
#include "editor/ui/RecordFormWidgets.h"

#include <QCollator>
#include <QComboBox>
#include <QLabel>
#include <algorithm>

LookupCombos::LookupCombos(QWidget* frame, const RecordFormWidgets& form, FieldChecks& checks,
                           const EditorSession& session)
    : m_frame(frame), m_form(form), m_checks(checks), m_session(session)
{
    setCityCaptionPlain();
}

void LookupCombos::load()
{
    m_form.CmbProf->clear();
    m_form.CmbCity->clear();
    m_profSorted = false;
    m_citySorted = false;
    setCityCaptionPlain();
    RecordStore records = m_session.store();
    m_form.CmbProf->addItems(records.profTitles());
    m_form.CmbProf->setEditText(QString());
    m_form.CmbCity->addItems(records.cityNames());
    showDefaultCity();
}

void LookupCombos::reload()
{
    QStringList titles;
    QStringList cities;
    if (!guarded(m_frame, [&] {
            RecordStore records = m_session.store();
            titles = records.profTitles();
            cities = records.cityNames();
        }))
        return;
    m_profSorted = false;
    m_citySorted = false;
    refill(m_form.CmbProf, titles);
    refill(m_form.CmbCity, cities);
}

void LookupCombos::showDefaultCity()
{
    m_form.CmbCity->setEditText(DefaultCity::name());
    setCityCaption(DefaultCity::code());
}

std::optional<QString> LookupCombos::leftText(QComboBox* combo)
{
    if (!m_checks.fits(combo, combo->currentText()) ||
        !m_checks.storable(combo, combo->currentText()))
        return std::nullopt;
    const QString text = RecordStore::trimmed(combo->currentText());
    combo->setEditText(text);
    return text;
}

void LookupCombos::profLeft()
{
    const std::optional<QString> title = leftText(m_form.CmbProf);
    if (!title || title->isEmpty())
        return;
    guarded(m_frame, [this, &title] {
        RecordStore records = m_session.store();
        if (records.profId(*title) != 0)
            return;
        records.addProf(*title);
        addSorted(m_form.CmbProf, *title, m_profSorted);
    });
}

void LookupCombos::cityEdited()
{
    const QString name = m_form.CmbCity->currentText();
    if (name.isEmpty())
        return;
    guarded(m_frame, [this, &name] {
        const std::optional<QString> code = m_session.store().cityCode(name);
        if (code)
            setCityCaption(*code);
        else
            setCityCaptionPlain();
    });
}

void LookupCombos::cityLeft()
{
    const std::optional<QString> left = leftText(m_form.CmbCity);
    if (!left)
        return;
    setCityCaptionPlain();
    const QString& name = *left;
    if (name.isEmpty())
        return;
    guarded(m_frame, [this, &name] {
        RecordStore records = m_session.store();
        if (const std::optional<QString> code = records.cityCode(name)) {
            setCityCaption(*code);
            return;
        }
        QString code;
        if (!Prompts::instance().getText(
                m_frame, QStringLiteral("Добавление города"),
                QStringLiteral("Введите код телефонов города ") + name + QLatin1Char(':'), code)) {
            setCityCaption(QString());
            return;
        }
        records.addCity(name, code);
        setCityCaption(code);
        addSorted(m_form.CmbCity, name, m_citySorted);
    });
}

void LookupCombos::setCityCaption(const QString& code)
{
    m_form.Label10->setText(QStringLiteral("Город (") + code + QLatin1Char(')'));
}

void LookupCombos::setCityCaptionPlain()
{
    m_form.Label10->setText(QStringLiteral("Город"));
}

void LookupCombos::addSorted(QComboBox* combo, const QString& text, bool& sorted)
{
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    if (!sorted) {
        std::stable_sort(items.begin(), items.end(), collator);
        sorted = true;
    }
    items.insert(std::upper_bound(items.begin(), items.end(), text, collator), text);
    refill(combo, items);
}

void LookupCombos::refill(QComboBox* combo, const QStringList& items)
{
    const QString typed = combo->currentText();
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(typed);
}
