// The main window's layout: its placement, the rules that size the left column and the
// panels, the splitter drag, list columns, and the pointer and key rules that span the window
// (help mode, the calendar's hiding, the task tree's keys, the status bar's clicks).

#include "frmmain.h"

#include "mainwindow/placement.h"
#include "mainwindow/recordpanel.h"
#include "windows/frmnotes.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

void FrmMain::restorePlacement()
{
    Placement p = Placement::read(m_settings);
    if (!Placement::hasSplitter(m_settings))
        p.splitter = std::max(p.splitter, captionFitWidth());
    m_splitterX = p.splitter;
    if (Placement::isStored(m_settings)) {
        setGeometry(pixels(p.left), pixels(p.top), pixels(p.width), pixels(p.height));
    } else {
        // A first start: room for the whole layout and the record panel's controls, as far
        // as the screen allows, in the middle of it.
        const Layout::Input in = layoutInput();
        // A few pixels over, for the rounding of twips on the way.
        const QSize panel = m_recordPanel->neededSize() + QSize(4, 4);
        const int menu = heightOf(menuWidget());
        QSize size(std::max(pixels(Layout::kMinClientWidth), panel.width() + pixels(p.splitter + 240)),
                   menu + std::max(pixels(Layout::kMinClientHeight),
                                   panel.height() + pixels(in.toolbarHeight + in.statusBarHeight + 220)));
        const QRect avail = screen() ? screen()->availableGeometry() : QRect();
        if (!avail.isEmpty())
            size = size.boundedTo(avail.size());
        QRect g(QPoint(), size);
        if (!avail.isEmpty())
            g.moveCenter(avail.center());
        setGeometry(g);
        m_fitFrameOnShow = true;
    }
    SizeControls(p.splitter);
}

int FrmMain::captionFitWidth() const
{
    // The top captions and the view buttons' captions whole at the font in use; room for
    // the scroll bar that expanding the branches brings, so it cuts none of them then.
    m_tree->ensurePolished();
    int need = 0;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        need = std::max(need, m_tree->sizeHintForIndex(m_tree->model()->index(i, 0)).width());
    if (m_tree->rootIsDecorated())
        need += m_tree->indentation();
    need += 2 * m_tree->frameWidth() +
            m_tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_tree);
    for (QPushButton *b : m_viewButtons)
        need = std::max(need, b->sizeHint().width());
    // A pixel over, for the rounding of twips on the way.
    return twips(need + 1);
}

void FrmMain::savePlacement()
{
    Placement p;
    const QRect g = geometry();
    p.left = twips(g.x());
    p.top = twips(g.y());
    p.width = twips(g.width());
    p.height = twips(g.height());
    p.splitter = m_splitterX;
    p.save(m_settings);
}

int FrmMain::heightOf(const QWidget *w) const
{
    // Before the window is first shown its bars have no size of their own yet: their hints
    // are what they will get.
    if (!w || w->isHidden())
        return 0;
    return w->isVisible() ? w->height() : w->sizeHint().height();
}

Layout::Input FrmMain::layoutInput() const
{
    // The rules' client area is the window below its menu bar, toolbar and status bar
    // included.
    Layout::Input in;
    in.windowWidth = twips(width());
    in.clientWidth = twips(width());
    in.clientHeight = twips(height() - heightOf(menuWidget()));
    in.toolbarHeight = twips(heightOf(m_toolbar));
    in.statusBarHeight = twips(statusBar()->isVisible() ? statusBar()->height()
                                                        : statusBar()->sizeHint().height());
    in.statusBarVisible = !statusBar()->isHidden();
    return in;
}

void FrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    const QRect avail = screen() ? screen()->availableGeometry() : QRect();
    if (!std::exchange(m_fitFrameOnShow, false) || avail.isEmpty())
        return;
    const QRect frame = frameGeometry(), inner = geometry();
    const QSize border = frame.size() - inner.size();
    QRect outer(QPoint(), (inner.size().boundedTo(avail.size() - border)) + border);
    outer.moveCenter(avail.center());
    const QRect fitted(outer.topLeft() + (inner.topLeft() - frame.topLeft()), outer.size() - border);
    if (fitted != inner)
        setGeometry(fitted);
}

void FrmMain::ResizeListview(QTreeView *list)
{
    if (!list || !list->model())
        return;
    const int n = list->model()->columnCount();
    if (n <= 0)
        return;
    // Rows just given get their scroll bars when the view next lays itself out: lay it out
    // now, so the columns fit the room the bars leave and nothing scrolls sideways.
    list->doItemsLayout();
    list->setVerticalScrollBarPolicy(list->verticalScrollBarPolicy());
    // Each header whole, with room for the sort arrow that a click on it shows.
    QHeaderView *header = list->header();
    const bool arrow = header->isSortIndicatorShown();
    header->setSortIndicatorShown(true);
    std::vector<int> needs;
    for (int c = 0; c < n; ++c)
        needs.push_back(twips(header->sectionSizeHint(c) + 1));
    header->setSortIndicatorShown(arrow);
    const std::vector<int> widths =
        Layout::listColumnWidths(twips(list->viewport()->width()), needs);
    for (int c = 0; c < n; ++c)
        list->setColumnWidth(c, pixels(widths[size_t(c)]));
}

int FrmMain::twips(int px) const { return pixelsToTwips(px, logicalDpiX() > 0 ? logicalDpiX() : 96.0); }

int FrmMain::pixels(int tw) const { return twipsToPixels(tw, logicalDpiX() > 0 ? logicalDpiX() : 96.0); }

