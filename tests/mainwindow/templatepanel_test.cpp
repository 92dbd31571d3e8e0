#include "mail/templates.h"
#include "mainwindow/templatepanel.h"
#include "platform/textfile.h"
#include "support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

QString opened(const QString &path)
{
    return "Lotwise - File " + path + " Opened.";
}

class TemplatePanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppFolder::seed(folder.path());
        setPrompts(&scripted);
        panel = std::make_unique<TemplatePanel>(folder.path());
        titles = std::make_unique<QSignalSpy>(panel.get(), &TemplatePanel::titleChanged);
        status = std::make_unique<QSignalSpy>(panel.get(), &TemplatePanel::statusMessage);
    }
    void TearDown() override { setPrompts(nullptr); }

    template <typename T = QWidget> T *find(const QString &name) const
    {
        T *w = panel->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QString tmpl(const QString &name) const { return Templates::templatePath(folder.path(), name); }
    QString backup(const QString &name) const { return Templates::backupPath(folder.path(), name); }
    QString text() const { return panel->editor()->toPlainText(); }
    QString lastTitle() const
    {
        return titles->isEmpty() ? QString() : titles->last().at(0).toString();
    }
    void openThenSave(const QString &path)
    {
        scripted.answerText(path);
        panel->OpenTemplate();
        scripted.answerText(path);
        panel->SaveTemplate();
    }

    TestSupport::TempFolder folder;
    ScriptedPrompts scripted;
    std::unique_ptr<TemplatePanel> panel;
    std::unique_ptr<QSignalSpy> titles;
    std::unique_ptr<QSignalSpy> status;
};

const QString kReminder = QStringLiteral("Reminder 7 days.elm");

} // namespace

TEST_F(TemplatePanelTest, TemplateButtonsOpenTheirFilesInTheirGroups)
{
    int number = 17;
    for (const Templates::FixedTemplate &t : Templates::fixedTemplates()) {
        auto *button = find<QPushButton>(QStringLiteral("Command%1").arg(number++));
        ASSERT_NE(button, nullptr);
        auto *group = qobject_cast<QGroupBox *>(button->parentWidget());
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), t.group);

        panel->editor()->setPlainText("left over");
        QTest::mouseClick(button, Qt::LeftButton);
        const QStringList lines = TextFile::readLines(tmpl(t.fileName));
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(text(), lines.join('\n') + '\n') << t.fileName.toStdString();
        EXPECT_EQ(lastTitle(), opened(tmpl(t.fileName)));
        EXPECT_EQ(panel->proposedFile(), tmpl(t.fileName));
    }
    EXPECT_TRUE(scripted.asked().isEmpty());
}

