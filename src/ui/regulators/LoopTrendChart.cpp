#include "ui/regulators/LoopTrendChart.h"

#include <QDateTime>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <cmath>

namespace zul {

LoopTrendChart::LoopTrendChart(const QString& title, double scaleMin, double scaleMax, QWidget* parent)
    : QChartView(parent) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(2, 2, 2, 2));
  pv_ = new QLineSeries(chart);
  pv_->setName("PV");
  sp_ = new QLineSeries(chart);
  sp_->setName("SP");
  out_ = new QLineSeries(chart);
  out_->setName("OUT, %");
  pv_->setColor(QColor(0, 90, 200));
  sp_->setColor(QColor(0, 150, 0));
  out_->setColor(QColor(200, 80, 0));
  for (QLineSeries* s : {pv_, sp_, out_}) chart->addSeries(s);

  time_ = new QDateTimeAxis(chart);
  time_->setFormat("hh:mm:ss");
  // Four labels fit beside each other however narrow the window gets.
  time_->setTickCount(4);
  scale_ = new QValueAxis(chart);
  // An empty or reversed scale still needs an axis to draw on.
  scale_->setRange(scaleMin, scaleMax > scaleMin ? scaleMax : scaleMin + 1);
  scale_->setTitleText("PV, SP");
  percent_ = new QValueAxis(chart);
  percent_->setRange(0, 100);
  percent_->setTitleText("OUT, %");
  chart->addAxis(time_, Qt::AlignBottom);
  chart->addAxis(scale_, Qt::AlignLeft);
  chart->addAxis(percent_, Qt::AlignRight);
  for (QLineSeries* s : {pv_, sp_, out_}) s->attachAxis(time_);
  pv_->attachAxis(scale_);
  sp_->attachAxis(scale_);
  out_->attachAxis(percent_);
  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(420, 250);
  const QDateTime now = QDateTime::currentDateTime();
  time_->setRange(now.addSecs(-600), now);
}

void LoopTrendChart::Show(const LoopTrend& trend) {
  QList<QPointF> pv, sp, out;
  for (const TrendSample& s : trend.Samples()) {
    const double x = static_cast<double>(s.ms);
    if (std::isfinite(s.pv)) pv.append({x, s.pv});
    if (std::isfinite(s.sp)) sp.append({x, s.sp});
    if (std::isfinite(s.out)) out.append({x, s.out});
  }
  pv_->replace(pv);
  sp_->replace(sp);
  out_->replace(out);
  if (!trend.Samples().empty()) {
    const qint64 last = trend.Samples().back().ms;
    time_->setRange(QDateTime::fromMSecsSinceEpoch(last - trend.WindowMs()),
                    QDateTime::fromMSecsSinceEpoch(last));
  }
}

void LoopTrendChart::SetScale(double min, double max) {
  if (max > min) scale_->setRange(min, max);
}

double LoopTrendChart::ScaleMin() const { return scale_->min(); }
double LoopTrendChart::ScaleMax() const { return scale_->max(); }

int LoopTrendChart::PointCount() const { return static_cast<int>(pv_->count()); }

}  // namespace zul
