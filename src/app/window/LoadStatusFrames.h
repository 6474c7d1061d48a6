#pragma once

#include <QWidget>

class DisplayBinding;
class StatusGridModel;

// "Load Connect Status" with its grid, the empty "Power Meter Connect Status"
// (no power meter is driven) and the clock below them.
class LoadStatusFrames : public QWidget {
    Q_OBJECT

  public:
    LoadStatusFrames(StatusGridModel& loadStatus, DisplayBinding& binding,
                     QWidget* parent = nullptr);
};
