#include "LoadStatusFrames.h"

#include <QGroupBox>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DisplayBinding.h"
#include "GridLook.h"
#include "StatusGridModel.h"
#include "TextColourDelegate.h"

namespace {
QGroupBox* Frame(const QString& caption, QWidget* content, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(content);
    return frame;
}
}  // namespace

LoadStatusFrames::LoadStatusFrames(StatusGridModel& loadStatus, DisplayBinding& binding,
                                   QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* grid = new QTableView(this);
    grid->setObjectName(QStringLiteral("LoadStatusGrid"));
    grid->setModel(&loadStatus);
    SetUpReadOnlyGrid(grid, {700, 2000, 1600});
    grid->setItemDelegate(new TextColourDelegate(
        [](const QModelIndex& index) {
            const QVariant rgb = index.data(StatusGridModel::kTextRgbRole);
            return rgb.isValid() && rgb.toInt() != 0 ? QColor::fromRgb(rgb.toUInt()) : QColor();
        },
        grid));
    grid->setFixedHeight(FullGridHeight(grid, 1));

    // No power meter is driven; its grid stays empty.
    auto* powerMeter = new QTableWidget(0, 3, this);
    powerMeter->setObjectName(QStringLiteral("PowerMeterStatusGrid"));
    powerMeter->setHorizontalHeaderLabels(
        {QStringLiteral("No"), QStringLiteral("Address"), QStringLiteral("Status")});
    SetUpReadOnlyGrid(powerMeter, {700, 2000, 1600});
    powerMeter->setFixedHeight(FullGridHeight(powerMeter, 1));

    auto* time = new QLabel(this);
    time->setObjectName(QStringLiteral("TimeText"));
    time->setFrameShape(QFrame::StyledPanel);
    time->setAlignment(Qt::AlignCenter);
    time->setMinimumWidth(time->fontMetrics().horizontalAdvance("0000/00/00 00:00:00") + 16);
    binding.Bind(Displays::DateTime, time);

    layout->addWidget(Frame(QStringLiteral("Load Connect Status"), grid, this));
    layout->addWidget(Frame(QStringLiteral("Power Meter Connect Status"), powerMeter, this));
    layout->addWidget(time);
}
