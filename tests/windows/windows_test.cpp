#include "errors/handelerrors.h"
#include "platform/appfolder.h"
#include "platform/busycursor.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "support/testsupport.h"
#include "windows/frmabout.h"
#include "windows/frmhelpballon.h"
#include "windows/frmnotes.h"
#include "windows/frmsplash.h"
#include "windows/help.h"
#include "windows/skinform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <stdexcept>

using TestSupport::TempFolder;

namespace {

// Every test answers its questions from a script and checks what was asked.
class AuxWindows : public ::testing::Test
{
protected:
    void SetUp() override { setPrompts(&scripted); }
    void TearDown() override { setPrompts(nullptr); }

    QStringList messagesAsked() const
    {
        QStringList out;
        for (const auto &a : scripted.asked())
            if (a.kind == ScriptedPrompts::Asked::Message)
                out.append(a.text);
        return out;
    }

    ScriptedPrompts scripted;
};

QPushButton *buttonWithText(QWidget *w, const QString &text)
{
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

// An executable file (or a plain one) in `folder`.
void makeTool(const QString &folder, const QString &name, bool executable = true)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    ASSERT_TRUE(TestSupport::writeBytes(path, "#!/bin/sh\nexit 0\n"));
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        p |= QFile::ExeOwner;
    QFile::setPermissions(path, p);
}

// Catches what the program hands to the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

// ---------------------------------------------------------------------------
// The notes window, the help balloon and the splash

TEST_F(AuxWindows, NotesKeepTheirLinesInOrderUntilOKWithEveryControlOnTheSkin)
{
    FrmNotes notes;
    QSignalSpy closed(&notes, &FrmNotes::closedByUser);
    const QStringList lines{"2 Invoices to send", "1 Item to ship", "", "2 Invoices to send"};
    for (const QString &l : lines)
        notes.addLine(l);
    EXPECT_EQ(notes.findChild<QListWidget *>("List1")->count(), 4);

    // Hiding is not closing: the lines wait for the next showing, modal or not.
    notes.showModeless();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&notes));
    notes.hide();
    notes.showModal();
    buttonWithText(&notes, "Auto Complete")->click();
    EXPECT_TRUE(notes.isVisible());
    EXPECT_EQ(notes.lines(), lines);
    EXPECT_EQ(closed.count(), 0);

    buttonWithText(&notes, "O.K")->click();
    EXPECT_FALSE(notes.isVisible());
    EXPECT_EQ(notes.lineCount(), 0);
    EXPECT_EQ(closed.count(), 1);

    // Escape is the same way out.
    notes.addLine("1 Feed Back to leave");
    notes.showModal();
    QTest::keyClick(&notes, Qt::Key_Escape);
    EXPECT_FALSE(notes.isVisible());
    EXPECT_EQ(notes.lineCount(), 0);
    EXPECT_EQ(closed.count(), 2);
    EXPECT_EQ(notes.mask(), SkinForm::regionFromSkin(SkinForm::loadSkin(":/skins/notes.png")));
    for (QWidget *w : notes.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(notes.mask().contains(w->geometry().topLeft()) &&
                    notes.mask().contains(w->geometry().bottomRight()))
            << w->objectName().toStdString();
    }
}

TEST_F(AuxWindows, TheBalloonShowsItsTextModallyUntilClose)
{
    QString shown;
    bool modal = false;
    // Runs inside the balloon's own event loop; a missing balloon fails instead of hanging.
    QTimer::singleShot(0, [&] {
        auto *balloon = qobject_cast<FrmHelpBallon *>(QApplication::activeModalWidget());
        if (!balloon) {
            ADD_FAILURE() << "no modal balloon";
            QApplication::closeAllWindows();
            return;
        }
        shown = balloon->text();
        modal = balloon->isModal();
        buttonWithText(balloon, "Close")->click();
    });
    FrmHelpBallon::ShowHelpBallon(QStringLiteral("Press Shift and click a control\r\nfor help."));
    EXPECT_EQ(shown.split(QRegularExpression("\\R")),
              QStringList({"Press Shift and click a control", "for help."}));
    EXPECT_TRUE(modal);
    for (QWidget *w : QApplication::topLevelWidgets()) // closed means gone
        EXPECT_EQ(qobject_cast<FrmHelpBallon *>(w), nullptr);
}

