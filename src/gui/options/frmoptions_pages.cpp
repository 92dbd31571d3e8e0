#include "frmoptions.h"

#include "platform/clicklabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

using OptionFiles::List;

// The options window's five pages, each built once with its controls named as the option
// files and the tests know them.
namespace {

const char *const kListCaptions[] = {"Email Subjects", "Feed Back Notes", "Email Inputs",
                                     "Quick Internet Links"};
const char *const kListNames[] = {"optEmailSubjects", "optFeedBackNotes", "optEmailInputs",
                                  "optQuickInternetLinks"};

const char *const kReminderCaptions[] = {
    "Invoices Have not been sent Within", "Items Have not been Shipped Within",
    "FeedBack Has Not been Given Within", "Payment Has Not been Made Within"};
const char *const kReminderNames[] = {"Invoice", "Shipped", "FeedBack", "Payment"};

const char *const kOnExitCaptions[] = {"Send Invoices", "Send Payment Received",
                                       "Send Feed Back Given"};
const char *const kOnExitNames[] = {"Invoice", "Payment", "FeedBack"};

const char *const kLogCaptions[] = {"Keep Log File", "Every Day", "Every Week", "Every Month"};
const char *const kLogNames[] = {"KeepLogFile", "EveryDay", "EveryWeek", "EveryMonth"};

} // namespace

FrmOptions::LabelledCheck FrmOptions::makeCheck(const QString &name, const QString &caption,
                                                QWidget *parent)
{
    LabelledCheck c;
    c.box = new QCheckBox(parent);
    c.box->setObjectName(QStringLiteral("chk") + name);
    c.box->setAccessibleName(caption);
    c.label = new ClickLabel(caption, parent);
    c.label->setObjectName(QStringLiteral("lbl") + name);
    c.label->setBuddy(c.box);
    connect(c.label, &ClickLabel::clicked, c.box, &QCheckBox::toggle);
    return c;
}

namespace {

QHBoxLayout *row(QWidget *box, QWidget *label)
{
    auto *h = new QHBoxLayout;
    h->addWidget(box);
    h->addWidget(label);
    h->addStretch();
    return h;
}

} // namespace

QWidget *FrmOptions::buildUserInputs()
{
    auto *page = new QWidget;
    auto *choices = new QVBoxLayout;
    for (int i = 0; i < OptionFiles::ListCount; ++i) {
        const QString caption = QLatin1String(kListCaptions[i]);
        auto *radio = new QRadioButton(page);
        radio->setObjectName(QLatin1String(kListNames[i]));
        radio->setAccessibleName(caption);
        auto *label = new ClickLabel(caption, page);
        label->setObjectName(QStringLiteral("lbl") + QLatin1String(kListNames[i]).mid(3));
        label->setBuddy(radio);
        m_listChoices[size_t(i)] = radio;
        const auto list = List(i);
        connect(radio, &QRadioButton::clicked, this, [this, list] { chooseList(list); });
        connect(label, &ClickLabel::clicked, this, [this, list] { chooseList(list); });
        choices->addLayout(row(radio, label));
    }
    choices->addStretch();

    m_list = new QListWidget(page);
    m_list->setObjectName(QStringLiteral("lstItems"));
    m_list->setAccessibleName(QStringLiteral("Items"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const auto copyItem = [this](QListWidgetItem *item) {
        if (item)
            m_itemToAdd->setText(item->text());
    };
    // A click, or the arrow keys choosing an item; the focus arriving on the list only marks
    // an item current, which must not overwrite what the user is typing.
    connect(m_list, &QListWidget::itemClicked, this, copyItem);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this, copyItem] { copyItem(m_list->selectedItems().value(0)); });

    auto *itemLabel = new QLabel(QStringLiteral("Item To Add"), page);
    m_itemToAdd = new QLineEdit(page);
    m_itemToAdd->setObjectName(QStringLiteral("txtItemToAdd"));
    m_itemToAdd->setAccessibleName(QStringLiteral("Item To Add"));
    itemLabel->setBuddy(m_itemToAdd);

    auto *add = new QPushButton(QStringLiteral("Add"), page);
    add->setObjectName(QStringLiteral("cmdAdd"));
    connect(add, &QPushButton::clicked, this, &FrmOptions::addItem);
    auto *del = new QPushButton(QStringLiteral("Delete"), page);
    del->setObjectName(QStringLiteral("cmdDelete"));
    connect(del, &QPushButton::clicked, this, &FrmOptions::deleteItem);
    auto *clear = new QPushButton(QStringLiteral("Clear"), page);
    clear->setObjectName(QStringLiteral("cmdClear"));
    connect(clear, &QPushButton::clicked, m_itemToAdd, &QLineEdit::clear);

    auto *grid = new QGridLayout(page);
    grid->addLayout(choices, 0, 0, 4, 1);
    grid->addWidget(m_list, 0, 1, 1, 3);
    grid->addWidget(itemLabel, 1, 1, 1, 3);
    grid->addWidget(m_itemToAdd, 2, 1, 1, 3);
    grid->addWidget(add, 3, 1);
    grid->addWidget(del, 3, 2);
    grid->addWidget(clear, 3, 3);
    return page;
}