void FrmMain::SizeControls(int x)
{
    const Layout::Result r = Layout::sizeControls(layoutInput(), x);
    // In a window too small to lay out the splitter stays too: its place is always where a
    // layout put it, and only that is saved.
    if (!r.moved)
        return;
    applyLayout(r);
    if (r.widenWindow) {
        // The layout runs again on the resize that follows; a screen too narrow to widen
        // into keeps the layout as it is.
        const QRect avail = screen() ? screen()->availableGeometry() : QRect();
        if (avail.isEmpty() || frameGeometry().width() + pixels(200) <= avail.width())
            resize(width() + pixels(200), height());
    }
}

void FrmMain::applyLayout(const Layout::Result &r)
{
    // The rules measure from just below the menu bar, toolbar included; the client area
    // starts below the toolbar.
    const int offset = m_client->isVisible()
                           ? m_client->mapTo(this, QPoint(0, 0)).y() - heightOf(menuWidget())
                           : heightOf(m_toolbar);
    const auto place = [&](QWidget *w, const QRect &tw) {
        QRect px(pixels(tw.left()), pixels(tw.top()) - offset, pixels(tw.width()), pixels(tw.height()));
        // A toolbar thinner than the rules assume must not push the panels off the bottom.
        px.setTop(std::max(px.top(), 2));
        if (m_client->isVisible() && px.bottom() > m_client->height() - 2)
            px.setBottom(std::max(px.top() + 20, m_client->height() - 2));
        w->setGeometry(px);
    };
    for (int i = 0; i < m_viewButtons.size() && i < Layout::kViewButtonCount; ++i)
        place(m_viewButtons[i], r.viewButtons[i]);
    place(m_tree, r.tree);
    place(m_panels, r.panels);
    place(m_splitterBar, r.splitter);
    m_splitterX = r.splitterX;
}

void FrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (twips(width()) < Layout::kMinWindowWidth) {
        resize(pixels(Layout::kMinWindowWidth), height());
        return;
    }
    SizeControls(m_splitterX);
}

void FrmMain::setHelpOn(bool on)
{
    m_helpOn = on;
    if (!on) {
        for (QWidget *w : m_helpControls)
            w->unsetCursor();
    }
}

void FrmMain::registerHelpControl(QWidget *control, bool balloon)
{
    m_helpControls.append(control);
    control->setMouseTracking(true);
    if (balloon)
        m_balloonControls.append(control);
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    const QEvent::Type type = event->type();

    // Enter or Space on a task node is the keyboard's node click.
    if (type == QEvent::KeyPress && watched == m_tree && m_tree->currentItem()) {
        const int k = static_cast<QKeyEvent *>(event)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) {
            tvTreeView_NodeClick(m_tree->currentItem()->data(0, kNodeKeyRole).toString());
            return true;
        }
    }

    // A field's own Ctrl+C and Ctrl+X would leave the old clipboard when nothing is
    // selected; the keys do what the Edit menu does.
    if (type == QEvent::KeyPress && widget && widget->window() == this &&
        widget == QApplication::focusWidget() &&
        (qobject_cast<QLineEdit *>(widget) || qobject_cast<QPlainTextEdit *>(widget) ||
         qobject_cast<QComboBox *>(widget))) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool copy = key->matches(QKeySequence::Copy);
        if (copy || key->matches(QKeySequence::Cut)) {
            editCommand(copy ? "copy" : "cut");
            return true;
        }
    }

    // Shift held anywhere in this window is help mode.
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Shift && widget &&
        widget->window() == this) {
        if (type == QEvent::KeyPress)
            m_helpOn = true;
        else
            setHelpOn(false);
        return false;
    }

    if (watched == m_splitterBar) {
        if (type == QEvent::MouseButtonPress) {
            const QRect g = m_splitterBar->geometry();
            m_dragBar->setGeometry(g.left(), g.top(), pixels(twips(g.width()) / 2),
                                   std::max(1, g.height() - pixels(20)));
            m_dragBar->raise();
            m_dragBar->show();
            m_dragging = true;
            return true;
        }
        if (type == QEvent::MouseMove && m_dragging) {
            const int p = twips(m_splitterBar->x() +
                                int(static_cast<QMouseEvent *>(event)->position().x()));
            m_dragBar->move(pixels(Layout::dragBarLeft(p, twips(width()))), m_dragBar->y());
            return true;
        }
        if (type == QEvent::MouseButtonRelease && m_dragging) {
            SizeControls(twips(m_dragBar->x()));
            m_dragBar->hide();
            m_dragging = false;
            return true;
        }
    }

    if (type == QEvent::MouseMove) {
        if (widget && (widget == statusBar() || statusBar()->isAncestorOf(widget))) {
            m_mouseX = twips(widget->mapTo(statusBar(), static_cast<QMouseEvent *>(event)->position().toPoint()).x());
        } else if (m_helpControls.contains(widget)) {
            if (m_helpOn)
                widget->setCursor(Qt::WhatsThisCursor);
            else
                widget->unsetCursor();
        } else if (m_calendarHiders.contains(widget) && m_monthView->isVisible()) {
            m_monthView->hide();
        }
    } else if (type == QEvent::MouseButtonPress && m_helpOn && m_balloonControls.contains(widget)) {
        ShowHelpBallon(widget);
        return true;
    } else if (type == QEvent::MouseButtonRelease && widget) {
        // The online picture stands at the left of the first panel and belongs to it.
        for (int i = 0; i < 4; ++i) {
            const QFrame *panel = m_statusPanels[size_t(i)];
            if (widget == panel || panel->isAncestorOf(widget) || (i == 0 && widget == m_onlinePicture)) {
                statusBarClick(i + 1);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
