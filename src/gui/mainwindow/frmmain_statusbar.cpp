// The main window's status bar: the online picture, the status text, the blinking Reminder
// panel, the date with its calendar and the time.

#include "frmmain.h"

#include "windows/frmnotes.h"
#include "platform/dates.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

void FrmMain::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setMouseTracking(true);
    m_onlinePicture = new QLabel;
    m_onlinePicture->setObjectName(QStringLiteral("sbStatusBar_Online"));
    bar->addPermanentWidget(m_onlinePicture);
    setOnlinePicture(false);
    m_statusText = new QLabel(QStringLiteral("Status"));
    m_datePanel = new QLabel;
    m_timePanel = new QLabel;
    // The Reminder panel: its picture, which blinks, and its caption beside it.
    auto *reminder = new QFrame;
    m_reminderPanel = new QLabel(reminder);
    m_reminderPanel->setObjectName(QStringLiteral("sbStatusBar_Reminder"));
    m_reminderPanel->setMouseTracking(true);
    auto *caption = new QLabel(QStringLiteral("Reminder"), reminder);
    caption->setObjectName(QStringLiteral("sbStatusBar_ReminderCaption"));
    caption->setMouseTracking(true);
    auto *row = new QHBoxLayout(reminder);
    row->setContentsMargins(3, 0, 3, 0);
    row->setSpacing(4);
    row->addWidget(m_reminderPanel);
    row->addWidget(caption);
    const char *names[] = {"sbStatusBar_Status", "sbStatusBar_ReminderPanel", "sbStatusBar_Date",
                           "sbStatusBar_Time"};
    m_statusPanels = {m_statusText, reminder, m_datePanel, m_timePanel};
    for (int i = 0; i < 4; ++i) {
        QFrame *panel = m_statusPanels[size_t(i)];
        panel->setObjectName(QString::fromLatin1(names[i]));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setMouseTracking(true);
        bar->addPermanentWidget(panel, i == 0 ? 1 : 0);
    }
    m_reminderPanel->setAccessibleName(QStringLiteral("Reminder"));
    setReminderPicture(false);
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &FrmMain::updateClock);
    m_clock->start();
    updateClock();
}

void FrmMain::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_datePanel->setText(Dates::shortDateText(now.date()));
    m_timePanel->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
}

void FrmMain::setReminderPicture(bool alert)
{
    m_reminderAlert = alert;
    const QIcon &icon = alert ? m_alertIcon : m_normalIcon;
    m_reminderPanel->setPixmap(icon.pixmap(16, 16));
    m_reminderPanel->setToolTip(QStringLiteral("Reminder"));
}

void FrmMain::setRemindersLookedAt() { m_remindersLookedAt = true; }

void FrmMain::startReminderBlink() { m_timer1->start(); }

void FrmMain::Timer1_Timer()
{
    if (m_remindersLookedAt) {
        setReminderPicture(false);
        setWindowIcon(m_normalIcon);
        m_timer1->stop();
    } else if (m_reminderAlert) {
        setReminderPicture(false);
        setWindowIcon(m_normalIcon);
    } else {
        setReminderPicture(true);
        setWindowIcon(m_alertIcon);
    }
}

void FrmMain::setOnlinePicture(bool on)
{
    m_onlinePicture->setPixmap(
        style()->standardIcon(on ? QStyle::SP_DialogApplyButton : QStyle::SP_DialogCancelButton)
            .pixmap(16, 16));
    m_onlinePicture->setAccessibleName(on ? QStringLiteral("Online") : QStringLiteral("Offline"));
    m_onlinePicture->setToolTip(m_onlinePicture->accessibleName());
}

void FrmMain::statusBarClick(int panel)
{
    ShowNotes(false);
    if (panel == 2) {
        CheckRemainders();
        ShowNotes(false);
        setRemindersLookedAt();
    } else if (panel == 3 && m_monthView->isHidden()) {
        m_monthView->adjustSize();
        const QSize size = m_monthView->sizeHint();
        const int barTop = m_client->mapFrom(this, statusBar()->mapTo(this, QPoint(0, 0))).y();
        // Kept inside the window when the pointer is near its right edge.
        const int left = std::clamp(pixels(m_mouseX - 300), 0,
                                    std::max(0, m_client->width() - size.width()));
        m_monthView->setGeometry(left, barTop - size.height(), size.width(), size.height());
        m_monthView->raise();
        m_monthView->show();
    }
}

void FrmMain::showStatus(const QString &text) { m_statusText->setText(text); }