QWidget *FrmOptions::buildReminders()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Number of Days"), page), 0, 2);
    for (int i = 0; i < 4; ++i) {
        const QString caption = QLatin1String(kReminderCaptions[i]);
        const QString name = QLatin1String(kReminderNames[i]);
        LabelledCheck c = makeCheck(name + QStringLiteral("Reminder"), caption, page);
        auto *days = new QLineEdit(QStringLiteral("1"), page);
        days->setObjectName(QStringLiteral("txt") + name + QStringLiteral("Days"));
        days->setAccessibleName(caption + QStringLiteral(", Number of Days"));
        days->setMaximumWidth(60);
        connect(c.box, &QCheckBox::toggled, this, &FrmOptions::SaveReminders);
        connect(days, &QLineEdit::textChanged, this, &FrmOptions::SaveReminders);
        grid->addWidget(c.box, i + 1, 0);
        grid->addWidget(c.label, i + 1, 1);
        grid->addWidget(days, i + 1, 2);
        m_reminderChecks[size_t(i)] = c;
        m_reminderDays[size_t(i)] = days;
    }
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget *FrmOptions::buildOnExit()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    for (int i = 0; i < 3; ++i) {
        const QString caption = QLatin1String(kOnExitCaptions[i]);
        const QString name = QLatin1String(kOnExitNames[i]);
        LabelledCheck c = makeCheck(QStringLiteral("Send") + name, caption, page);
        connect(c.box, &QCheckBox::toggled, this, &FrmOptions::SaveOnExit);
        connect(c.box, &QCheckBox::toggled, this, &FrmOptions::showTemplateWarnings);

        auto *templates = new QListWidget(page);
        templates->setObjectName(QStringLiteral("lst") + name + QStringLiteral("Templates"));
        templates->setAccessibleName(caption + QStringLiteral(", Template"));
        templates->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(templates, &QListWidget::itemSelectionChanged, this, &FrmOptions::SaveOnExit);
        connect(templates, &QListWidget::itemSelectionChanged, this,
                &FrmOptions::showTemplateWarnings);
        auto *warning =
            new QLabel(QStringLiteral("No template chosen: nothing is sent on closing."), page);
        warning->setObjectName(QStringLiteral("lbl") + name + QStringLiteral("NoTemplate"));
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #b00000;"));
        warning->setVisible(false);

        auto *subject = new QComboBox(page);
        subject->setObjectName(QStringLiteral("cbo") + name + QStringLiteral("Subject"));
        subject->setAccessibleName(caption + QStringLiteral(", Subject"));
        subject->setEditable(true);
        subject->setInsertPolicy(QComboBox::NoInsert);
        subject->addItem(OptionFiles::OnExit::defaultSubject(i));
        connect(subject, &QComboBox::editTextChanged, this, &FrmOptions::SaveOnExit);
        // A screen reader names a combo box by the text it holds; its label says what it is.
        auto *subjectLabel = new QLabel(QStringLiteral("Subject"), page);
        subjectLabel->setAccessibleName(subject->accessibleName());
        subjectLabel->setBuddy(subject);

        grid->addLayout(row(c.box, c.label), 0, i);
        grid->addWidget(templates, 1, i);
        grid->addWidget(subjectLabel, 2, i);
        grid->addWidget(subject, 3, i);
        grid->addWidget(warning, 4, i);
        m_noTemplate[size_t(i)] = warning;
        m_onExitChecks[size_t(i)] = c;
        m_templateLists[size_t(i)] = templates;
        m_subjects[size_t(i)] = subject;
    }
    m_sendErrorLog =
        makeCheck(QStringLiteral("SendErrorLog"), QStringLiteral("Send Error Log"), page);
    connect(m_sendErrorLog.box, &QCheckBox::toggled, this, &FrmOptions::SaveOnExit);
    grid->addLayout(row(m_sendErrorLog.box, m_sendErrorLog.label), 5, 0, 1, 3);
    return page;
}

QWidget *FrmOptions::buildLogFiles()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    for (int i = 0; i < 4; ++i) {
        LabelledCheck c =
            makeCheck(QLatin1String(kLogNames[i]), QLatin1String(kLogCaptions[i]), page);
        if (i == 0)
            connect(c.box, &QCheckBox::toggled, this, &FrmOptions::keepLogFileToggled);
        else
            connect(c.box, &QCheckBox::toggled, this, &FrmOptions::SaveLogFile);
        v->addLayout(row(c.box, c.label));
        m_logChecks[size_t(i)] = c;
    }
    v->addStretch();
    return page;
}

QWidget *FrmOptions::buildErrorChecking()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    m_keepLog = makeCheck(QStringLiteral("KeepLog"), QStringLiteral("Keep a Log"), page);
    m_sendError =
        makeCheck(QStringLiteral("SendError"), QStringLiteral("Send Error Report on Error"), page);
    for (const LabelledCheck &c : {m_keepLog, m_sendError}) {
        connect(c.box, &QCheckBox::toggled, this, &FrmOptions::SaveErrorChecking);
        v->addLayout(row(c.box, c.label));
    }
    auto *view = new QPushButton(QStringLiteral("View Error Log"), page);
    view->setObjectName(QStringLiteral("cmdViewErrorLog"));
    connect(view, &QPushButton::clicked, this, &FrmOptions::viewErrorLog);
    auto *links = new ClickLabel(QStringLiteral("Online Error Reports Links"), page);
    links->setObjectName(QStringLiteral("lblErrorReportsLinks"));
    links->setAccessibleName(links->text());
    links->makeLink();
    links->setCursor(Qt::PointingHandCursor);
    QFont linkFont = links->font();
    linkFont.setUnderline(true);
    links->setFont(linkFont);
    // White on a blue ground, black while the pointer is over it.
    links->setAutoFillBackground(true);
    links->setMargin(3);
    m_reportsLink = links;
    setLinkColour(Qt::white);
    links->installEventFilter(this);
    connect(links, &ClickLabel::clicked, this, [this] {
        if (m_openReports)
            m_openReports();
    });
    auto *h = new QHBoxLayout;
    h->addWidget(view);
    h->addWidget(links);
    h->addStretch();
    v->addLayout(h);
    v->addStretch();
    return page;
}
