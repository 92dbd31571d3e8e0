#pragma once

#include <functional>

class QPrinter;
class QWidget;

// The print preview every printed document goes through, from which the seller prints or
// saves a PDF.
class PrintCommands
{
public:
    // Shows the pages and lets the user print them; `paint` paints them on the printer
    // chosen. The print preview dialog unless tests replace it.
    using Runner = std::function<void(QWidget *parent, const std::function<void(QPrinter *)> &paint)>;
    static void setRunner(Runner runner);
    static void showPreview(QWidget *parent, const std::function<void(QPrinter *)> &paint);
};