TEST_F(TemplatePanelTest, MissingTemplateOffersTheBackup)
{
    ASSERT_TRUE(writeBytes(backup(kReminder), "Dear *User_Name*,\r\n\r\nPlease pay.\r\n"));
    ASSERT_TRUE(QFile::remove(tmpl(kReminder)));

    // Yes: the backup comes back without its empty lines and is opened.
    scripted.answerButton(Prompts::Yes);
    panel->openFixed(kReminder);
    EXPECT_EQ(TestSupport::askedOf(scripted),
              QStringList{"File Not Found.: File Was Not found!\r\n\r\n"
                          "Whould You like you use the Back Up for this File?"});
    EXPECT_EQ(scripted.asked().value(0).buttons, Prompts::Yes | Prompts::No);
    EXPECT_EQ(readBytes(tmpl(kReminder)), QByteArray("Dear *User_Name*,\r\nPlease pay.\r\n\r\n"));
    EXPECT_EQ(text(), "Dear *User_Name*,\nPlease pay.\n\n");
    EXPECT_EQ(lastTitle(), opened(tmpl(kReminder)));

    // No: nothing is restored, the editor is emptied and the caption stays.
    ASSERT_TRUE(QFile::remove(tmpl(kReminder)));
    panel->openFixed("Auction Invoice.elm"); // so a Save proposes another file first
    titles->clear();
    scripted.clear();
    scripted.answerButton(Prompts::No);
    panel->openFixed(kReminder);
    EXPECT_EQ(scripted.asked().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(tmpl(kReminder)));
    EXPECT_EQ(text(), QString());
    EXPECT_TRUE(titles->isEmpty());
    ASSERT_EQ(status->size(), 1);
    EXPECT_TRUE(status->last().at(0).toString().contains(tmpl(kReminder)));
    // A Save now proposes the missing template, so one can be written in its place.
    EXPECT_EQ(panel->proposedFile(), tmpl(kReminder));

    // Yes, but the backup is gone as well: the same, naming the backup.
    ASSERT_TRUE(QFile::remove(backup(kReminder)));
    panel->editor()->setPlainText("typed");
    status->clear();
    scripted.answerButton(Prompts::Yes);
    panel->openFixed(kReminder);
    EXPECT_FALSE(QFileInfo::exists(tmpl(kReminder)));
    EXPECT_EQ(text(), QString());
    EXPECT_TRUE(titles->isEmpty());
    ASSERT_EQ(status->size(), 1);
    EXPECT_TRUE(status->last().at(0).toString().contains(backup(kReminder)));
}

TEST_F(TemplatePanelTest, EnterInputAppendsTheShownInputAtTheEnd)
{
    auto *combo = find<QComboBox>("Combo3");
    EXPECT_EQ(combo->currentText(), "*Auction_Close_Date*");
    panel->setInputs({"Thanks for bidding", "", "Combined shipping"});
    EXPECT_EQ(
        TestSupport::itemsOf(combo),
        (Templates::placeholderTokens() + QStringList{"Thanks for bidding", "Combined shipping"}));
    EXPECT_EQ(combo->currentText(), "*Auction_Close_Date*");

    panel->editor()->setPlainText("Dear\nbuyer");
    QTextCursor start = panel->editor()->textCursor();
    start.setPosition(2);
    panel->editor()->setTextCursor(start);
    combo->setCurrentIndex(10);
    ASSERT_EQ(combo->currentText(), "*Tracking_Number*");
    QTest::mouseClick(find("Command13"), Qt::LeftButton);
    EXPECT_EQ(text(), "Dear\nbuyer*Tracking_Number*");
    // Typed text goes in as it is shown.
    combo->setEditText(" ok");
    QTest::mouseClick(find("Command13"), Qt::LeftButton);
    EXPECT_EQ(text(), "Dear\nbuyer*Tracking_Number* ok");
    EXPECT_EQ(panel->editor()->textCursor().position(), 2);
}

TEST_F(TemplatePanelTest, OpenThenSaveUnchangedKeepsTheBytes)
{
    const QByteArray kept[] = {
        readBytes(tmpl(kReminder)),
        "Line one\r\n\r\nLine three\r\n\r\n", // as a restored backup ends
        "Gr\xfc\xdf! \x80 5\r\n",             // Windows-1252 stays so
        QString::fromUtf8("\u0141ukasz\r\n").toUtf8(),
        "",
    };
    for (const QByteArray &bytes : kept) {
        ASSERT_TRUE(writeBytes(tmpl("Mine.elm"), bytes));
        openThenSave(tmpl("Mine.elm"));
        EXPECT_EQ(readBytes(tmpl("Mine.elm")), bytes) << bytes.toStdString();
    }
    EXPECT_EQ(lastTitle(), "Lotwise - File " + tmpl("Mine.elm") + " Saved.");

    // Saving always leaves exactly one line end after the last line.
    const struct
    {
        QByteArray in, out;
    } mended[] = {{"no end", "no end\r\n"}, {"one\rtwo\r", "one\r\ntwo\r\n"}};
    for (const auto &m : mended) {
        ASSERT_TRUE(writeBytes(tmpl("Mine.elm"), m.in));
        openThenSave(tmpl("Mine.elm"));
        EXPECT_EQ(readBytes(tmpl("Mine.elm")), m.out) << m.in.toStdString();
    }
}

