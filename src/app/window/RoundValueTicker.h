#pragma once

#include <qcustomplot.h>

// Ticks at round values (1, 2, 2.5 or 5 times a power of ten) labelled with
// exactly the decimals the tick step needs, so that neighbouring labels
// never read the same however narrow the range.
class RoundValueTicker : public QCPAxisTicker {
  public:
    // The decimals that tell apart multiples of `step` ("0.25" needs two).
    static int DecimalsFor(double step);

  protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;

  private:
    double m_step = 1;
};
