#include "aux/frmabout.h"
#include "aux/frmhelpballon.h"
#include "aux/frmnotes.h"
#include "aux/frmsplash.h"
#include "aux/help.h"
#include "aux/skinform.h"
#include "platform/appfolder.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
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

template <typename T = QWidget>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

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
// The notes window

TEST_F(AuxWindows, NotesKeepTheirLinesInOrderUntilOK)
{
    FrmNotes notes;
    QSignalSpy closed(&notes, &FrmNotes::closedByUser);
    auto *list = child<QListWidget>(&notes, "List1");
    ASSERT_NE(list, nullptr);

    const QStringList lines{"2 Invoices to send", "1 Item to ship", "", "2 Invoices to send"};
    for (const QString &l : lines)
        notes.addLine(l);
    EXPECT_EQ(notes.lines(), lines); // duplicates and empty lines are the caller's business
    EXPECT_EQ(notes.lineCount(), 4);
    EXPECT_EQ(list->count(), 4);

    notes.showModeless();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&notes));
    EXPECT_EQ(notes.windowModality(), Qt::NonModal);
    // Hiding is not closing: the lines wait for the next showing.
    notes.hide();
    notes.showModal();
    EXPECT_TRUE(notes.isVisible());
    EXPECT_EQ(notes.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(notes.lines(), lines);

    buttonWithText(&notes, "Auto Complete")->click();
    EXPECT_TRUE(notes.isVisible());
    EXPECT_EQ(notes.lineCount(), 4);
    EXPECT_EQ(closed.count(), 0);

    buttonWithText(&notes, "O.K")->click();
    EXPECT_FALSE(notes.isVisible());
    EXPECT_EQ(notes.lineCount(), 0);
    EXPECT_EQ(closed.count(), 1);

    // Used again after O.K, it starts from nothing.
    notes.addLine("1 Feed Back to leave");
    notes.showModeless();
    EXPECT_EQ(notes.lines(), QStringList{"1 Feed Back to leave"});
    EXPECT_TRUE(scripted.asked().isEmpty());
}

TEST_F(AuxWindows, EscapeClosesTheNotesLikeOK)
{
    FrmNotes notes;
    QSignalSpy closed(&notes, &FrmNotes::closedByUser);
    notes.addLine("1 Item to ship");
    notes.showModal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&notes));
    QTest::keyClick(&notes, Qt::Key_Escape);
    EXPECT_FALSE(notes.isVisible());
    EXPECT_EQ(notes.lineCount(), 0);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(AuxWindows, NotesAreShapedFromTheirSkinAndCentred)
{
    FrmNotes notes;
    EXPECT_EQ(notes.objectName(), "frmNotes");
    EXPECT_TRUE(notes.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(notes.size(), QSize(382, 324));
    EXPECT_EQ(notes.mask(), SkinForm::regionFromSkin(SkinForm::loadSkin(":/skins/notes.png")));
    EXPECT_EQ(child<QLabel>(&notes, "Label1")->text(), "You have the following tasks to complete.");
    // Every control lies on the panel, none in a cut-out corner.
    for (QWidget *w : notes.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow())
            continue;
        EXPECT_TRUE(notes.mask().contains(w->geometry().topLeft()) &&
                    notes.mask().contains(w->geometry().bottomRight()))
            << w->objectName().toStdString();
    }
    const QRect screen = notes.screen()->availableGeometry();
    EXPECT_LE(std::abs(notes.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(notes.geometry().center().y() - screen.center().y()), 1);
}

TEST_F(AuxWindows, TheNotesHeadingDragsTheWindowButTheListDoesNot)
{
    FrmNotes notes;
    notes.drag()->setSystemMoveAllowed(false);
    notes.addLine("a line");
    notes.showModeless();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&notes));
    const QPoint start = notes.pos();
    auto send = [](QWidget *to, QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held,
                   QPoint global) {
        QMouseEvent e(type, QPointF(to->mapFromGlobal(global)), QPointF(global), b, held,
                      Qt::NoModifier);
        QApplication::sendEvent(to, &e);
    };
    QWidget *heading = child(&notes, "Label1");
    const QPoint g = heading->mapToGlobal(QPoint(3, 3));
    send(heading, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, g);
    send(heading, QEvent::MouseMove, Qt::NoButton, Qt::RightButton, g + QPoint(15, 15));
    send(heading, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, g + QPoint(15, 15));
    EXPECT_EQ(notes.pos(), start);
    send(heading, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, g);
    send(heading, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, g + QPoint(15, -7));
    send(heading, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, g + QPoint(15, -7));
    EXPECT_EQ(notes.pos(), start + QPoint(15, -7));

    QWidget *list = child<QListWidget>(&notes, "List1")->viewport();
    const QPoint l = list->mapToGlobal(QPoint(5, 5));
    send(list, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, l);
    send(list, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, l + QPoint(30, 30));
    send(list, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, l + QPoint(30, 30));
    EXPECT_EQ(notes.pos(), start + QPoint(15, -7));
}

// ---------------------------------------------------------------------------
// The help balloon

