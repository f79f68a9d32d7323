#pragma once
// The trend of one loop: PV and SP on the PV input's scale (left axis), OUT in
// percent (right axis), over the last ten minutes.
#include <QtCharts/QChartView>

#include "core/editing/RegulatorOnline.h"

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace zul {

class LoopTrendChart : public QChartView {
  Q_OBJECT
 public:
  LoopTrendChart(const QString& title, double scaleMin, double scaleMax, QWidget* parent = nullptr);
  // Redraws the series from the recorded samples; non-numbers leave gaps.
  void Show(const LoopTrend& trend);
  void SetScale(double min, double max);
  double ScaleMin() const;
  double ScaleMax() const;
  int PointCount() const;

 private:
  QLineSeries* pv_;
  QLineSeries* sp_;
  QLineSeries* out_;
  QDateTimeAxis* time_;
  QValueAxis* scale_;
  QValueAxis* percent_;
};

}  // namespace zul
