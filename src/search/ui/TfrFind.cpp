// SPDX-License-Identifier: MIT
#include "search/ui/TfrFind.h"
#include "common/Clock.h"
#include "common/DbError.h"
#include "common/ui/Guard.h"
#include "report/UserDataSet.h"
#include "report/ui/Report.h"
#include "search/FoundModel.h"
#include "search/ListingQueries.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace
{

constexpr int RowHeight = 17;
constexpr int GridLeft = 3;
constexpr int GridTop = 39;
constexpr int GridWidth = 679;

// A directory listing grows with its rows up to 22 grid rows (the header
// counted), a birthday list up to 16; beyond that the grid scrolls.
int gridHeight(int rowCountWithHeader, int maxRows)
{
    return rowCountWithHeader >= maxRows ? 18 * maxRows + 3 : 18 * rowCountWithHeader + 3;
}

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void sortCities(QStringList& names)
{
    QCollator collator{QLocale(QLocale::Russian)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(),
              [&collator](const QString& a, const QString& b) { return collator(a, b); });
}

} // namespace

TfrFind::TfrFind(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("frFindMain"));
    resize(685, 442);
    m_model = new FoundModel(this);
    m_model->setObjectName(QStringLiteral("FoundModel"));
    createGrid();
    createControls();
    createReport();
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(RefreshDelay);
    connect(&m_refreshTimer, &QTimer::timeout, this, &TfrFind::refreshWhenIdle);
    setTabOrder(SGFindRes, EdtRequest);
    setTabOrder(EdtRequest, BtnAll);
    setTabOrder(BtnAll, CmbCity);
}

TfrFind::~TfrFind()
{
    // Focus leaving the combo while the window is torn down must not list.
    CmbCity->removeEventFilter(this);
    SGFindRes->removeEventFilter(this);
    SGFindRes->viewport()->removeEventFilter(this);
}

void TfrFind::createControls()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    // Only the lower part of the box shows: its top edge lies above the frame.
    GroupBox1->setGeometry(0, -4, 685, 40);

    Label1 = new QLabel(QStringLiteral("Поиск:"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 14, 44, 21);

    EdtRequest = new QLineEdit(GroupBox1);
    EdtRequest->setObjectName(QStringLiteral("EdtRequest"));
    EdtRequest->setGeometry(54, 13, 241, 23);

    BtnAll = new QPushButton(QStringLiteral("Все записи"), GroupBox1);
    BtnAll->setObjectName(QStringLiteral("BtnAll"));
    BtnAll->setGeometry(302, 12, 68, 25);

    CmbCity = new QComboBox(GroupBox1);
    CmbCity->setObjectName(QStringLiteral("CmbCity"));
    CmbCity->setEditable(true);
    // Typed text is looked up, never added to the list.
    CmbCity->setInsertPolicy(QComboBox::NoInsert);
    CmbCity->setGeometry(378, 13, 117, 23);
    CmbCity->hide();

    LblResult = new QLabel(QStringLiteral("Результат"), GroupBox1);
    LblResult->setObjectName(QStringLiteral("LblResult"));
    LblResult->setGeometry(520, 14, 160, 21);
    LblResult->hide();

    connect(EdtRequest, &QLineEdit::textChanged, this, &TfrFind::Search);
    connect(EdtRequest, &QLineEdit::textEdited, this, [this] { m_typed.start(); });
    connect(CmbCity->lineEdit(), &QLineEdit::textEdited, this, [this] { m_typed.start(); });
    connect(BtnAll, &QPushButton::clicked, this, &TfrFind::BtnAllClick);
    connect(CmbCity, &QComboBox::activated, this, &TfrFind::CmbCityExit);
    CmbCity->installEventFilter(this);
}

