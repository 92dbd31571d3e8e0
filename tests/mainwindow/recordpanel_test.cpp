#include "mainwindow/statuspicture.h"
#include "support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextCursor>

namespace {

class RecordPanelTest : public TestSupport::FilledWindowTest
{
protected:
    void click(const char *name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void trigger(const char *action) { find<QAction>(action)->trigger(); }
    void toolbar(const char *key) { win->toolbarClick(QString::fromLatin1(key)); }
    bool pictureOn(const char *name) { return find<StatusPicture>(name)->isOn(); }
    QString text(const char *name) { return find<QLineEdit>(name)->text(); }
};

} // namespace

TEST_F(RecordPanelTest, PicturesShowFlagsAndClicksFlipThemWithTheirDates)
{
    loadWith({{{Field::InvoiceSent, "1"},
               {Field::PaymentMade, "2"},
               {Field::Npb, ""},
               {Field::InvoiceSentDate, "1/2/2026"},
               {Field::NoticeItemShipped, "1"}}});
    EXPECT_TRUE(pictureOn("Image1"));
    EXPECT_FALSE(pictureOn("Image2")); // "2" is drawn as not set
    EXPECT_FALSE(pictureOn("Image15"));
    EXPECT_TRUE(pictureOn("Image21"));
    EXPECT_EQ(text("txtInvoiceSentDate"), QStringLiteral("1/2/2026"));

    click("Image1");
    EXPECT_FALSE(pictureOn("Image1"));
    EXPECT_EQ(store.get(Field::InvoiceSent), QStringLiteral("0"));
    EXPECT_EQ(text("txtInvoiceSentDate"), QString());
    // A click on the caption is the same as one on the picture.
    click("Image1_Caption");
    EXPECT_TRUE(pictureOn("Image1"));
    EXPECT_EQ(store.get(Field::InvoiceSentDate), QStringLiteral("3/15/2026"));


    // A screen reader's "Toggle" flips the button's state without a click; it must change
    // the record exactly as a press does, once.
    find<StatusPicture>("Image1")->toggle();
    EXPECT_FALSE(pictureOn("Image1"));
    EXPECT_EQ(store.get(Field::InvoiceSent), QStringLiteral("0"));
    find<StatusPicture>("Image1")->toggle();
    EXPECT_TRUE(pictureOn("Image1"));
    EXPECT_EQ(store.get(Field::InvoiceSent), QStringLiteral("1"));
}

TEST_F(RecordPanelTest, StateColourFollowsPaymentMethodAndShipping)
{
    loadWith({{{Field::PaymentMade, "1"}, {Field::Check, "1"}}});
    click("Image3"); // PayPal replaces Check
    click("Image7");
    EXPECT_EQ(win->recordPanel()->stateColour(), 0x0000C0u);
    EXPECT_EQ(find<QLabel>("lblUserName")->palette().color(QPalette::Window),
              QColor(0x00, 0x00, 0xC0));
}

TEST_F(RecordPanelTest, TypingChangesTheRecordAndAnEmptySiteBecomesEbay)
{
    loadWith(
        {{{Field::UserName, "ann"}}, {{Field::UserName, "bob"}, {Field::AuctionSite, "Yahoo"}}});
    EXPECT_EQ(find<QComboBox>("Combo5")->currentText(), QStringLiteral("eBay"));
    EXPECT_EQ(store.get(Field::AuctionSite), QStringLiteral("eBay"));

    auto *user = find<QLineEdit>("txtUserName");
    user->selectAll();
    QTest::keyClicks(user, "annie");
    QTest::keyClicks(find<QPlainTextEdit>("txtNotes"), "left feedback");
    click("cmdNext");
    EXPECT_EQ(user->text(), QStringLiteral("bob"));
    EXPECT_EQ(find<QComboBox>("Combo5")->currentText(), QStringLiteral("Yahoo"));
    EXPECT_EQ(store.recordAt(0)[Field::UserName], QStringLiteral("annie"));
    EXPECT_EQ(store.recordAt(0)[Field::Notes], QStringLiteral("left feedback"));

    // Double-clicking Close Date enters today.
    QTest::mouseDClick(find<QLineEdit>("txtCloseDate"), Qt::LeftButton);
    EXPECT_EQ(store.get(Field::CloseDate), QStringLiteral("3/15/2026"));
    QTest::mouseDClick(find<QLineEdit>("txtItemSentDate"), Qt::LeftButton);
    EXPECT_EQ(store.get(Field::ItemSent), QStringLiteral("1"));
}

TEST_F(RecordPanelTest, AddCopyAndDeleteShowTheirRecordOnThePanel)
{
    loadWith({{{Field::CloseDate, "3/1/2026"},
               {Field::AuctionName, "Lamp"},
               {Field::AuctionTotal, "12"},
               {Field::UserName, "ann"}}});
    EXPECT_FALSE(pictureOn("Image13"));
    click("Command6");
    EXPECT_EQ(store.recordCount(), 2);
    EXPECT_EQ(text("txtAuctionName"), QString());

    store.moveFirst();
    trigger("munCopyRecord");
    EXPECT_TRUE(pictureOn("Image13"));
    EXPECT_EQ(text("txtAuctionName"), QStringLiteral("Lamp"));
    EXPECT_EQ(text("txtUserName"), QString());
    // Quick Copy stays on, so a plain Add copies too.
    store.moveFirst();
    toolbar("New");
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Lotwise - New Record Added."));
    EXPECT_EQ(text("txtAuctionName"), QStringLiteral("Lamp"));
    click("Image13_Caption");
    EXPECT_FALSE(pictureOn("Image13"));

    // Deleted down to none, the panel is empty and closed to typing until the next Add.
    for (int left = store.recordCount(); left > 0; --left) {
        if (left % 2)
            click("Command7");
        else
            trigger("munDeleteRecord");
    }
    EXPECT_EQ(store.recordCount(), 0);
    EXPECT_EQ(text("txtUserName"), QString());
    EXPECT_FALSE(find<QLineEdit>("txtUserName")->isEnabled());
    EXPECT_TRUE(scripted.asked().isEmpty());
    click("Command6");
    EXPECT_TRUE(find<QLineEdit>("txtUserName")->isEnabled());
}

TEST_F(RecordPanelTest, MovingAtTheEndsSaysSoAndSearchFindsOrSaysNothingMatched)
{
    loadWith({{{Field::UserName, "ann"}, {Field::Address, "12 Main St, Springfield"}},
              {{Field::UserName, "BOB"}}});
    toolbar("Back");
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_TRUE(scripted.asked()[0].text.endsWith("Beginning of the file!"));
    toolbar("Next");
    EXPECT_EQ(text("txtUserName"), QStringLiteral("BOB"));
    trigger("munMoveForward");
    ASSERT_EQ(scripted.asked().size(), 2);
    EXPECT_TRUE(scripted.asked()[1].text.endsWith("End of the file!"));
    EXPECT_EQ(text("txtUserName"), QStringLiteral("BOB"));

    auto *box = find<QLineEdit>("Text35");
    find<QComboBox>("Combo2")->setCurrentText("Name/Address");
    QTest::keyClicks(box, " main st ");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(text("txtUserName"), QStringLiteral("ann"));
    box->setText("carol");
    click("Image23");
    EXPECT_EQ(text("txtUserName"), QStringLiteral("ann"));
    EXPECT_EQ(find<QLabel>("sbStatusBar_Status")->text(), QStringLiteral("No matching record."));
}

TEST_F(RecordPanelTest, ViewButtonsSaveNewTemplateAndTheSwitches)
{
    load();
    for (const auto &[button, title] :
         {std::pair{"Command2", "Lotwise - Items Need to be Shipped.."},
          {"Command3", "Lotwise - Email Wizard.."},
          {"Command14", "Lotwise - Leave Feed Back.."},
          {"Command4", "Lotwise - Create Template.."},
          {"Command1", "Lotwise - View Auction Records.."}}) {
        click(button);
        EXPECT_EQ(win->windowTitle(), title);
    }
    toolbar("Save");
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_EQ(scripted.asked()[0].text, QStringLiteral("Records Saved!"));

    click("Command4");
    find<QPlainTextEdit>("Text20")->setPlainText("Dear buyer");
    trigger("munNew");
    EXPECT_EQ(find<QPlainTextEdit>("Text20")->toPlainText(), QString());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Lotwise - New Template."));
    // The tracking menu pops up from its field only, never from the menu bar.
    for (QAction *a : win->menuBar()->actions())
        EXPECT_NE(a->menu(), find<QMenu>("munTrackingNumbers"));

    // Both switches start on; the captions flip them.
    EXPECT_TRUE(win->markSwitchOn());
    EXPECT_TRUE(win->noticeSwitchOn());
    click("Command3");
    click("Label40");
    EXPECT_FALSE(win->markSwitchOn());
    click("Image19");
    EXPECT_TRUE(win->markSwitchOn());
    click("Command14");
    click("Image24");
    EXPECT_FALSE(win->noticeSwitchOn());
}

TEST_F(RecordPanelTest, SaveWritesTheTypedChangeBeforeItSaysRecordsSaved)
{
    using TestSupport::StoreFault;
    enum class Then { Writes, Refuses, Overtaken };
    const struct
    {
        const char *what;
        const char *typed;
        Then store;
    } cases[] = {
        {"nothing typed", "", Then::Writes},
        {"typed", "x", Then::Writes},
        {"typed, the store refuses", "y", Then::Refuses},
        {"typed, another seat wrote the record first", "z", Then::Overtaken},
    };
    loadWith({{{Field::UserName, "ann"}}});
    auto *user = find<QLineEdit>("txtUserName");
    const auto savedSaid = [&] {
        return TestSupport::askedOf(scripted).count("Lotwise: Records Saved!");
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        scripted.clear();
        user->end(false);
        QTest::keyClicks(user, c.typed);
        const QString typed = user->text();
        ASSERT_EQ(store.get(Field::UserName), typed);
        std::unique_ptr<StoreFault> fault;
        if (c.store == Then::Refuses) {
            fault = std::make_unique<StoreFault>(StoreFault::WriteRefused, folder.dbPath());
            ASSERT_TRUE(fault->made());
        } else if (c.store == Then::Overtaken) {
            RecordStore other;
            other.open(folder.dbPath());
            other.set(Field::Notes, "the other seat's");
            other.close();
        }
        toolbar("Save");
        const QString onDisk = TestSupport::storedField(folder.dbPath(), 0, Field::UserName);
        switch (c.store) {
        case Then::Writes:
            // Saved means written: a later run reads it with no move and no close here.
            EXPECT_EQ(savedSaid(), 1);
            EXPECT_EQ(onDisk, typed);
            break;
        case Then::Refuses: {
            EXPECT_EQ(savedSaid(), 0);
            const QStringList errors = TestSupport::errorBoxes(scripted);
            ASSERT_EQ(errors.size(), 1);
            EXPECT_TRUE(errors[0].contains("Error Found In: mnuSave_Click"))
                << errors[0].toStdString();
            EXPECT_NE(onDisk, typed);
            // Nothing typed is lost: once the store writes again, Save writes it.
            fault.reset();
            scripted.clear();
            toolbar("Save");
            EXPECT_EQ(savedSaid(), 1);
            EXPECT_EQ(TestSupport::storedField(folder.dbPath(), 0, Field::UserName), typed);
            break;
        }
        case Then::Overtaken:
            // The conflict is told, with what was typed; it is no save.
            EXPECT_EQ(savedSaid(), 0);
            ASSERT_EQ(scripted.asked().size(), 1);
            EXPECT_TRUE(scripted.asked()[0].text.contains(typed))
                << scripted.asked()[0].text.toStdString();
            EXPECT_NE(onDisk, typed);
            break;
        }
    }
}

TEST_F(RecordPanelTest, CutAndCopyEmptyTheClipboardFirstAndPastePutsItBack)
{
    loadWith({{{Field::UserName, "lampfan"}}});
    win->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
    auto *user = find<QLineEdit>("txtUserName");
    user->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), user);
    QApplication::clipboard()->setText("something older");
    user->setSelection(0, 4);
    trigger("mnuEditCopy");
    EXPECT_EQ(QApplication::clipboard()->text(), "lamp");
    // Nothing selected: the clipboard is left empty, not holding what was there before.
    user->deselect();
    trigger("mnuEditCopy");
    EXPECT_EQ(QApplication::clipboard()->text(), "");
    trigger("mnuEditCut");
    EXPECT_EQ(QApplication::clipboard()->text(), "");
    EXPECT_EQ(user->text(), "lampfan");
    user->setSelection(4, 3);
    trigger("mnuEditCut");
    EXPECT_EQ(QApplication::clipboard()->text(), "fan");
    EXPECT_EQ(user->text(), "lamp");
    trigger("mnuEditPaste");
    EXPECT_EQ(user->text(), "lampfan");
}

