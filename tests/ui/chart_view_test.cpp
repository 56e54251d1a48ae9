// The chart as a person sees it: a green curve clipped to the plot area, the title sixteen cells in, labels with the
// locale's separators that never overlap, and a kept picture that new points extend exactly as a full redraw would.
#include "ui/chart_view.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart_test_support.h"
#include "ui/chart_ticker.h"
#include "ui/print_factory.h"

namespace {

// The chart's size in the main window restored to 890 x 565 (the 184-pixel panel, menu and status bar off).
const QSize kSmallestChart(706, 500);

const QRgb kGreen = qRgb(0, 128, 0);

void SaveArtefact(const QImage& image, const QString& name) {
  QDir().mkpath(QUENRIK_ARTEFACT_DIR);
  image.save(QString(QUENRIK_ARTEFACT_DIR) + "/" + name);
}

TEST(ChartView, CurveIsGreenAndClippedToThePlotArea) {
  ChartModel model = ModelWithAxes(10, 20, -80, 0);
  model.SetTitleFromName("Test");
  // Inside, then out below, above, beyond both ends and far away: every border is crossed.
  for (const auto& [f, level] : std::vector<std::pair<double, double>>{
           {5, -40}, {11, -40}, {12, -20}, {13, -150}, {14, 30}, {15, -60}, {16, -30}, {17, 1e12}, {18, -50}, {25, -45}})
    model.AddPoint(f, level);
  ChartView view(model);
  view.resize(kSmallestChart);
  ShowExposed(view);
  const QImage image = Rendered(view);
  SaveArtefact(image, "chart.png");

  const QRect plot = view.PlotArea();
  int green = 0;
  int leftEdge = 0, rightEdge = 0, topEdge = 0, bottomEdge = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      ASSERT_NE(pixel, qRgb(255, 0, 0)) << "the series colour never shows";
      if (!IsGreenish(pixel)) continue;
      ASSERT_EQ(pixel, kGreen) << "at " << x << "," << y;
      ASSERT_TRUE(plot.contains(x, y)) << "green outside the plot area at " << x << "," << y;
      ++green;
      leftEdge += x <= plot.left() + 1;
      rightEdge += x >= plot.right() - 1;
      topEdge += y <= plot.top() + 1;
      bottomEdge += y >= plot.bottom() - 1;
    }
  }
  EXPECT_GT(green, 200);
  // Segments leaving the ranges are cut at the border, not dropped.
  EXPECT_GT(leftEdge, 0);
  EXPECT_GT(rightEdge, 0);
  EXPECT_GT(topEdge, 0);
  EXPECT_GT(bottomEdge, 0);
}

TEST(ChartView, TitleNameStartsAfterItsLeadingSpacesInCharacterCells) {
  const struct {
    std::string name;  // empty: the initial title
    int cells;
  } rows[] = {{"Test", 16}, {"", 14}, {"W", 16}};
  for (const auto& row : rows) {
    ChartModel model;
    if (!row.name.empty()) model.SetTitleFromName(row.name);
    ChartView view(model);
    view.resize(kSmallestChart);
    ShowExposed(view);
    const QImage image = Rendered(view);
    const auto* title = static_cast<QCPTextElement*>(view.plotLayout()->element(0, 0));
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(QFontInfo(title->font()).fixedPitch());
    const double cell = QFontMetricsF(title->font()).horizontalAdvance(QLatin1Char(' '));
    int first = -1;
    bool pureBlue = false;
    for (int x = 0; x < image.width() && first < 0; ++x)
      for (int y = 0; y < view.PlotArea().top() - 4; ++y)
        if (IsBluish(image.pixel(x, y))) first = x;
    for (int y = 0; y < view.PlotArea().top() - 4; ++y)
      for (int x = 0; x < image.width(); ++x) pureBlue |= image.pixel(x, y) == qRgb(0, 0, 255);
    SCOPED_TRACE(row.name);
    EXPECT_GE(first, row.cells * cell);
    EXPECT_LT(first, (row.cells + 1) * cell);
    EXPECT_TRUE(pureBlue);
  }
}

