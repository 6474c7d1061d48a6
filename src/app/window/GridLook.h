#pragma once

#include <initializer_list>

class QTableView;
class QWidget;

// Grid widths are kept in twips (1/1440 inch), as the test engineers' layouts
// give them, and turned into pixels for the screen the view is on.
int TwipsToPixels(int twips, const QWidget* widget);

// The look shared by the small read-only grids: no row numbers, no editing,
// no selection, column widths in the ratios of `twips`. Call it once the model is set.
void SetUpReadOnlyGrid(QTableView* view, std::initializer_list<int> twips);

// Height that shows the header and every row without a scroll bar.
int FullGridHeight(const QTableView* view, int rows);