TEST_F(AuxWindows, TheSplashIsUpWhileTheMainWindowLoadsAndReportsAFailedLoad)
{
    FrmSplash splash;
    bool upDuringLoad = false;
    EXPECT_TRUE(splash.Form_Load([&] { return upDuringLoad = splash.isVisible(); }));
    EXPECT_TRUE(upDuringLoad);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(scripted.asked().isEmpty());

    EXPECT_FALSE(splash.Form_Load([]() -> bool { throw std::runtime_error("database gone"); }));
    ASSERT_EQ(messagesAsked().size(), 1);
    EXPECT_TRUE(messagesAsked()[0].contains("frmSplash-Load"));
    EXPECT_TRUE(messagesAsked()[0].contains("database gone"));
    EXPECT_FALSE(splash.isVisible());
}

// ---------------------------------------------------------------------------
// The about window and the system information tool

TEST(SystemInfoLookup, TheFirstCandidateFoundAsAnExecutableInANamedFolderWins)
{
    TempFolder dir;
    const QString a = dir.file("a"), b = dir.file("b"), plain = dir.file("plain");
    makeTool(a, "kinfocenter");
    makeTool(b, "hardinfo");
    makeTool(b, "kinfocenter");
    const QString path = a + ":" + b;
    // The order of the candidates counts before the order of the folders.
    EXPECT_EQ(findSystemInfoTool({"hardinfo", "gnome-system-monitor", "kinfocenter"}, path),
              QDir(b).filePath("hardinfo"));
    EXPECT_EQ(findSystemInfoTool({"gnome-system-monitor", "kinfocenter"}, path),
              QDir(a).filePath("kinfocenter"));
    EXPECT_EQ(findSystemInfoTool({"gnome-system-monitor"}, path), "");
    EXPECT_EQ(findSystemInfoTool({}, path), "");

    // A plain file or a folder of the name is no tool.
    makeTool(plain, "hardinfo", false);
    QDir().mkpath(dir.file("folders/hardinfo"));
    EXPECT_EQ(findSystemInfoTool({"hardinfo"}, plain + ":" + dir.file("folders")), "");
    // An empty PATH, or empty entries in it, never mean the working folder, nor does a name
    // with a folder in it reach outside the PATH.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(b));
    EXPECT_EQ(findSystemInfoTool({"hardinfo"}, ""), "");
    EXPECT_EQ(findSystemInfoTool({"hardinfo"}, "::" + plain + ":"), "");
    EXPECT_EQ(findSystemInfoTool({"./hardinfo", b + "/hardinfo"}, plain), "");
    QDir::setCurrent(before);
}

TEST_F(AuxWindows, SystemInfoSaysWhenThereIsNoTool)
{
    TempFolder dir;
    FrmAbout about;
    QStringList started;
    bool startWorks = true;
    about.setStarter([&](const QString &p) {
        started.append(p);
        return startWorks;
    });
    about.setSystemInfoSearch({"hardinfo", "kinfocenter"}, dir.file("bin"));

    // Nothing on the path: the message, and nothing started.
    buttonWithText(&about, "&System Info...")->click();
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(scripted.asked()[0].buttons, int(Prompts::Ok));
    EXPECT_TRUE(started.isEmpty());

    // Found, but it does not start: the same message.
    makeTool(dir.file("bin"), "kinfocenter");
    scripted.clear();
    startWorks = false;
    EXPECT_FALSE(about.StartSysInfo());
    EXPECT_EQ(messagesAsked(), QStringList{"System Information Is Unavailable At This Time"});
    EXPECT_EQ(started, QStringList{QDir(dir.file("bin")).filePath("kinfocenter")});

    // Found and started: nothing to say.
    scripted.clear();
    startWorks = true;
    EXPECT_TRUE(about.StartSysInfo());
    EXPECT_TRUE(scripted.asked().isEmpty());
    EXPECT_EQ(started.size(), 2);
}

