#include "ColumnRatios.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QTableView>
#include <algorithm>
#include <numeric>

#include "GridLook.h"

ColumnRatios::ColumnRatios(QTableView* view, const QVector<int>& twips)
    : QObject(view), m_twips(twips) {
    view->viewport()->installEventFilter(this);
    if (view->model() != nullptr) {
        connect(view->model(), &QAbstractItemModel::modelReset, this, &ColumnRatios::Apply);
    }
    Apply();
}

QTableView* ColumnRatios::View() const {
    // A view being destroyed is no QTableView any more; a model it owns may
    // still reset on its way out.
    return qobject_cast<QTableView*>(parent());
}

int ColumnRatios::NaturalWidth() const {
    int total = 0;
    for (int width : m_twips) {
        total += TwipsToPixels(width, View());
    }
    return total;
}

void ColumnRatios::Apply() {
    QTableView* view = View();
    const int totalTwips = std::accumulate(m_twips.cbegin(), m_twips.cend(), 0);
    if (view == nullptr || totalTwips <= 0) {
        return;
    }
    const int available = std::max(view->viewport()->width(), NaturalWidth());
    int used = 0;
    for (int column = 0; column < m_twips.size(); ++column) {
        const bool last = column == m_twips.size() - 1;
        const int width = last ? available - used : available * m_twips[column] / totalTwips;
        view->setColumnWidth(column, width);
        used += width;
    }
}

bool ColumnRatios::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        Apply();
    }
    return QObject::eventFilter(watched, event);
}