TEST_F(RecordPanelTest, CtrlCAndCtrlXInAFieldDoWhatTheEditMenuDoes)
{
    loadWith({{{Field::UserName, "lampfan"}, {Field::Notes, "fragile"}}});
    win->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
    const struct
    {
        const char *field;
        Qt::Key key;
        int from, length;  // the selection; no length is no selection
        const char *clip;  // what the clipboard then holds
        const char *after; // the field's text afterwards
    } cases[] = {
        {"txtUserName", Qt::Key_C, 0, 0, "", "lampfan"},
        {"txtUserName", Qt::Key_X, 0, 0, "", "lampfan"},
        {"txtUserName", Qt::Key_C, 0, 4, "lamp", "lampfan"},
        {"txtUserName", Qt::Key_X, 4, 3, "fan", "lamp"},
        {"txtNotes", Qt::Key_C, 0, 0, "", "fragile"},
        {"txtNotes", Qt::Key_X, 0, 0, "", "fragile"},
        {"txtNotes", Qt::Key_X, 0, 4, "frag", "ile"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.key == Qt::Key_C ? " Ctrl+C " : " Ctrl+X ") +
                     std::to_string(c.length));
        QWidget *box = find(c.field);
        box->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), box);
        QString text;
        if (auto *line = qobject_cast<QLineEdit *>(box)) {
            line->setSelection(c.from, c.length);
            if (c.length == 0)
                line->deselect();
        } else {
            auto *edit = qobject_cast<QPlainTextEdit *>(box);
            QTextCursor cursor = edit->textCursor();
            cursor.setPosition(c.from);
            cursor.setPosition(c.from + c.length, QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
        }
        QApplication::clipboard()->setText("something older");
        QTest::keyClick(box, c.key, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), c.clip);
        const auto *line = qobject_cast<QLineEdit *>(box);
        EXPECT_EQ(line ? line->text() : qobject_cast<QPlainTextEdit *>(box)->toPlainText(),
                  c.after);
    }
}

