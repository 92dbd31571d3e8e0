#include "recordpanel.h"

#include "errors/handelerrors.h"
#include "mainwindow/statuspicture.h"
#include "platform/dates.h"
#include "records/addrecord.h"
#include "records/recordcommands.h"
#include "records/recordstatus.h"
#include "records/recordstore.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct FieldRow
{
    Field field;
    const char *caption;
    const char *name;
    bool multiLine;
};

// The fields beside the coloured caption column, top to bottom.
constexpr FieldRow kFieldRows[] = {
    {Field::CloseDate, "Close Date", "txtCloseDate", false},
    {Field::AuctionName, "Auction Name", "txtAuctionName", false},
    {Field::AuctionUrl, "Auction Number", "txtAuctionNumber", false},
    {Field::AuctionTotal, "Total Auction", "txtAuctionTotal", false},
    {Field::UserName, "User Name", "txtUserName", false},
    {Field::EmailAddress, "Email Address", "txtEmailAddress", false},
    {Field::Address, "Address", "txtAddress", true},
    {Field::Notes, "Notes", "txtNotes", true},
    {Field::TrackingNumber, "Tracking Number", "txtTrackingNumber", false},
};

// The dated flags' dates, shown beside their pictures.
constexpr FieldRow kDateRows[] = {
    {Field::InvoiceSentDate, "Invoice Sent Date", "txtInvoiceSentDate", false},
    {Field::PaymentMadeDate, "Payment Made Date", "txtPaymentMadeDate", false},
    {Field::ItemSentDate, "Item Sent Date", "txtItemSentDate", false},
};

// A text box gives its lines back ended by LF alone; the store and the files hold CR LF.
QString storedLines(QString edited)
{
    return edited.replace(u'\n', QLatin1String("\r\n"));
}

void setEditorText(QWidget *w, const QString &value)
{
    if (auto *line = qobject_cast<QLineEdit *>(w)) {
        if (line->text() != value)
            line->setText(value);
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(w)) {
        if (storedLines(text->toPlainText()) != value)
            text->setPlainText(value);
    }
}

} // namespace

RecordPanel::RecordPanel(RecordStore &store, QWidget *parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("RecordPanel"));
    setAccessibleName(QStringLiteral("Auction Records"));
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("RecordPanelContent"));
    auto *outer = new QVBoxLayout(m_content);
    auto *top = new QHBoxLayout;
    top->addWidget(buildFields(), 3);
    top->addWidget(buildStatus(), 2);
    outer->addLayout(top, 1);
    outer->addWidget(buildCommands());
    // Given less room than its controls need to be read, the panel scrolls rather than
    // squeezing them; moving the focus scrolls the focused control into view.
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("RecordPanelScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_content);
    auto *own = new QVBoxLayout(this);
    own->setContentsMargins(0, 0, 0, 0);
    own->addWidget(m_scroll);
    applyColour(RecordStatus::stateColour(RecordStatus::State::NotPaid));
}

QWidget *RecordPanel::buildFields()
{
    auto *box = new QWidget;
    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(4);
    // The coloured rectangle behind the captions; the captions sit on it.
    m_shape1 = new QFrame;
    m_shape1->setObjectName(QStringLiteral("Shape1"));
    m_shape1->setAutoFillBackground(true);
    const int rows = int(std::size(kFieldRows)) + 1;
    grid->addWidget(m_shape1, 0, 0, rows, 1);

    int row = 0;
    const auto addCaption = [&](const char *caption, QWidget *editor) {
        auto *label = new QLabel(QString::fromLatin1(caption));
        label->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(caption).remove(u' '));
        label->setContentsMargins(8, 0, 12, 0);
        label->setBuddy(editor);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        editor->setAccessibleName(label->text());
        m_colouredCaptions.append(label);
        grid->addWidget(label, row, 0, editor->inherits("QPlainTextEdit") ? Qt::AlignTop : Qt::Alignment());
        grid->addWidget(editor, row, 1);
        ++row;
    };
    for (const FieldRow &r : kFieldRows) {
        QWidget *editor;
        if (r.multiLine) {
            auto *text = new QPlainTextEdit;
            text->setTabChangesFocus(true);
            text->setMinimumHeight(58);
            text->setMinimumWidth(text->fontMetrics().averageCharWidth() * 28);
            const Field f = r.field;
            connect(text, &QPlainTextEdit::textChanged, this,
                    [this, f, text] { fieldEdited(f, storedLines(text->toPlainText())); });
            editor = text;
        } else {
            auto *line = new QLineEdit;
            // Room for a typical item title or address at any window size.
            line->setMinimumWidth(line->fontMetrics().averageCharWidth() * 28);
            const Field f = r.field;
            connect(line, &QLineEdit::textChanged, this,
                    [this, f](const QString &t) { fieldEdited(f, t); });
            editor = line;
        }
        editor->setObjectName(QString::fromLatin1(r.name));
        editor->installEventFilter(this);
        m_editors.insert(r.field, editor);
        addCaption(r.caption, editor);
    }
    m_editors[Field::CloseDate]->setToolTip(QStringLiteral("Double Click to Enter Date"));
    m_editors[Field::AuctionUrl]->setToolTip(QStringLiteral("Double Click to View Item"));
    m_editors[Field::TrackingNumber]->setToolTip(QStringLiteral("Double Click to Track"));

    m_site = new QComboBox;
    m_site->setObjectName(QStringLiteral("Combo5"));
    m_site->setEditable(true);
    m_site->setInsertPolicy(QComboBox::NoInsert);
    m_site->addItems({QStringLiteral("eBay"), QStringLiteral("Yahoo")});
    // Every change of the chooser's text, typed or picked, goes into the record at once.
    connect(m_site, &QComboBox::currentTextChanged, this, [this](const QString &t) {
        if (m_showing || !m_store.hasCurrent())
            return;
        trapErrors(QStringLiteral("Combo5_Change"), [&] { m_store.set(Field::AuctionSite, t); });
    });
    addCaption("Auction Site", m_site);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    grid->setRowStretch(7, 1);
    return box;
}

