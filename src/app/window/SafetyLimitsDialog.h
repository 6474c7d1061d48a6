#pragma once

#include <QDialog>
#include <QMap>
#include <functional>
#include <optional>

#include "SafetyLimits.h"

class Operator;
class QComboBox;
class QLineEdit;

// The test's safety limits, reached from the run controls: one box per
// limit (empty for none) and the action on a breach. OK checks the entries
// and hands them to `save` (which writes them into the test file); the
// dialog stays open when an entry is refused or the file cannot be written.
class SafetyLimitsDialog : public QDialog {
    Q_OBJECT

  public:
    SafetyLimitsDialog(const SafetyLimits& limits, Operator& op,
                       std::function<bool(const SafetyLimits&)> save, QWidget* parent = nullptr);

    void accept() override;

  private:
    // The limits as entered; nothing (and the operator told) when an entry
    // is no usable value.
    std::optional<SafetyLimits> Entered() const;

    Operator& m_operator;
    std::function<bool(const SafetyLimits&)> m_save;
    QMap<QString, QLineEdit*> m_boxes;  // by key
    QComboBox* m_action;
};