void TfrFind::createGrid()
{
    SGFindRes = new QTableView(this);
    SGFindRes->setObjectName(QStringLiteral("SGFindRes"));
    SGFindRes->setModel(m_model);
    SGFindRes->setGeometry(GridLeft, GridTop, GridWidth, gridHeight(1, 22));
    SGFindRes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGFindRes->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGFindRes->setSelectionMode(QAbstractItemView::SingleSelection);
    SGFindRes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SGFindRes->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SGFindRes->setWordWrap(false);
    SGFindRes->setCornerButtonEnabled(false);

    QHeaderView* rows = SGFindRes->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(RowHeight);
    rows->setDefaultSectionSize(RowHeight);

    QHeaderView* columns = SGFindRes->horizontalHeader();
    columns->setMinimumSectionSize(0);
    columns->setDefaultSectionSize(200);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    SGFindRes->setColumnHidden(FoundModel::IdColumn, true);
    SGFindRes->hide();

    // The header row plays the string grid's fixed row: a double click there
    // opens the current record too.
    connect(columns, &QHeaderView::sectionDoubleClicked, this, &TfrFind::SGFindResDblClick);
    SGFindRes->installEventFilter(this);
    SGFindRes->viewport()->installEventFilter(this);
}

void TfrFind::createReport()
{
    frUserDS = new UserDataSet(this);
    frUserDS->setObjectName(QStringLiteral("frUserDS"));
    repShort2 = new Report(this);
    repShort2->setObjectName(QStringLiteral("repShort2"));
    repShort2->setDataSet(frUserDS);
    // The template comes with the report engine's resources.
    repShort2->loadTemplate(QStringLiteral(":/report/list.rpt"));
    repShort2->onGetValue = [this](const QString& name, QVariant& value) {
        repShort2GetValue(name, value);
    };
}

ListingQueries TfrFind::queries() const
{
    return ListingQueries(m_db, m_user);
}

bool TfrFind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == CmbCity) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return CmbCityKeyDown(key->key(), key->modifiers());
        }
        if (event->type() == QEvent::FocusOut) {
            // Opening the drop-down list or switching windows is no exit.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                CmbCityExit();
        }
    } else if (watched == SGFindRes) {
        if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent*>(event)->key())) {
            SGFindResDblClick();
            return true;
        }
    } else if (watched == SGFindRes->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            SGFindResDblClick();
            return true;
        }
        if (event->type() == QEvent::Resize)
            setColumnWidths(SGFindRes->viewport()->width());
    }
    return QFrame::eventFilter(watched, event);
}

bool TfrFind::InitFind(const QSqlDatabase& db, const QString& user)
{
    m_db = db;
    m_user = user;
    const bool probed = guarded(this, [this] {
        if (queries().hasBirthdays(Clock::today()))
            showBirthdayCommands();
    });
    EdtRequest->setFocus();
    return LoadCities() && probed;
}

void TfrFind::showBirthdayCommands()
{
    emit birthdaysFound();
}

bool TfrFind::LoadCities()
{
    if (!ready())
        return false;
    QStringList names;
    if (!guarded(this, [&] { names = queries().cities(); }))
        return false;
    sortCities(names);
    CmbCity->clear();
    CmbCity->addItems(names);
    // Filling the list leaves the edit part empty.
    CmbCity->setCurrentIndex(-1);
    CmbCity->clearEditText();
    CmbCity->setVisible(!names.isEmpty());
    return true;
}

void TfrFind::Search()
{
    CmbCity->clearEditText();
    if (!ready())
        return;
    const QString text = ListingQueries::searchText(EdtRequest->text());
    if (text.size() < ListingQueries::MinSearchLength)
        return;
    QList<int> ids;
    if (!guarded(this, [&] { ids = queries().searchIds(text).value_or(QList<int>()); }))
        return;
    m_listing = {Listing::Kind::Search, text};
    ShowMe(std::move(ids));
}

void TfrFind::BtnAllClick()
{
    EdtRequest->clear();
    CmbCity->clearEditText();
    if (!ready())
        return;
    QList<int> ids;
    if (!guarded(this, [&] { ids = queries().allRecordIds(); }))
        return;
    m_listing = {Listing::Kind::All, QString()};
    ShowMe(std::move(ids));
}

void TfrFind::CmbCityExit()
{
    const QString city = CmbCity->currentText();
    if (city.isEmpty() || !ready())
        return;
    QList<int> ids;
    if (!guarded(this, [&] { ids = queries().cityIds(city); }))
        return;
    m_listing = {Listing::Kind::City, city};
    ShowMe(std::move(ids));
}

