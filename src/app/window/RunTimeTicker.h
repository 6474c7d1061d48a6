#pragma once

#include <qcustomplot.h>

// Ticks of a run-time axis in seconds since the start, at round clock steps
// (10 s, 15 s, 1 min, 30 min, 1 h, 6 h ...), labelled as the data log's total
// time reads: h:mm:ss with hours running past 24, tenths of a second added
// when the step is shorter than a second.
class RunTimeTicker : public QCPAxisTicker {
  public:
    // `seconds` as h:mm:ss with `decimals` digits of the second.
    static QString Label(double seconds, int decimals);

  protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;

  private:
    double m_step = 1;
};
