#include "LoopPairs.h"

#include "ActionCatalogue.h"
#include "StepTable.h"

namespace {
QString Opener(int level) {
    return level == 1 ? Action::kFor : Action::kFor2;
}

QString Closer(int level) {
    return level == 1 ? Action::kLoop : Action::kLoop2;
}
}  // namespace

LoopPairs::LoopPairs(const StepTable& table) {
    for (int step = 1; step <= table.StepCount(); ++step) {
        const QString action = table.Cell(step, StepColumn::ActionMode);
        const int level = Action::LoopLevel(action);
        if (level == 0) {
            continue;
        }
        if (Action::OpensLoop(action)) {
            Open(step, level);
        } else {
            Close(step, level);
        }
    }
    for (const OpenLoop& loop : m_open) {
        Report(loop.step,
               QStringLiteral("%1 has no %2 after it").arg(Opener(loop.level), Closer(loop.level)));
    }
}

void LoopPairs::Report(int step, const QString& text) {
    m_findings.push_back({step, CheckFinding::Severity::Error, text});
}

void LoopPairs::Open(int step, int level) {
    for (const OpenLoop& loop : m_open) {
        if (loop.level == level) {
            Report(step, QStringLiteral("%1 opens a loop inside the %1 loop of step %2; a run "
                                        "keeps one %1 loop at a time (nest a %3 loop instead)")
                             .arg(Opener(level))
                             .arg(loop.step)
                             .arg(Opener(3 - level)));
            break;
        }
    }
    m_open.push_back({step, level});
}

void LoopPairs::Close(int step, int level) {
    int index = static_cast<int>(m_open.size()) - 1;
    while (index >= 0 && m_open[index].level != level) {
        --index;
    }
    if (index < 0) {
        Report(step, QStringLiteral("%1 has no %2 before it").arg(Closer(level), Opener(level)));
        return;
    }
    const OpenLoop opened = m_open[index];
    if (index != m_open.size() - 1) {
        const OpenLoop& inner = m_open[index + 1];
        Report(step, QStringLiteral("%1 closes the %2 loop of step %3 across the %4 loop of "
                                    "step %5, which is still open")
                         .arg(Closer(level), Opener(level))
                         .arg(opened.step)
                         .arg(Opener(inner.level))
                         .arg(inner.step));
    }
    m_ends.insert(opened.step, step);
    m_open.remove(index);
}