TEST_F(TemplatePanelTest, SaveProposesTheFileTheTextCameFromAndCancelWritesNothing)
{
    ASSERT_TRUE(writeBytes(tmpl("Other.elm"), "other\r\n"));
    ASSERT_TRUE(QDir().mkpath(tmpl("Broken.elm")));
    const QString folderOnly = Templates::templatesFolder(folder.path());
    const auto fixed = [&] { panel->openFixed(kReminder); };
    const auto open = [&](const QString &name) {
        return [&, name] {
            scripted.answerText(tmpl(name));
            panel->OpenTemplate();
        };
    };
    const auto saveAs = [&](const QString &name) {
        return [&, name] {
            scripted.answerText(tmpl(name));
            panel->SaveTemplate();
        };
    };
    const auto renew = [&] { panel->newTemplate(); };
    const struct
    {
        const char *what;
        std::vector<std::function<void()>> steps;
        QString proposed;
    } cases[] = {
        {"nothing opened", {}, folderOnly},
        {"a template button", {fixed}, tmpl(kReminder)},
        // Enter on the reminder here would replace it with Other.elm's text.
        {"a template button, then Open", {fixed, open("Other.elm")}, tmpl("Other.elm")},
        {"Open, then a template button", {open("Other.elm"), fixed}, tmpl(kReminder)},
        {"a template button, then Save as", {fixed, saveAs("Copy.elm")}, tmpl("Copy.elm")},
        {"a template button, then New", {fixed, renew}, folderOnly},
        {"a template button, then an Open that fails",
         {fixed, open("Broken.elm")},
         tmpl(kReminder)},
    };
    const QByteArray reminder = readBytes(tmpl(kReminder));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        panel = std::make_unique<TemplatePanel>(folder.path());
        titles = std::make_unique<QSignalSpy>(panel.get(), &TemplatePanel::titleChanged);
        for (const auto &step : c.steps)
            step();
        EXPECT_EQ(panel->proposedFile(), c.proposed == folderOnly ? QString() : c.proposed);
        const QStringList files = QDir(folderOnly).entryList();
        const QString text = this->text();
        titles->clear();
        scripted.clear();
        panel->SaveTemplate(); // cancelled
        ASSERT_EQ(scripted.asked().size(), 1);
        EXPECT_EQ(scripted.asked()[0].kind, ScriptedPrompts::Asked::SaveFile);
        EXPECT_EQ(scripted.asked()[0].folder, c.proposed);
        EXPECT_EQ(scripted.asked()[0].filter, QStringLiteral("Email Files (*.elm)"));
        EXPECT_EQ(QDir(folderOnly).entryList(), files);
        EXPECT_EQ(this->text(), text);
        EXPECT_TRUE(titles->isEmpty());
    }
    EXPECT_EQ(readBytes(tmpl(kReminder)), reminder);
    EXPECT_EQ(readBytes(tmpl("Other.elm")), QByteArray("other\r\n"));
}

