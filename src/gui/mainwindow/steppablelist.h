#pragma once

// A list of a list panel as the window's Move Back and Move Forward step through it.
// Rows count from 1; 0 means no row is selected.
class SteppableList
{
public:
    virtual ~SteppableList() = default;
    virtual int rowCount() const = 0;
    virtual int selectedRow() const = 0;
    virtual void selectRow(int row) = 0;
    // The list's row click: makes the row's record current.
    virtual void rowClick(int row) = 0;
};
