#include "printbuttons.h"

#include "mainwindow/emailwizardpanel.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/shippanel.h"
#include "platform/busycursor.h"
#include "platform/prompts.h"
#include "records/recordstore.h"
#include "reports/printcommands.h"

#include <QPrinter>
#include <QPushButton>

PrintButtons::PrintButtons(FrmMain &window) : QObject(&window), m_win(window)
{
    connect(window.emailWizardPanel()->printButton(), &QPushButton::clicked, this,
            [this] { printChecked(*m_win.emailWizardPanel(), PrintDocuments::Kind::Invoice); });
    connect(window.shipPanel()->printButton(), &QPushButton::clicked, this,
            [this] { printChecked(*m_win.shipPanel(), PrintDocuments::Kind::PackingSlip); });
}

void PrintButtons::printChecked(const QueuePanel &panel, PrintDocuments::Kind kind)
{
    const QueueListModel &model = *panel.model();
    std::vector<std::pair<QString, QString>> rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        if (model.isChecked(r))
            rows.emplace_back(model.row(r).userName, model.row(r).auctionName);
    }
    const QString title = QStringLiteral("Print ") + PrintDocuments::title(kind);
    if (rows.empty()) {
        prompts().message(QStringLiteral("Check the rows to print first."), title, Prompts::Ok,
                          Prompts::Icon::Information);
        return;
    }
    QString templateHtml;
    QString error;
    if (!PrintDocuments::readTemplate(m_win.appFolder(), kind, &templateHtml, &error)) {
        prompts().message(error, title, Prompts::Ok, Prompts::Icon::Warning);
        return;
    }
    QStringList pages;
    std::vector<int> records;
    {
        BusyCursor busy;
        const RecordStore &store = m_win.store();
        records = PrintDocuments::recordsOfRows(store, rows);
        pages = PrintDocuments::pages(templateHtml, store, records,
                                      PrintDocuments::Seller::read(m_win.settings()), m_win.today());
    }
    if (pages.isEmpty()) {
        prompts().message(QStringLiteral("The records of the checked rows are no longer there; "
                                         "show the list again to bring it up to date."),
                          title, Prompts::Ok, Prompts::Icon::Information);
        return;
    }
    const auto paint = [pages](QPrinter *printer) {
        BusyCursor busy;
        PrintDocuments::print(*printer, pages);
    };
    PrintCommands::showPreview(&m_win, paint);
    m_win.showStatus(QStringLiteral("%1 for %2 buyer(s), %3 item(s).")
                         .arg(PrintDocuments::title(kind))
                         .arg(pages.size())
                         .arg(records.size()));
}