// ---------------------------------------------------------------------------
// The help pages

TEST_F(AuxWindows, HelpOpensTheContentsPageOrSaysItIsMissing)
{
    UrlCatcher desktop;
    TempFolder dir;
    EXPECT_FALSE(Help::openContents(dir.path()));
    EXPECT_EQ(messagesAsked(), QStringList{"The help pages are missing."});
    EXPECT_TRUE(desktop.opened.isEmpty());

    // A folder of that name is not the page.
    QDir().mkpath(dir.file("Help/index.html"));
    scripted.clear();
    EXPECT_FALSE(Help::openContents(dir.path()));
    EXPECT_EQ(messagesAsked().size(), 1);

    // The seeded pages; a folder name with spaces still makes a proper file address.
    const QString folder = dir.file("My Lotwise");
    AppFolder::seed(folder);
    scripted.clear();
    EXPECT_TRUE(Help::openContents(folder));
    EXPECT_TRUE(scripted.asked().isEmpty());
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_TRUE(desktop.opened[0].isLocalFile());
    EXPECT_EQ(QFileInfo(desktop.opened[0].toLocalFile()).canonicalFilePath(),
              QFileInfo(folder + "/Help/index.html").canonicalFilePath());
}

TEST(HelpPages, EveryLinkLeadsToASeededPage)
{
    TempFolder dir;
    AppFolder::seed(dir.path());
    const QDir help(dir.file("Help"));
    const QStringList pages = help.entryList({"*.html"}, QDir::Files);
    ASSERT_GE(pages.size(), 2);
    ASSERT_TRUE(pages.contains("index.html"));
    const QRegularExpression link(R"((?:href|src)="([^"#:]+)(?:#[^"]*)?")");
    int links = 0;
    for (const QString &page : pages) {
        const QString html = QString::fromUtf8(TestSupport::readBytes(help.filePath(page)));
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            ++links;
            EXPECT_TRUE(QFileInfo::exists(help.filePath(target)))
                << page.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_GE(links, pages.size() - 1); // the pages are linked together
}


TEST(Prompts, EveryBoxIsAskedWithTheNormalPointerAndTheHourglassComesBackAfter)
{
    TestSupport::InstalledPrompts scripted;
    LogonDetails details;
    const std::function<void()> boxes[] = {
        [] { prompts().message("Sure?", "Lotwise", Prompts::Yes | Prompts::No); },
        [] {
            prompts().input("What is the shipping cost for this item?", "Shipping Cost", "4.00");
        },
        [] { prompts().openFileName("Open", "/tmp", "*.csv"); },
        [] { prompts().saveFileName("Save", "/tmp", "*.csv"); },
        [&] { prompts().logon(details); },
        [] { HandelErrors("Sub_CheckEmail", ErrorCode::FileNotFound, "/tmp/x"); },
    };
    for (int depth : {0, 1, 2}) {
        for (size_t i = 0; i < std::size(boxes); ++i) {
            SCOPED_TRACE(std::to_string(depth) + " hourglasses, box " + std::to_string(i));
            scripted.clear();
            std::vector<std::unique_ptr<BusyCursor>> busy;
            for (int d = 0; d < depth; ++d)
                busy.push_back(std::make_unique<BusyCursor>());
            boxes[i]();
            ASSERT_EQ(scripted.asked().size(), 1);
            EXPECT_FALSE(scripted.asked()[0].busyPointer);
            // The work that asked goes on under its hourglass, and each scope still lifts
            // its own.
            EXPECT_EQ(QGuiApplication::overrideCursor() != nullptr, depth > 0);
            if (depth > 0) {
                EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            }
            busy.clear();
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        }
    }
    // Asked outside any busy work, the scripted record says so too.
    BusyCursor busy;
    scripted.clear();
    scripted.message("direct", "Lotwise", Prompts::Ok, Prompts::Icon::None);
    EXPECT_TRUE(scripted.asked()[0].busyPointer);
}

#include "windows_test.moc"