bool TfrFind::CmbCityKeyDown(int key, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift)
    if (!isEnter(key))
        return false;
    CmbCityExit();
    return true;
}

void TfrFind::btnBirthClick()
{
    EdtRequest->clear();
    CmbCity->clearEditText();
    if (!ready())
        return;
    const QDate today = Clock::today();
    QList<int> ids;
    if (!guarded(this, [&] { ids = queries().birthdayIds(today); }))
        return;
    m_listing = {Listing::Kind::Birthdays, QString()};
    LblResult->show();
    if (ids.isEmpty())
        showNothingFound();
    else
        showRows(std::move(ids), Layout::Birthdays);
}

void TfrFind::ShowMe(QList<int> ids)
{
    setPrintEnabled(false);
    LblResult->show();
    if (ids.isEmpty()) {
        showNothingFound();
        return;
    }
    showRows(std::move(ids), Layout::Directory);
    setPrintEnabled(true);
}

void TfrFind::showNothingFound()
{
    LblResult->setText(QStringLiteral("Найдено записей: 0"));
    SGFindRes->hide();
    m_model->clear();
}

void TfrFind::showRows(QList<int> ids, Layout layout)
{
    setListing(std::move(ids), layout);
    fitGrid();
    SGFindRes->setCurrentIndex(m_model->index(0, FoundModel::NameColumn));
    SGFindRes->scrollToTop();
}

void TfrFind::setListing(QList<int> ids, Layout layout)
{
    m_layout = layout;
    // The rows are made a page at a time as the grid shows them; the
    // listing is fixed by its ids.
    const ListingQueries listing = queries();
    if (layout == Layout::Birthdays)
        m_model->setListing(std::move(ids), FoundModel::birthdayHeader(),
                            [listing, today = Clock::today()](const QList<int>& page) {
                                return listing.birthdayRows(page, today);
                            });
    else
        m_model->setListing(
            std::move(ids), FoundModel::firmHeader(),
            [listing](const QList<int>& page) { return listing.directoryRows(page); });
}

// The grid shown with the height and column widths for its rows, and the
// count beside it.
void TfrFind::fitGrid()
{
    SGFindRes->setColumnHidden(FoundModel::IdColumn, true);
    SGFindRes->show();
    const int rowCount = m_model->rowCount() + 1;
    setGridHeight(rowCount);
    setColumnWidths(gridClientWidth());
    LblResult->setText(QStringLiteral("Найдено записей: %1").arg(rowCount - 1));
}

void TfrFind::setGridHeight(int rowCountWithHeader)
{
    const int maxRows = m_layout == Layout::Birthdays ? 16 : 22;
    SGFindRes->setGeometry(GridLeft, GridTop, GridWidth, gridHeight(rowCountWithHeader, maxRows));
}

// The grid's client width for its present height: the viewport's width once
// laid out, worked out here because the view lays itself out only later.
int TfrFind::gridClientWidth() const
{
    const int frame = 2 * SGFindRes->frameWidth();
    const QHeaderView* header = SGFindRes->horizontalHeader();
    const int headerHeight = header->isHidden() ? 0 : header->sizeHint().height();
    const int viewportHeight = SGFindRes->height() - frame - headerHeight;
    int width = SGFindRes->width() - frame;
    if (qint64(m_model->rowCount()) * RowHeight > viewportHeight)
        width -= SGFindRes->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                 SGFindRes->verticalScrollBar());
    return width;
}

void TfrFind::setColumnWidths(int clientWidth)
{
    const int w = clientWidth;
    const bool birthdays = m_layout == Layout::Birthdays;
    SGFindRes->setColumnWidth(FoundModel::IdColumn, 0);
    SGFindRes->setColumnWidth(FoundModel::NameColumn, birthdays ? w / 4 : 9 * w / 32);
    SGFindRes->setColumnWidth(FoundModel::SecondColumn, birthdays ? w / 4 : 7 * w / 32);
    SGFindRes->setColumnWidth(FoundModel::PhonesColumn, birthdays ? w / 2 - 4 : 16 * w / 32 - 4);
}

