#include "StepJumps.h"

#include "ActionCatalogue.h"
#include "Measurement.h"
#include "NumberText.h"
#include "ResumePlan.h"
#include "RunChannel.h"
#include "RunState.h"
#include "TestFile.h"

bool KeepsPulseLoad(const QString& nextAction) {
    return nextAction == Action::kPlusLoad || nextAction == Action::kLoop ||
           nextAction == Action::kLoop2;
}

StepJumps::StepJumps(RunContext& context) : m_ctx(context) {}

QString StepJumps::ActionOf(int stepIndex) const {
    return m_ctx.test.Records().Field(stepIndex, StepField::ActionMode);
}

int StepJumps::AfterLoopStep(int stepIndex) {
    RunState& s = m_ctx.state;
    StepTable& table = m_ctx.test.Table();
    const QString action = ActionOf(stepIndex);
    const bool level2 = action == Action::kFor2 || action == Action::kLoop2;
    int& row = level2 ? s.For2Row : s.ForRow;
    int& count = level2 ? s.For2LoopCount : s.ForLoopCount;

    if (action == Action::kFor || action == Action::kFor2) {
        row = stepIndex + 1;
        count = RoundedInteger(NumericValue(table.Cell(row, StepColumn::LoopTimes)));
        return stepIndex + 1;
    }
    if (row == 0) {
        return stepIndex + 1;  // a loop end with no loop entered
    }
    m_ctx.measurement.ClearIntegrals();
    const double remaining = NumericValue(table.Cell(row, StepColumn::LoopTimes));
    if (remaining > 1) {
        table.SetCell(row, StepColumn::LoopTimes, NumberText(remaining - 1));
        return row;  // the first step inside the loop
    }
    table.SetCell(row, StepColumn::LoopTimes, QString::number(count));
    row = 0;  // the loop is left: its count shows nowhere any more
    return stepIndex + 1;
}

void StepJumps::RestoreLoops(const ResumePlan& plan) {
    RunState& s = m_ctx.state;
    StepTable& table = m_ctx.test.Table();
    s.ForRow = plan.forRow;
    s.ForLoopCount = plan.forLoopCount;
    s.For2Row = plan.for2Row;
    s.For2LoopCount = plan.for2LoopCount;
    if (plan.forRow > 0) {
        table.SetCell(plan.forRow, StepColumn::LoopTimes, plan.forCell);
    }
    if (plan.for2Row > 0) {
        table.SetCell(plan.for2Row, StepColumn::LoopTimes, plan.for2Cell);
    }
}

void StepJumps::ToGoToTarget() {
    RunState& s = m_ctx.state;
    StepTable& table = m_ctx.test.Table();
    const int total = m_ctx.test.TotalStepCount();
    const bool fromPulse = ActionOf(s.CurrentStep) == Action::kPlusLoad;
    const QString target = m_ctx.test.Records().Field(s.CurrentStep, StepField::GoToStep).toUpper();
    const auto find = [&](const QStringList& actions) {
        for (int j = s.CurrentStep + 1; j <= total; ++j) {
            if (actions.contains(ActionOf(j))) {
                return j;
            }
        }
        return -1;
    };
    const auto restore = [&](int row, int count) {
        if (row >= 1) {
            table.SetCell(row, StepColumn::LoopTimes, QString::number(count));
        }
    };
    const auto leavePulse = [&](int nextIndex) {
        if (fromPulse && !KeepsPulseLoad(ActionOf(nextIndex))) {
            m_ctx.channel.LoadOffFirstChannel();
        }
    };

    if (target == QLatin1String("NEXTSTEP")) {
        s.CurrentStep += 1;
    } else if (target == QLatin1String("ENDLOOP") || target == QLatin1String("ENDLOOP2")) {
        const bool level2 = target == QLatin1String("ENDLOOP2");
        const int j = find({level2 ? Action::kLoop2 : Action::kLoop});
        if (j >= 0) {
            leavePulse(j + 1);
            s.CurrentStep = j + 1;
            if (!level2) {
                restore(s.ForRow, s.ForLoopCount);
                s.ForRow = 0;
            }
            restore(s.For2Row, s.For2LoopCount);
            if (level2) {
                s.For2Row = 0;
            }
        }
    } else if (target == QLatin1String("CONTINUE")) {
        const int j = find({Action::kLoop, Action::kLoop2});
        if (j >= 0) {
            s.CurrentStep = j;
        }
    } else {
        const int n = RoundedInteger(NumericValue(target));
        if (NumericValue(target) > 0 && n > 0) {
            // Loops passed over on the way forward are left with full counts;
            // a target past the list passes over the rest of the list only.
            const int last = qMin(n - 1, total - 1);
            for (int j = s.CurrentStep; j <= last; ++j) {
                const QString action = ActionOf(j);
                if (action == Action::kLoop) {
                    restore(s.ForRow, s.ForLoopCount);
                } else if (action == Action::kLoop2) {
                    restore(s.For2Row, s.For2LoopCount);
                } else if (action == Action::kFor) {
                    s.ForLoopCount =
                        RoundedInteger(NumericValue(table.Cell(s.ForRow, StepColumn::LoopTimes)));
                } else if (action == Action::kFor2) {
                    s.For2LoopCount =
                        RoundedInteger(NumericValue(table.Cell(s.For2Row, StepColumn::LoopTimes)));
                }
            }
            leavePulse(n - 1);
            s.CurrentStep = n - 1;
        }
    }
}
