#include "GridLook.h"

#include <QHeaderView>
#include <QTableView>

#include "ColumnRatios.h"

namespace {
constexpr int kTwipsPerInch = 1440;
}

int TwipsToPixels(int twips, const QWidget* widget) {
    const int dpi = widget != nullptr ? widget->logicalDpiX() : 96;
    return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

void SetUpReadOnlyGrid(QTableView* view, std::initializer_list<int> twips) {
    view->verticalHeader()->hide();
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setFocusPolicy(Qt::NoFocus);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    view->horizontalHeader()->setHighlightSections(false);
    auto* ratios = new ColumnRatios(view, QVector<int>(twips));
    view->setMinimumWidth(ratios->NaturalWidth() + 2 * view->frameWidth());
}

int FullGridHeight(const QTableView* view, int rows) {
    const int rowHeight = view->verticalHeader()->defaultSectionSize();
    return view->horizontalHeader()->sizeHint().height() + rows * rowHeight +
           2 * view->frameWidth();
}