StatusPicture *RecordPanel::addPicture(QWidget *box, QGridLayout *grid, int row,
                                       const QString &name, const QString &caption)
{
    auto *picture = new StatusPicture(name, caption, box);
    auto *label = new ClickLabel(caption, box);
    label->setObjectName(name + QStringLiteral("_Caption"));
    label->setBuddy(picture);
    grid->addWidget(picture, row, 0);
    grid->addWidget(label, row, 1);
    connect(picture, &QAbstractButton::clicked, this, [this, name] { clickPicture(name); });
    connect(label, &ClickLabel::clicked, this, [this, name] { clickPicture(name); });
    m_pictures.insert(name, picture);
    return picture;
}

QWidget *RecordPanel::buildStatus()
{
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    // One box per table entry's box, in the order they first appear.
    QHash<QString, QGroupBox *> boxes;
    QHash<QGroupBox *, int> rows;
    for (const RecordStatus::Picture &p : RecordStatus::pictures()) {
        QGroupBox *box = boxes.value(p.box);
        if (!box) {
            box = new QGroupBox(p.group);
            box->setObjectName(QStringLiteral("fra") + p.box);
            box->setFlat(p.group.isEmpty());
            auto *grid = new QGridLayout(box);
            grid->setColumnStretch(1, 1);
            // Rows as close as the pictures allow: the whole column then fits a laptop's
            // screen beside the fields.
            grid->setVerticalSpacing(2);
            grid->setContentsMargins(9, 4, 9, 4);
            boxes.insert(p.box, box);
        }
        auto *grid = static_cast<QGridLayout *>(box->layout());
        const int row = rows.value(box);
        rows[box] = row + 1;
        addPicture(box, grid, row, p.name, p.caption);
        const auto dateField = RecordStatus::dateField(p.field);
        if (!dateField)
            continue;
        for (const FieldRow &d : kDateRows) {
            if (d.field != *dateField)
                continue;
            auto *date = new QLineEdit;
            date->setObjectName(QString::fromLatin1(d.name));
            date->setAccessibleName(QString::fromLatin1(d.caption));
            date->setToolTip(QStringLiteral("Double Click to Enter Date"));
            // Wide enough for any date; its caption stands beside it, filled or not.
            date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
            date->setMaximumWidth(std::max(120, date->minimumWidth()));
            auto *caption = new QLabel(QString::fromLatin1(d.caption), box);
            caption->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(d.caption).remove(u' '));
            caption->setBuddy(date);
            date->installEventFilter(this);
            const Field f = d.field;
            connect(date, &QLineEdit::textChanged, this, [this, f](const QString &t) { fieldEdited(f, t); });
            m_editors.insert(d.field, date);
            grid->addWidget(caption, row, 2, Qt::AlignRight);
            grid->addWidget(date, row, 3);
        }
    }
    for (const char *box : {"Payment", "FollowUp", "Unpaid", "EmailNotices"})
        layout->addWidget(boxes.value(QString::fromLatin1(box)));

    auto *quick = new QWidget;
    auto *quickGrid = new QGridLayout(quick);
    quickGrid->setContentsMargins(8, 0, 0, 0);
    quickGrid->setColumnStretch(1, 1);
    addPicture(quick, quickGrid, 0, QStringLiteral("Image13"), QStringLiteral("Quick Copy"));
    layout->addWidget(quick);
    layout->addStretch(1);
    return column;
}

