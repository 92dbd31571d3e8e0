#pragma once

#include <QApplication>
#include <QIcon>
#include <QStyle>

// The small pictures of the task tree and of the list rows, by their image-list number:
// 1 invoices, 2 shipping, 3 feedback, 4 reminders, 5 disputes (and a buyer with several
// items), 6 a list entry.
inline QIcon taskImage(int index)
{
    QStyle *s = QApplication::style();
    switch (index) {
    case 1: return s->standardIcon(QStyle::SP_FileDialogDetailedView);
    case 2: return s->standardIcon(QStyle::SP_ArrowRight);
    case 3: return s->standardIcon(QStyle::SP_DialogYesButton);
    case 4: return s->standardIcon(QStyle::SP_MessageBoxWarning);
    case 5: return s->standardIcon(QStyle::SP_MessageBoxInformation);
    default: return s->standardIcon(QStyle::SP_FileIcon);
    }
}