TEST_F(RecordPanelTest, EditingAddressOrNotesKeepsTheirCrLfLineEnds)
{
    const struct
    {
        const char *stored;
        const char *typed; // at the end; "\n" is the Enter key
        const char *expected;
    } cases[] = {
        {"1 Main St\r\nSpringfield", "X", "1 Main St\r\nSpringfieldX"},
        {"one line", "\ntwo", "one line\r\ntwo"},
        {"a\r\n\r\nb", "c", "a\r\n\r\nbc"},
        {"", "x\ny", "x\r\ny"},
    };
    for (const Field f : {Field::Address, Field::Notes}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(Fields::name(f).toStdString()) + ": " + c.stored);
            win.reset();
            store.close();
            ASSERT_TRUE(!QFile::exists(folder.dbPath()) || QFile::remove(folder.dbPath()));
            loadWith({{{Field::UserName, "ann"}, {f, c.stored}}});
            auto *box = find<QPlainTextEdit>(f == Field::Address ? "txtAddress" : "txtNotes");
            // Shown and not edited, the record is not changed at all.
            EXPECT_EQ(store.get(f), c.stored);
            box->moveCursor(QTextCursor::End);
            const QStringList parts = QString(c.typed).split('\n');
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0)
                    QTest::keyClick(box, Qt::Key_Return);
                QTest::keyClicks(box, parts[i]);
            }
            EXPECT_EQ(store.get(f), c.expected);
            win.reset();
            store.close();
            EXPECT_EQ(TestSupport::storedField(folder.dbPath(), 0, f), c.expected);
        }
    }
}