TEST(AxisLabelText, GroupsThousandsAndKeepsAtMostThreeDecimals) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const QLocale german(QLocale::German, QLocale::Germany);
  const struct {
    double value;
    QLocale locale;
    const char* text;
  } rows[] = {
      {1000.5, german, "1.000,5"},        {1000.5, english, "1,000.5"},       {150000000, english, "150,000,000"},
      {10.705, english, "10.705"},        {10.7, english, "10.7"},            {-90, english, "-90"},
      {1234567.125, german, "1.234.567,125"}, {0.1 + 0.2, english, "0.3"},   {-0.0001, english, "0"},
      {0.00049, german, "0"},             {1234.0001, english, "1,234"},      {1234.5, QLocale::c(), "1,234.5"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(AxisLabelText(row.value, row.locale).toStdString(), row.text) << row.value;
}

TEST(ChartView, LabelsCarryTheLocalesSeparators) {
  const struct {
    QLocale locale;
    const char* maximumLabel;
    QRegularExpression number;
  } rows[] = {
      {QLocale(QLocale::German, QLocale::Germany), "1.000,5", QRegularExpression("^-?\\d{1,3}(\\.\\d{3})*(,\\d{1,3})?$")},
      {QLocale(QLocale::English, QLocale::UnitedStates), "1,000.5",
       QRegularExpression("^-?\\d{1,3}(,\\d{3})*(\\.\\d{1,3})?$")},
  };
  for (const auto& row : rows) {
    const ChartModel model = ModelWithAxes(999, 1000.5, -1000.5, -999.5);
    ChartView view(model, nullptr, row.locale);
    view.resize(kSmallestChart);
    ShowExposed(view);
    Rendered(view);
    const QVector<QString> bottom = view.xAxis->tickVectorLabels();
    ASSERT_FALSE(bottom.isEmpty());
    EXPECT_EQ(bottom.last().toStdString(), row.maximumLabel);  // the label at the axis maximum
    for (const QVector<QString>& labels : {bottom, view.yAxis->tickVectorLabels()})
      for (const QString& label : labels) EXPECT_TRUE(row.number.match(label).hasMatch()) << label.toStdString();
  }
}

TEST(ChartView, AnAxisWithEqualBoundsShowsItsValue) {
  ChartModel model = ModelWithAxes(10.7, 10.7, -90, 5);
  ChartView view(model);
  view.resize(kSmallestChart);
  ShowExposed(view);
  Rendered(view);
  EXPECT_EQ(view.xAxis->tickVectorLabels(), QVector<QString>{"10.7"});
}

// Where QCustomPlot puts a tick label: centred under its tick below the plot, or right-aligned left of it.
QRectF LabelRect(const QCPAxis& axis, double tick, const QString& text) {
  const QFontMetricsF metrics(axis.tickLabelFont());
  const QRect plot = axis.axisRect()->rect();
  const double width = metrics.horizontalAdvance(text);
  const double distance = std::max(axis.tickLengthOut(), axis.subTickLengthOut()) + axis.tickLabelPadding();
  const double at = axis.coordToPixel(tick);
  if (axis.orientation() == Qt::Horizontal)
    return QRectF(at - width / 2, plot.bottom() + distance, width, metrics.height());
  return QRectF(plot.left() - distance - width, at - metrics.height() / 2, width, metrics.height());
}

std::vector<QRectF> LabelRects(const QCPAxis& axis) {
  std::vector<QRectF> rects;
  for (int i = 0; i < axis.tickVector().size(); ++i)
    rects.push_back(LabelRect(axis, axis.tickVector()[i], axis.tickVectorLabels()[i]));
  return rects;
}

TEST(ChartView, LabelsNeverOverlapFromTheRestoredWindowUp) {
  const QSize sizes[] = {kSmallestChart, {780, 520}, {1000, 640}, {1280, 800}, {1736, 1040}};
  struct Range {
    double minimum, maximum;
  };
  const Range frequencies[] = {{10.695, 10.705}, {10.6955, 10.6965}, {0, 150000000}, {149999999.999, 150000000},
                               {1, 150},         {-10, -5},          {0.001, 0.002}, {123456.789, 123456.79}};
  const Range levels[] = {{-90, 5}, {-80, 0}, {-200, -100}, {-0.002, -0.001}, {-1e6, 1e6}, {0, 20}};
  std::vector<std::pair<Range, Range>> cases;
  for (const Range& f : frequencies) cases.push_back({f, levels[0]});
  for (const Range& l : levels) cases.push_back({frequencies[0], l});
  for (const QSize& size : sizes) {
    for (const auto& [f, l] : cases) {
      const ChartModel model = ModelWithAxes(f.minimum, f.maximum, l.minimum, l.maximum);
      ChartView view(model);
      view.resize(size);
      ShowExposed(view);
      Rendered(view);
      SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()) + " frequency " +
                   std::to_string(f.minimum) + ".." + std::to_string(f.maximum) + " level " +
                   std::to_string(l.minimum) + ".." + std::to_string(l.maximum));
      const std::vector<QRectF> bottom = LabelRects(*view.xAxis);
      const std::vector<QRectF> left = LabelRects(*view.yAxis);
      EXPECT_GE(bottom.size(), 2u);
      EXPECT_GE(left.size(), 2u);
      for (std::size_t i = 1; i < bottom.size(); ++i) EXPECT_LT(bottom[i - 1].right(), bottom[i].left());
      for (std::size_t i = 1; i < left.size(); ++i) EXPECT_GT(left[i - 1].top(), left[i].bottom());
      const QRectF widget(view.rect());
      const QRectF title(static_cast<QCPTextElement*>(view.plotLayout()->element(0, 0))->rect());
      for (const QRectF& label : bottom) {
        EXPECT_TRUE(widget.contains(label));
        for (const QRectF& other : left) EXPECT_FALSE(label.intersects(other));
      }
      for (const QRectF& label : left) {
        EXPECT_TRUE(widget.contains(label));
        EXPECT_FALSE(label.intersects(title));
      }
    }
  }
}

