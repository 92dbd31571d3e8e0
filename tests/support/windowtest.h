#pragma once

#include "mainwindow/frmmain.h"
#include "mainwindow/queuepanel.h"
#include "mainwindow/recordpanel.h"
#include "platform/appfolder.h"
#include "platform/prompts.h"
#include "platform/settingsstore.h"
#include "support/testsupport.h"

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

} // namespace TestSupport