void TfrFind::setPrintEnabled(bool enabled)
{
    emit printableChanged(enabled);
}

void TfrFind::SGFindResDblClick()
{
    const QModelIndex current = SGFindRes->currentIndex();
    if (SGFindRes->isHidden() || !current.isValid())
        return;
    emit recordChosen(m_model->idAt(current.row()));
}

void TfrFind::RefreshList()
{
    const QString city = CmbCity->currentText();
    LoadCities();
    CmbCity->setEditText(city);
    if (SGFindRes->isHidden())
        return;
    if (!EdtRequest->text().isEmpty())
        Search();
    else if (m_model->secondHeader() == FoundModel::birthdayHeader())
        btnBirthClick();
    else if (!city.isEmpty())
        CmbCityExit();
    else
        BtnAllClick();
}

void TfrFind::directoryChanged()
{
    if (m_listing.kind == Listing::Kind::None || SGFindRes->isHidden())
        return;
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

// A dialog of the list (printing reads the grid's rows) is let finish first.
void TfrFind::refreshWhenIdle()
{
    if (userIsTyping() || QApplication::activeModalWidget())
        m_refreshTimer.start();
    else
        refreshListing();
}

bool TfrFind::userIsTyping() const
{
    return m_typed.isValid() && m_typed.elapsed() < TypingPause;
}

QList<int> TfrFind::listingIds(const Listing& listing) const
{
    switch (listing.kind) {
    case Listing::Kind::Search:
        return queries().searchIds(listing.text).value_or(QList<int>());
    case Listing::Kind::All:
        return queries().allRecordIds();
    case Listing::Kind::City:
        return queries().cityIds(listing.text);
    case Listing::Kind::Birthdays:
        return queries().birthdayIds(Clock::today());
    case Listing::Kind::None:
        break;
    }
    return {};
}

void TfrFind::refreshListing()
{
    if (!ready() || m_listing.kind == Listing::Kind::None || SGFindRes->isHidden())
        return;
    QList<int> ids;
    try {
        ids = listingIds(m_listing);
    } catch (const DbError&) {
        return; // nobody asked for this list: it stays as it was, the failure is logged
    }
    const QModelIndex current = SGFindRes->currentIndex();
    const int id = current.isValid() ? m_model->idAt(current.row()) : 0;
    const int row = current.isValid() ? current.row() : 0;
    const int topRow = std::max(SGFindRes->rowAt(0), 0);
    if (ids.isEmpty()) {
        showNothingFound();
        if (m_layout == Layout::Directory)
            setPrintEnabled(false);
        return;
    }
    setListing(std::move(ids), m_layout);
    fitGrid();
    keepPlace(id, row, topRow);
}

// After the grid was given its ids anew: the record that was selected stays
// selected, or the row at its place when it is gone; the same row stays on top.
void TfrFind::keepPlace(int id, int row, int topRow)
{
    const int count = m_model->rowCount();
    int kept = -1;
    for (int i = 0; id != 0 && i < count && kept < 0; ++i)
        if (m_model->idAt(i) == id)
            kept = i;
    if (kept < 0)
        kept = std::min(row, count - 1);
    SGFindRes->setCurrentIndex(m_model->index(kept, FoundModel::NameColumn));
    SGFindRes->doItemsLayout();
    SGFindRes->verticalScrollBar()->setValue(topRow);
}

void TfrFind::Button1Click()
{
    frUserDS->setRangeEndCount(SGFindRes->isHidden() ? 0 : m_model->rowCount());
    repShort2->showReport(this);
}

void TfrFind::repShort2GetValue(const QString& name, QVariant& value)
{
    const int row = frUserDS->recNo();
    if (name.contains(QLatin1String("fio")))
        value = m_model->text(row, FoundModel::NameColumn);
    if (name.contains(QLatin1String("pp")))
        value = m_model->text(row, FoundModel::SecondColumn);
    if (name.contains(QLatin1String("phone")))
        value = m_model->text(row, FoundModel::PhonesColumn);
}