TEST_F(RecordPanelTest, DatePanelShowsTheCalendarAboveTheStatusBar)
{
    load();
    QCalendarWidget *calendar = win->calendar();
    EXPECT_TRUE(calendar->isHidden());
    auto *date = find<QLabel>("sbStatusBar_Date");
    QTest::mouseMove(date, QPoint(10, 5));
    QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(calendar->isVisible());
    const QRect first = calendar->geometry();
    EXPECT_EQ(calendar->mapTo(win.get(), QPoint(0, calendar->height())).y(),
              win->statusBar()->mapTo(win.get(), QPoint(0, 0)).y());
    QTest::mouseMove(find("sbStatusBar_Time"), QPoint(3, 3));
    QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(calendar->geometry(), first);
    QTest::mouseMove(find("txtNotes"), QPoint(5, 5));
    EXPECT_TRUE(calendar->isHidden());

    // The caption column, a caption on it and the gap between two fields are the panel's
    // surface too; a group of pictures is not.
    QWidget *closeDate = find("txtCloseDate");
    const struct
    {
        QWidget *over;
        QPoint at;
        bool hides;
    } moves[] = {{find("fraPayment"), QPoint(5, 5), false},
                 {find("Shape1"), QPoint(3, find("Shape1")->height() - 3), true},
                 {find("lblUserName"), QPoint(5, 5), true},
                 {closeDate->parentWidget(), QPoint(closeDate->x() + 20, closeDate->geometry().bottom() + 2), true}};
    for (const auto &m : moves) {
        QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(10, 5));
        ASSERT_TRUE(calendar->isVisible());
        ASSERT_EQ(m.over->childAt(m.at), nullptr) << m.over->objectName().toStdString();
        QTest::mouseMove(m.over, m.at);
        EXPECT_EQ(calendar->isHidden(), m.hides) << m.over->objectName().toStdString();
    }
}

