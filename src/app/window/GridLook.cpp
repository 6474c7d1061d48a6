#include "GridLook.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>
#include <QVector>

namespace {
constexpr int kTwipsPerInch = 1440;

int ApplyColumnWidths(QTableView* view, const QVector<int>& twips) {
    int total = 0;
    for (int column = 0; column < twips.size(); ++column) {
        const int pixels = TwipsToPixels(twips[column], view);
        view->setColumnWidth(column, pixels);
        total += pixels;
    }
    return total;
}
}  // namespace

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
    const QVector<int> widths(twips);
    const int total = ApplyColumnWidths(view, widths);
    // A model that lays itself out anew would otherwise fall back to default widths.
    // The view may be half destroyed when a model it owns resets on its way out.
    QObject* receiver = view;
    QObject::connect(view->model(), &QAbstractItemModel::modelReset, view, [receiver, widths] {
        if (auto* table = qobject_cast<QTableView*>(receiver)) {
            ApplyColumnWidths(table, widths);
        }
    });
    view->horizontalHeader()->setStretchLastSection(true);
    view->setMinimumWidth(total + 2 * view->frameWidth());
}

int FullGridHeight(const QTableView* view, int rows) {
    const int rowHeight = view->verticalHeader()->defaultSectionSize();
    return view->horizontalHeader()->sizeHint().height() + rows * rowHeight +
           2 * view->frameWidth();
}