TEST_F(AuxWindows, TheBalloonShowsItsTextModallyUntilClose)
{
    QString shown;
    bool modal = false, readOnly = false;
    QSize size;
    // Runs inside the balloon's own event loop.
    QTimer::singleShot(0, [&] {
        auto *balloon = qobject_cast<FrmHelpBallon *>(QApplication::activeModalWidget());
        if (!balloon) {
            ADD_FAILURE() << "no modal balloon";
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *b = qobject_cast<FrmHelpBallon *>(w))
                    b->reject();
            return;
        }
        shown = balloon->text();
        modal = balloon->isModal();
        size = balloon->size();
        readOnly = balloon->findChild<QPlainTextEdit *>("Text1")->isReadOnly();
        buttonWithText(balloon, "Close")->click();
    });
    FrmHelpBallon::ShowHelpBallon(QStringLiteral("Press Shift and click a control\r\nfor help."));
    // The text box keeps the words and the line break.
    EXPECT_EQ(shown.split(QRegularExpression("\\R")),
              QStringList({"Press Shift and click a control", "for help."}));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(size, QSize(330, 181));
    // Closed means gone: nothing of it is left behind.
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<FrmHelpBallon *>(w), nullptr);
}

TEST_F(AuxWindows, ANewBalloonTextReplacesTheOld)
{
    FrmHelpBallon balloon;
    EXPECT_EQ(balloon.objectName(), "frmHelpBallon");
    balloon.setText("first");
    balloon.setText("");
    EXPECT_EQ(balloon.text(), "");
    balloon.setText("second");
    EXPECT_EQ(balloon.text(), "second");
    EXPECT_EQ(balloon.mask(), SkinForm::regionFromSkin(SkinForm::loadSkin(":/skins/balloon.png")));
}

// ---------------------------------------------------------------------------
// The splash window

TEST_F(AuxWindows, TheSplashIsUpWhileTheMainWindowLoadsAndGoesAfter)
{
    FrmSplash splash;
    bool upDuringLoad = false;
    EXPECT_TRUE(splash.Form_Load([&] {
        upDuringLoad = splash.isVisible();
        return true;
    }));
    EXPECT_TRUE(upDuringLoad);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(scripted.asked().isEmpty());
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(splash.mask().isEmpty());
    EXPECT_EQ(child<QLabel>(&splash, "lblLoading")->text(), "Now Loading... Please Wait");
    EXPECT_EQ(child<QLabel>(&splash, "lblProductName")->text(), "Lotwise");
}

TEST_F(AuxWindows, AFailedLoadIsReportedAsTheSplashsError)
{
    FrmSplash splash;
    EXPECT_FALSE(splash.Form_Load([]() -> bool { throw std::runtime_error("database gone"); }));
    ASSERT_EQ(messagesAsked().size(), 1);
    EXPECT_TRUE(messagesAsked().first().contains("frmSplash-Load"));
    EXPECT_TRUE(messagesAsked().first().contains("database gone"));
    EXPECT_FALSE(splash.isVisible());

    // A load that says it did not finish is not an error of the splash, but it is not a
    // success either.
    scripted.clear();
    EXPECT_FALSE(splash.Form_Load([] { return false; }));
    EXPECT_TRUE(scripted.asked().isEmpty());
}

// ---------------------------------------------------------------------------
// The about window and the system information tool

TEST(SystemInfoLookup, TheFirstCandidateFoundOnThePathWins)
{
    TempFolder dir;
    const QString a = dir.file("a"), b = dir.file("b");
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
}

TEST(SystemInfoLookup, OnlyExecutableFilesInNamedFoldersCount)
{
    TempFolder dir;
    const QString plain = dir.file("plain"), folders = dir.file("folders"), cwd = dir.file("cwd");
    makeTool(plain, "hardinfo", false);
    QDir().mkpath(folders + "/hardinfo");
    makeTool(cwd, "hardinfo");
    EXPECT_EQ(findSystemInfoTool({"hardinfo"}, plain + ":" + folders), "");

    // An empty PATH, or empty entries in it, never mean the working folder.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cwd));
    EXPECT_EQ(findSystemInfoTool({"hardinfo"}, ""), "");
    EXPECT_EQ(findSystemInfoTool({"hardinfo"}, "::" + plain + ":"), "");
    // Nor does a name with a folder in it reach outside the PATH.
    EXPECT_EQ(findSystemInfoTool({"./hardinfo", cwd + "/hardinfo"}, plain), "");
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

TEST_F(AuxWindows, TheAboutWindowIsModalAndOKClosesIt)
{
    QWidget owner;
    FrmAbout about(&owner);
    EXPECT_EQ(about.objectName(), "frmAbout");
    EXPECT_EQ(about.windowTitle(), "About Lotwise");
    EXPECT_TRUE(about.isModal());
    EXPECT_EQ(child<QLabel>(&about, "lblTitle")->text(), "Lotwise");
    EXPECT_FALSE(child<QLabel>(&about, "picIcon")->pixmap().isNull());
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    buttonWithText(&about, "OK")->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
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

#include "auxwindows_test.moc"