QWidget *RecordPanel::buildCommands()
{
    auto *bar = new QWidget;
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);

    auto *searchLabel = new QLabel(QStringLiteral("Search For"));
    m_searchText = new QLineEdit;
    m_searchText->setObjectName(QStringLiteral("Text35"));
    m_searchText->setAccessibleName(QStringLiteral("Search For"));
    searchLabel->setBuddy(m_searchText);
    connect(m_searchText, &QLineEdit::returnPressed, this, [this] { search(); });
    m_searchField = new QComboBox;
    m_searchField->setObjectName(QStringLiteral("Combo2"));
    m_searchField->setAccessibleName(QStringLiteral("Search In"));
    m_searchField->addItems({QStringLiteral("User Name"), QStringLiteral("Email Address"),
                             QStringLiteral("Name/Address")});
    // A screen reader names a combo box by the field it holds; the label says what it picks.
    auto *inLabel = new QLabel(QStringLiteral("in"));
    inLabel->setAccessibleName(m_searchField->accessibleName());
    inLabel->setBuddy(m_searchField);
    auto *find = new QToolButton;
    find->setObjectName(QStringLiteral("Image23"));
    find->setAccessibleName(QStringLiteral("Search"));
    find->setToolTip(QStringLiteral("Search"));
    find->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(find, &QToolButton::clicked, this, [this] { search(); });
    row->addWidget(searchLabel);
    row->addWidget(m_searchText, 1);
    row->addWidget(inLabel);
    row->addWidget(m_searchField);
    row->addWidget(find);
    row->addSpacing(16);

    auto *arrows = new QGroupBox(QStringLiteral("Auction Records"));
    arrows->setObjectName(QStringLiteral("fraAuctionRecords"));
    auto *arrowRow = new QHBoxLayout(arrows);
    arrowRow->setContentsMargins(4, 2, 4, 2);
    const struct
    {
        const char *name;
        const char *caption;
        QStyle::StandardPixmap icon;
        void (RecordStore::*move)();
    } moves[] = {
        {"cmdFirst", "First Record", QStyle::SP_MediaSkipBackward, &RecordStore::moveFirst},
        {"cmdPrevious", "Previous Record", QStyle::SP_MediaSeekBackward, &RecordStore::movePrevious},
        {"cmdNext", "Next Record", QStyle::SP_MediaSeekForward, &RecordStore::moveNext},
        {"cmdLast", "Last Record", QStyle::SP_MediaSkipForward, &RecordStore::moveLast},
    };
    for (const auto &m : moves) {
        auto *b = new QToolButton;
        b->setObjectName(QString::fromLatin1(m.name));
        b->setAccessibleName(QString::fromLatin1(m.caption));
        b->setToolTip(QString::fromLatin1(m.caption));
        b->setIcon(style()->standardIcon(m.icon));
        const auto move = m.move;
        const bool forward = move == &RecordStore::moveNext;
        const bool back = move == &RecordStore::movePrevious;
        connect(b, &QToolButton::clicked, this, [this, move, forward, back] {
            // The arrows stop on the first and last record rather than leave the panel empty.
            if (m_store.recordCount() == 0 || (forward && m_store.position() >= m_store.recordCount() - 1) ||
                (back && m_store.position() <= 0))
                return;
            trapErrors(QStringLiteral("Data1_Reposition"), [&] { (m_store.*move)(); });
        });
        arrowRow->addWidget(b);
    }
    row->addWidget(arrows);
    row->addSpacing(16);

    auto *add = new QPushButton(QStringLiteral("Add"));
    add->setObjectName(QStringLiteral("Command6"));
    connect(add, &QPushButton::clicked, this, [this] { addRecord(); });
    auto *del = new QPushButton(QStringLiteral("Delete"));
    del->setObjectName(QStringLiteral("Command7"));
    connect(del, &QPushButton::clicked, this, [this] { deleteRecord(); });
    row->addWidget(add);
    row->addWidget(del);
    return bar;
}

void RecordPanel::fieldEdited(Field f, const QString &text)
{
    if (m_showing || !m_store.hasCurrent())
        return;
    trapErrors(QStringLiteral("Text_Change"), [&] { m_store.set(f, text); });
}

