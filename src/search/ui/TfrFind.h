// SPDX-License-Identifier: MIT
#pragma once

#include "search/FoundRow.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QList>
#include <QSqlDatabase>
#include <QTimer>
#include <QVariant>

class FoundModel;
class ListingQueries;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class Report;
class UserDataSet;

// The search view: lists the records the current user may see, by search
// text, all, by city, or by birthday, in one grid that is also printed. It
// tells the window around it what happened through its signals.
class TfrFind : public QFrame
{
    Q_OBJECT

public:
    explicit TfrFind(QWidget* parent = nullptr);
    ~TfrFind() override;

    // Prepares the view for the user who signed in: the birthday probe and
    // the city list. False when a statement failed (its error box has been
    // shown).
    bool InitFind(const QSqlDatabase& db, const QString& user);
    bool LoadCities();
    void Search();
    void BtnAllClick();
    void CmbCityExit();
    // Enter runs the city listing; returns whether the key was used.
    bool CmbCityKeyDown(int key, Qt::KeyboardModifiers shift);
    void btnBirthClick();
    void SGFindResDblClick();
    void RefreshList();
    // Another workstation changed the directory: the listing shown is made
    // again shortly, once the user is not typing a search.
    void directoryChanged();
    // Makes the listing shown again from its query, keeping the selected
    // record (or, when it is gone, the row at its place) and the top row.
    void refreshListing();
    void Button1Click();
    void repShort2GetValue(const QString& name, QVariant& value);

    // The listing the grid shows (also what is printed).
    const FoundModel* foundModel() const { return m_model; }

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdtRequest = nullptr;
    QPushButton* BtnAll = nullptr;
    QComboBox* CmbCity = nullptr;
    QLabel* LblResult = nullptr;
    QTableView* SGFindRes = nullptr;
    UserDataSet* frUserDS = nullptr;
    Report* repShort2 = nullptr;

signals:
    // The user opened a row of the list (double click or Enter).
    void recordChosen(int id);
    // A listing started (false) or showed its rows (true).
    void printableChanged(bool printable);
    // The probe after login found birthdays in the next three days.
    void birthdaysFound();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Layout { Directory, Birthdays };
    // What the grid lists, so that it can be listed again.
    struct Listing {
        enum class Kind { None, Search, All, City, Birthdays };
        Kind kind = Kind::None;
        QString text; // the search text or the city
    };

    // A change is listed this long after it was told, and no sooner than
    // this long after the user's last key in the search box or city combo.
    static constexpr int RefreshDelay = 500; // ms
    static constexpr int TypingPause = 1500; // ms

    void createControls();
    void createGrid();
    void createReport();
    bool ready() const { return m_db.isValid(); }
    ListingQueries queries() const;

    // Fills the grid with a listing of search, all records or one city.
    void ShowMe(QList<int> ids);
    void showNothingFound();
    void showRows(QList<int> ids, Layout layout);
    void setListing(QList<int> ids, Layout layout);
    void fitGrid();
    QList<int> listingIds(const Listing& listing) const;
    void refreshWhenIdle();
    bool userIsTyping() const;
    void keepPlace(int id, int row, int topRow);
    void setGridHeight(int rowCountWithHeader);
    int gridClientWidth() const;
    void setColumnWidths(int clientWidth);
    void setPrintEnabled(bool enabled);
    void showBirthdayCommands();

    QSqlDatabase m_db;
    QString m_user;
    FoundModel* m_model = nullptr;
    Layout m_layout = Layout::Directory;
    Listing m_listing;
    QTimer m_refreshTimer;
    QElapsedTimer m_typed;
};
