#include "printcommands.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

PrintCommands::Runner &runner()
{
    static PrintCommands::Runner r;
    return r;
}

void preview(QWidget *parent, const std::function<void(QPrinter *)> &paint)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
}

} // namespace

void PrintCommands::setRunner(Runner r) { runner() = std::move(r); }

void PrintCommands::showPreview(QWidget *parent, const std::function<void(QPrinter *)> &paint)
{
    (runner() ? runner() : preview)(parent, paint);
}
