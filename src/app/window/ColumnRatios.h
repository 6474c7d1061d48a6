#pragma once

#include <QObject>
#include <QVector>

class QTableView;

// Keeps a grid's column widths in fixed ratios (given in twips) however wide
// the view becomes, so a layout drawn for one screen keeps its proportions.
class ColumnRatios : public QObject {
    Q_OBJECT

  public:
    // Becomes a child of `view` and follows its width and model resets.
    ColumnRatios(QTableView* view, const QVector<int>& twips);

    // Pixels the columns take at their drawn sizes.
    int NaturalWidth() const;
    void Apply();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTableView* View() const;

    QVector<int> m_twips;
};