TEST_F(TemplatePanelTest, FilesThatCannotBeReadOrWrittenAreNamedAndTheTextIsKept)
{
    // Folders stand in for unreadable files: permissions do not stop every user.
    QDir().mkpath(tmpl("Broken.elm"));
    ASSERT_TRUE(QFile::remove(tmpl(kReminder)));
    ASSERT_TRUE(QDir().mkpath(tmpl(kReminder)));
    const struct
    {
        const char *what;
        std::function<void()> act;
        QString path;
    } failures[] = {
        {"open",
         [&] {
             scripted.answerText(tmpl("Broken.elm"));
             panel->OpenTemplate();
         },
         tmpl("Broken.elm")},
        {"template button", [&] { panel->openFixed(kReminder); }, tmpl(kReminder)},
        {"save",
         [&] {
             scripted.answerText(folder.file("gone/x.elm"));
             panel->SaveTemplate();
         },
         folder.file("gone/x.elm")},
        // The closing options could not read such a name back.
        {"save under a name with a comma",
         [&] {
             scripted.answerText(tmpl("Hi, there.elm"));
             panel->SaveTemplate();
         },
         "Hi, there.elm"},
    };
    for (const auto &f : failures) {
        panel->editor()->setPlainText("work in progress");
        scripted.clear();
        f.act();
        ASSERT_FALSE(scripted.asked().isEmpty()) << f.what;
        const ScriptedPrompts::Asked &shown = scripted.asked().last();
        EXPECT_EQ(shown.kind, ScriptedPrompts::Asked::Message) << f.what;
        EXPECT_TRUE(shown.text.contains(f.path)) << f.what << ": " << shown.text.toStdString();
        EXPECT_EQ(text(), "work in progress") << f.what;
        EXPECT_TRUE(titles->isEmpty()) << f.what;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.file("gone")));
    EXPECT_FALSE(QFileInfo::exists(tmpl("Hi, there.elm")));
}

// The window around the panel.
class TemplateWindowTest : public TestSupport::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(
            writeBytes(folder.file("Subjects/emailinputsub.sub"), "Thanks\r\n\r\nSee you\r\n"));
        load();
    }
    void trigger(const char *action) { find<QAction>(action)->trigger(); }
};

TEST_F(TemplateWindowTest, MenusWorkOnThePanelAndItsCaptionsReachTheWindow)
{
    auto *combo = find<QComboBox>("Combo3");
    EXPECT_EQ(combo->count(), 13);
    EXPECT_EQ(combo->itemText(12), "See you");

    // Open only works in the template editor.
    trigger("mnuFileOpen");
    EXPECT_TRUE(scripted.asked().isEmpty());

    QTest::mouseClick(find("Command4"), Qt::LeftButton);
    const QString path = Templates::templatePath(folder.path(), "Payment Made.elm");
    scripted.answerText(path);
    trigger("mnuFileOpen");
    EXPECT_EQ(win->windowTitle(), opened(path));
    EXPECT_FALSE(find<QPlainTextEdit>("Text20")->toPlainText().isEmpty());

    const QString saved = Templates::templatePath(folder.path(), "Copy.elm");
    scripted.answerText(saved);
    win->toolbarClick("Save");
    EXPECT_EQ(win->windowTitle(), "Lotwise - File " + saved + " Saved.");
    EXPECT_EQ(readBytes(saved), readBytes(path));

    ASSERT_TRUE(QFile::remove(Templates::templatePath(folder.path(), kReminder)));
    scripted.answerButton(Prompts::No);
    QTest::mouseClick(find("Command18"), Qt::LeftButton);
    EXPECT_TRUE(find<QLabel>("sbStatusBar_Status")->text().contains(kReminder));
    EXPECT_EQ(win->windowTitle(), "Lotwise - File " + saved + " Saved.");
}

TEST_F(TemplateWindowTest, HelpModeShowsTheQuestionMarkOverTheEditorsHelpControls)
{
    auto *panel = find<TemplatePanel>("TemplatePanel");
    QTest::mouseClick(find("Command4"), Qt::LeftButton);
    const auto moveOver = [](QWidget *w) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    };
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(find("Text20"), &shift);
    ASSERT_TRUE(win->helpOn());
    const QList<QWidget *> controls = panel->helpControls();
    ASSERT_EQ(controls.size(), 4);
    for (QWidget *w : controls) {
        moveOver(w);
        EXPECT_EQ(w->cursor().shape(), Qt::WhatsThisCursor) << w->objectName().toStdString();
    }
    // A control without help keeps its pointer.
    moveOver(find("Command18"));
    EXPECT_NE(find("Command18")->cursor().shape(), Qt::WhatsThisCursor);
}
