#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <functional>

// Draws a grid cell's text in the colour its model asks for (an invalid
// colour keeps the view's own), so models that know nothing about widgets can
// still colour their cells.
class TextColourDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using ColourOf = std::function<QColor(const QModelIndex&)>;

    TextColourDelegate(ColourOf colourOf, QObject* parent = nullptr);

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    ColourOf m_colourOf;
};