void RecordPanel::ShowRecordStatus()
{
    trapErrors(QStringLiteral("Sub_ShowRecordStatus"), [this] {
        const bool has = m_store.hasCurrent();
        {
            m_showing = true;
            for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
                setEditorText(it.value(), has ? m_store.get(it.key()) : QString());
                it.value()->setEnabled(has);
            }
            for (const RecordStatus::Picture &p : RecordStatus::pictures())
                m_pictures.value(p.name)->setOn(has && RecordStatus::isDrawnSet(m_store.get(p.field)));
            m_showing = false;
        }
        m_showing = true;
        const QString site = has ? m_store.get(Field::AuctionSite) : QString();
        m_site->setEditText(site.isEmpty() ? QStringLiteral("eBay") : site);
        m_showing = false;
        // An empty site reads as eBay, and is stored so once the record has been shown.
        if (has && site.isEmpty())
            m_store.set(Field::AuctionSite, QStringLiteral("eBay"));
        applyColour(RecordStatus::stateColour(
            has ? RecordStatus::state(m_store.recordAt(m_store.position()))
                : RecordStatus::State::NotPaid));
    });
}

QSize RecordPanel::neededSize() const
{
    return m_content->minimumSizeHint().grownBy(m_scroll->contentsMargins());
}

QList<QWidget *> RecordPanel::surfaces() const
{
    QList<QWidget *> out{const_cast<RecordPanel *>(this), m_scroll->viewport(), m_content, m_shape1};
    for (QLabel *caption : m_colouredCaptions)
        out.append(caption);
    // The boxes of the fields and of the status pictures, whose margins are the gaps.
    for (QWidget *w : m_content->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        out.append(w);
    return out;
}

void RecordPanel::applyColour(unsigned rgb)
{
    m_colour = rgb;
    const QColor back = QColor::fromRgb(rgb);
    const QColor text = back.lightness() > 140 ? QColor(Qt::black) : QColor(Qt::white);
    QPalette pal = m_shape1->palette();
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::WindowText, text);
    m_shape1->setPalette(pal);
    for (QLabel *l : m_colouredCaptions) {
        l->setAutoFillBackground(true);
        l->setPalette(pal);
    }
}

bool RecordPanel::quickCopy() const { return m_pictures.value(QStringLiteral("Image13"))->isOn(); }
void RecordPanel::setQuickCopy(bool on) { m_pictures.value(QStringLiteral("Image13"))->setOn(on); }

void RecordPanel::clickPicture(const QString &name)
{
    if (name == QLatin1String("Image13")) {
        setQuickCopy(!quickCopy());
        return;
    }
    const RecordStatus::Picture *p = RecordStatus::picture(name);
    if (!p || !m_store.hasCurrent())
        return;
    // Redrawing after every click costs nothing and keeps the dates beside the pictures
    // current; the colour only changes for the clicks that affect it.
    trapErrors(name + QStringLiteral("_Click"), [&] {
        RecordStatus::click(m_store, p->field, today());
        ShowRecordStatus();
    });
}

void RecordPanel::addRecord()
{
    // The new record is shown once its fields are filled, not when it is first appended.
    trapErrors(QStringLiteral("Add Record"), [this] { Records::addRecord(m_store, quickCopy()); });
    ShowRecordStatus();
}

void RecordPanel::copyRecord()
{
    setQuickCopy(true);
    addRecord();
}

void RecordPanel::deleteRecord()
{
    trapErrors(QStringLiteral("Delete Record"), [this] {
        RecordCommands::deleteRecord(m_store);
        if (!m_store.hasCurrent())
            ShowRecordStatus();
    });
}

void RecordPanel::moveBack()
{
    trapErrors(QStringLiteral("Move Back"), [this] { RecordCommands::moveBack(m_store); });
}

void RecordPanel::moveForward()
{
    trapErrors(QStringLiteral("Move Forward"), [this] { RecordCommands::moveForward(m_store); });
}

bool RecordPanel::search()
{
    bool found = false;
    trapErrors(QStringLiteral("Search Record"), [this, &found] {
        found = RecordCommands::search(m_store, m_searchField->currentText(), m_searchText->text());
    });
    if (!found)
        emit statusMessage(QStringLiteral("No matching record."));
    return found;
}

bool RecordPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    const Field *field = nullptr;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it) {
        if (it.value() == watched)
            field = &it.key();
    }
    if (!field || !m_store.hasCurrent())
        return QWidget::eventFilter(watched, event);
    switch (*field) {
    case Field::CloseDate:
        setEditorText(m_editors.value(Field::CloseDate), Dates::shortDateText(today()));
        return true;
    case Field::InvoiceSentDate: clickPicture(QStringLiteral("Image1")); return true;
    case Field::PaymentMadeDate: clickPicture(QStringLiteral("Image2")); return true;
    case Field::ItemSentDate: clickPicture(QStringLiteral("Image7")); return true;
    case Field::AuctionUrl: emit itemPageRequested(m_store.get(Field::AuctionUrl)); return true;
    case Field::TrackingNumber:
        emit trackingMenuRequested(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        return true;
    default: return QWidget::eventFilter(watched, event);
    }
}
