#pragma once

#include "mainwindow/frmmain.h"
#include "mainwindow/queuepanel.h"
#include "mainwindow/recordpanel.h"
#include "platform/appfolder.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace TestSupport {

// The day every window test runs on.
inline const QDate kWindowToday(2026, 3, 15);

// The main window on a fresh application folder, loaded for a fixed today, shown at a
// desktop size, with every question answered from a script.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppFolder::seed(folder.path());
        setPrompts(&scripted);
    }
    void TearDown() override
    {
        win.reset();
        setPrompts(nullptr);
    }
    // Runs between creating the window and loading it.
    virtual void beforeLoad() {}

    FrmMain &load()
    {
        win = std::make_unique<FrmMain>(store, settings, folder.path());
        win->setTodayProvider([] { return kWindowToday; });
        win->recordPanel()->setTodayProvider([] { return kWindowToday; });
        beforeLoad();
        EXPECT_TRUE(win->Form_Load());
        if (quietLoad) {
            EXPECT_TRUE(scripted.asked().isEmpty());
        } else {
            // Offline and with no mail account the load reports both; most tests are not
            // about that.
            scripted.clear();
        }
        win->resize(1280, 800);
        win->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(win.get()));
        return *win;
    }
    template <typename T = QWidget>
    T *find(const char *name) const
    {
        T *w = win->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    TempFolder folder;
    SettingsStore settings{folder.file("settings.ini")};
    RecordStore store;
    ScriptedPrompts scripted;
    std::unique_ptr<FrmMain> win;
    bool quietLoad = false; // the load must ask nothing
};

// The buyers a list panel shows, top to bottom.
inline QStringList usersOf(const QueuePanel *panel)
{
    QStringList users;
    for (int r = 0; r < panel->model()->rowCount(); ++r)
        users << panel->model()->row(r).userName;
    return users;
}

// What the main window's status bar says now.
inline QString statusOf(const QWidget *window)
{
    const auto *status = window->findChild<QLabel *>(QStringLiteral("sbStatusBar_Status"));
    EXPECT_NE(status, nullptr);
    return status ? status->text() : QString();
}

// An unpaid, invoiced sale `age` days after its close: "lot of USER", item "9AGE", mailed at
// USER@example.com; `more` is set on top.
inline void addUnpaid(RecordStore &store, const char *user, int age, FieldList more = {})
{
    addRecord(store, {{Field::UserName, user},
                      {Field::AuctionName, QString("lot of ") + user},
                      {Field::AuctionUrl, QString("9") + QString::number(age)},
                      {Field::EmailAddress, QString(user) + "@example.com"},
                      {Field::InvoiceSent, "1"},
                      {Field::CloseDate, daysAgo(kWindowToday, age)}});
    for (const auto &[f, v] : more)
        store.set(f, v);
    store.flush();
}

// A paid sale of `lot`, shipped `sentAge` days ago, its buyer at USER@example.com.
inline void addShipped(RecordStore &store, const char *user, const char *lot, int sentAge)
{
    addRecord(store, {{Field::UserName, user},
                      {Field::AuctionName, lot},
                      {Field::EmailAddress, QString(user) + "@example.com"},
                      {Field::InvoiceSent, "1"},
                      {Field::PaymentMade, "1"},
                      {Field::ItemSent, "1"},
                      {Field::ItemSentDate, daysAgo(kWindowToday, sentAge)}});
}

// Everything the prompts were asked, oldest first, each as "title: text".
inline QStringList askedOf(const ScriptedPrompts &prompts)
{
    QStringList out;
    for (const ScriptedPrompts::Asked &a : prompts.asked())
        out << a.title + ": " + a.text;
    return out;
}

// One field of a record as a later run reads it from the store file.
inline QString storedField(const QString &dbPath, int record, Field f)
{
    const std::vector<FieldValues> records = TestSupport::storedValues(dbPath);
    if (size_t(record) >= records.size()) {
        ADD_FAILURE() << "no record " << record << " in the store file";
        return {};
    }
    return records[size_t(record)][size_t(Fields::index(f))];
}

// A window test whose records are in the store before the window loads.
class FilledWindowTest : public WindowTest
{
protected:
    // `fill` adds them through the store, opened on the folder's file for it.
    FrmMain &loadAfter(const std::function<void()> &fill)
    {
        store.open(folder.dbPath());
        fill();
        store.close();
        return load();
    }
    FrmMain &loadWith(std::initializer_list<FieldList> records)
    {
        return loadAfter([&] {
            for (const FieldList &r : records)
                addRecord(store, r);
        });
    }
};

// The texts a combo box offers, top to bottom.
inline QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace TestSupport
