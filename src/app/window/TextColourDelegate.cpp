#include "TextColourDelegate.h"

TextColourDelegate::TextColourDelegate(ColourOf colourOf, QObject* parent)
    : QStyledItemDelegate(parent), m_colourOf(std::move(colourOf)) {}

void TextColourDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor colour = m_colourOf(index);
    if (colour.isValid()) {
        option->palette.setColor(QPalette::Text, colour);
        option->palette.setColor(QPalette::HighlightedText, colour);
    }
}