TEST_F(RecordPanelTest, AtTheSmallestWindowThePanelScrollsInsteadOfSqueezingItsControls)
{
    loadWith({{{Field::UserName, "ann"},
               {Field::InvoiceSent, "1"},
               {Field::InvoiceSentDate, "12/31/2025"}}});
    const int menu = win->menuWidget()->height();
    win->resize(11565 / 15 + 1, 8300 / 15 + menu + 1);
    QCoreApplication::processEvents();
    auto *scroll = find<QScrollArea>("RecordPanelScroll");
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible() || scroll->horizontalScrollBar()->isVisible());
    for (const StatusPicture *p : win->recordPanel()->findChildren<StatusPicture *>()) {
        EXPECT_GE(p->width(), 20) << p->objectName().toStdString();
        EXPECT_GE(p->height(), 20) << p->objectName().toStdString();
    }
    // Each step date keeps its caption beside it and room for a whole date.
    for (const char *name : {"InvoiceSentDate", "PaymentMadeDate", "ItemSentDate"}) {
        auto *box = find<QLineEdit>((QString("txt") + name).toLatin1());
        auto *caption = find<QLabel>((QString("lbl") + name).toLatin1());
        EXPECT_EQ(caption->buddy(), box);
        EXPECT_TRUE(caption->isVisibleTo(win.get()));
        EXPECT_GE(caption->width(), caption->sizeHint().width()) << name;
        EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance("12/31/2025") + 8) << name;
    }
    EXPECT_EQ(find<QLabel>("lblInvoiceSentDate")->text(), "Invoice Sent Date");
    // No control of the panel lies over another of its layout.
    QList<QWidget *> boxes{win->recordPanel()->findChild<QWidget *>("RecordPanelContent")};
    for (QWidget *b : win->recordPanel()->findChildren<QGroupBox *>())
        boxes << b;
    for (QWidget *b : boxes) {
        QList<QRect> placed;
        for (QWidget *c : b->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!c->isVisibleTo(b) || c->objectName() == "Shape1")
                continue;
            for (const QRect &other : placed)
                EXPECT_FALSE(other.intersects(c->geometry())) << c->objectName().toStdString();
            placed << c->geometry();
        }
    }
}

TEST_F(RecordPanelTest, SplitterDragAndTheNarrowestWindow)
{
    load();
    QWidget *splitter = find("imgSplitter");
    QWidget *bar = find("picSplitter");
    const QPoint mid(1, splitter->height() / 2);
    QTest::mousePress(splitter, Qt::LeftButton, {}, mid);
    EXPECT_TRUE(bar->isVisible());
    // Far to the left: the bar stops 500 twips in; on release the layout clamps to 1500.
    QMouseEvent move(QEvent::MouseMove, QPointF(-splitter->x() - 200, mid.y()),
                     splitter->mapToGlobal(QPointF(-splitter->x() - 200, mid.y())), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &move);
    EXPECT_NEAR(bar->x() * 15, 500, 15);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, mid);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(win->splitterPosition(), 1500);
    EXPECT_NEAR(find("tvTreeView")->width() * 15, 1500, 15);
    EXPECT_NEAR(find("panels")->x() * 15, 1560, 15);

    win->resize(100, 800);
    QCoreApplication::processEvents();
    EXPECT_EQ(win->width(), 200); // 3000 twips

    // Shift held is help mode, released it is not.
    QTest::keyPress(find("txtUserName"), Qt::Key_Shift);
    EXPECT_TRUE(win->helpOn());
    QTest::keyRelease(find("txtUserName"), Qt::Key_Shift);
    EXPECT_FALSE(win->helpOn());
}

TEST_F(RecordPanelTest, ApplyKeepsTheTypingOfTheCurrentRecordAndAsksForARestart)
{
    loadWith({{{Field::UserName, "ann"}}});
    QLineEdit *user = find<QLineEdit>("txtUserName");
    user->setFocus();
    user->selectAll();
    QTest::keyClicks(user, "annie");
    QSignalSpy restart(win.get(), &FrmMain::restartRequested);
    win->Apply();
    EXPECT_EQ(restart.count(), 1);
    // The placement is not saved on this way out.
    EXPECT_EQ(settings.read("Settings", "MainWidth", "absent"), "absent");
    win.reset();
    EXPECT_EQ(TestSupport::storedField(folder.dbPath(), 0, Field::UserName), "annie");
}