// A printer writing a PDF file, for drawing the print layout in between screen paints.
class PdfPrinters : public PrinterFactory {
 public:
  explicit PdfPrinters(const QString& path) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(path);
  }
  QPrinter* DefaultPrinter() override { return &printer_; }

 private:
  QPrinter printer_{QPrinter::HighResolution};
};

TEST(ChartView, NewPointsDrawnOneByOneLookLikeAFullRedraw) {
  ChartModel model = ModelWithAxes(0, 100, -90, 5);
  ChartView view(model);
  view.resize(kSmallestChart);
  ShowExposed(view);
  const auto level = [](int i) { return -45 + 40 * std::sin(i * 0.3); };
  const auto expectLikeFreshChart = [&](const char* after) {
    ChartView fresh(model);
    fresh.resize(view.size());
    ShowExposed(fresh);
    EXPECT_EQ(Rendered(view), Rendered(fresh)) << "after " << after;
  };
  const auto addOneByOne = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      model.AddPoint(i * 1.5, level(i));
      view.Refresh();
      view.repaint();
    }
  };

  addOneByOne(0, 40);
  expectLikeFreshChart("appends");
  model.AddPoint(10.2, 0);  // before the end: everything moves
  view.Refresh();
  view.repaint();
  addOneByOne(40, 50);
  expectLikeFreshChart("an insertion and more appends");

  QTemporaryDir folder;
  PdfPrinters printers(folder.filePath("chart.pdf"));
  view.Print(&printers);
  addOneByOne(50, 60);
  expectLikeFreshChart("a print laid out for the page");

  view.resize(900, 600);
  addOneByOne(60, 65);
  expectLikeFreshChart("a resize");

  SetAxis(model, ChartAxisId::LeftAxis, -60, -20);
  model.ClearPlot();
  addOneByOne(0, 30);
  expectLikeFreshChart("an axis change and a clear");
}

// The window system's copy is painted only where Refresh asked for a repaint: after a clear, an insertion or new
// points it must still show what a chart drawn from nothing shows.
TEST(ChartView, ScreenAfterClearsAndInsertionsShowsWhatAFullRedrawShows) {
  ChartModel model = ModelWithAxes(0, 100, -90, 5);
  ChartView view(model);
  view.resize(kSmallestChart);
  ShowExposed(view);
  const auto level = [](int i) { return -45 + 40 * std::sin(i * 0.3); };
  const auto add = [&](int from, int to, double shift) {
    for (int i = from; i < to; ++i) {
      model.AddPoint(i * 1.5, level(i) + shift);
      view.Refresh();
      QApplication::processEvents();
    }
  };
  const auto expectScreenLikeFreshChart = [&](const char* after) {
    view.Refresh();
    QApplication::processEvents();
    const QImage screen =
        view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ChartView fresh(model);
    fresh.resize(view.size());
    ShowExposed(fresh);
    EXPECT_EQ(screen, Rendered(fresh)) << "after " << after;
  };

  add(0, 66, 0);
  model.ClearPlot();
  expectScreenLikeFreshChart("a clear of a curve across the plot");
  add(0, 2, 20);
  expectScreenLikeFreshChart("a clear and two points");
  model.ClearPlot();
  view.Refresh();
  for (const double f : {15.0, 18.0}) {
    model.AddPoint(f, -80);
    view.Refresh();
  }
  expectScreenLikeFreshChart("a clear and two points elsewhere before the next paint");
  add(12, 40, 0);
  model.AddPoint(20.2, 0);
  add(40, 45, 0);
  expectScreenLikeFreshChart("an insertion between appends");
  model.ClearPlot();
  expectScreenLikeFreshChart("a clear of a curve drawn anew");
}

}  // namespace
