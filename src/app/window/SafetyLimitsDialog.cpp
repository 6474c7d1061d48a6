#include "SafetyLimitsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Operator.h"

namespace {
struct LimitEntry {
    const char* key;
    const char* caption;
    const char* unit;
};

constexpr LimitEntry kEntries[] = {
    {"MinVoltage", "Lowest voltage (each phase)", "V"},
    {"MaxVoltage", "Highest voltage (each phase)", "V"},
    {"MaxCurrent", "Highest current (total of the phases)", "A"},
    {"MaxPower", "Highest power (total of the phases)", "W"},
    {"MaxTestTime", "Longest test time", "s"},
};

const QString kActionKey = QStringLiteral("Action");
}  // namespace

SafetyLimitsDialog::SafetyLimitsDialog(const SafetyLimits& limits, Operator& op,
                                       std::function<bool(const SafetyLimits&)> save,
                                       QWidget* parent)
    : QDialog(parent), m_operator(op), m_save(std::move(save)) {
    setObjectName(QStringLiteral("SafetyLimitsDialog"));
    setWindowTitle(QStringLiteral("Safety Limits"));
    auto* form = new QFormLayout;
    for (const LimitEntry& entry : kEntries) {
        const QString key = QLatin1String(entry.key);
        auto* box = new QLineEdit(SafetyLimitText(limits, key), this);
        box->setObjectName(key + QStringLiteral("Text"));
        box->setPlaceholderText(QStringLiteral("no limit"));
        auto* row = new QHBoxLayout;
        row->addWidget(box);
        row->addWidget(new QLabel(QLatin1String(entry.unit), this));
        form->addRow(QLatin1String(entry.caption), row);
        m_boxes.insert(key, box);
    }
    m_action = new QComboBox(this);
    m_action->setObjectName(QStringLiteral("ActionBox"));
    m_action->addItems({QStringLiteral("Stop"), QStringLiteral("Pause")});
    m_action->setCurrentIndex(limits.action == SafetyLimits::Action::Pause ? 1 : 0);
    form->addRow(QStringLiteral("When a limit is crossed"), m_action);

    auto* note = new QLabel(
        QStringLiteral("Every measurement point is checked. On a breach the load is switched "
                       "off at once, the point logged, and the test stopped or paused."),
        this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SafetyLimitsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SafetyLimitsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

std::optional<SafetyLimits> SafetyLimitsDialog::Entered() const {
    SafetyLimits limits;
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it) {
        SetSafetyLimitText(&limits, it.key(), it.value()->text());
    }
    SetSafetyLimitText(&limits, kActionKey, m_action->currentText());
    const QStringList problems = limits.Problems();
    if (!problems.isEmpty()) {
        m_operator.ShowMessage(problems.join(QLatin1Char('\n')));
        return std::nullopt;
    }
    return limits;
}

void SafetyLimitsDialog::accept() {
    const auto limits = Entered();
    if (!limits || (m_save && !m_save(*limits))) {
        return;
    }
    QDialog::accept();
}
