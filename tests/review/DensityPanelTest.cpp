#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTableWidget>
#include <cmath>
#include <fstream>

#include "analysis/LogLoader.h"
#include "analysis/SpanDensity.h"
#include "review/DensityPanel.h"
#include "review/TraceColors.h"
#include "tests/support/ScratchDirectory.h"
#include "tests/support/SimulatedRecording.h"

namespace {

constexpr std::array<bool, 8> kTwoChannels{true, true};

// A simulated log of two channels with a tone in the band and one folded
// back from above the Nyquist frequency, written and read back as the window reads it.
class DensityPanelTest : public testing::Test {
 protected:
  void SetUp() override {
    sim::KnownTruth truth;
    truth.tones = {{7.3, 20}, {200, 8}};
    const std::filesystem::path path = m_scratch.Path() / "tones.csv";
    {
      std::ofstream out(path, std::ios::binary);
      support::WriteSimulatedLog(out, {2, false, 6}, truth, 60);
    }
    uint64_t skipped = 0;
    std::string error;
    ASSERT_TRUE(analysis::ReadWholeLog(path.string(), m_session, skipped, error)) << error;
    ASSERT_EQ(skipped, 0u);
    m_panel.resize(600, 600);
  }

  void Show(double from, double to) {
    m_panel.SetDensities(analysis::SpanDensity(m_session, from, to, kTwoChannels, m_panel.Settings()), from, to, true);
  }
  QString Cell(int row, int column) const { return m_panel.findChild<QTableWidget*>()->item(row, column)->text(); }
  QString Caption() const { return m_panel.findChild<QLabel*>()->text(); }

  support::ScratchDirectory m_scratch;
  analysis::LogSession m_session;
  review::DensityPanel m_panel;
};

// Past the AC trace's settling: each channel's band RMS is the in-band
// tone's, the folded 200 Hz line is named as the fourth harmonic of 50 Hz,
// and the plot draws each channel's curve in its AC colour.
TEST_F(DensityPanelTest, ShowsTheTonesOfASettledSpan) {
  Show(30, 60);
  ASSERT_EQ(m_panel.findChild<QTableWidget*>()->rowCount(), 2);
  const QImage image = m_panel.grab().toImage();
  for (int row = 0; row < 2; ++row) {
    SCOPED_TRACE(row + 1);
    EXPECT_NEAR(Cell(row, 1).toDouble(), 20 / std::sqrt(2.0), 0.02 * 20 / std::sqrt(2.0));
    EXPECT_TRUE(Cell(row, 3).startsWith("4x50 Hz folded to 133.3 Hz: ")) << Cell(row, 3).toStdString();
    const QRgb colour = review::TraceColor(row + 1, analysis::Trace::Ac).rgb();
    int pixels = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) pixels += image.pixel(x, y) == colour ? 1 : 0;
    }
    EXPECT_GT(pixels, 100);
  }
  EXPECT_TRUE(Caption().contains("333.3 frames/s measured")) << Caption().toStdString();
  // The copied densities: a frequency column, then one per channel, peaking at the in-band tone.
  const QStringList lines = QString::fromStdString(m_panel.Csv()).split('\n', Qt::SkipEmptyParts);
  ASSERT_GT(lines.size(), 1);
  EXPECT_EQ(lines.front(), "frequency_hz,channel_1,channel_2");
  QStringList peak = lines[1].split(',');
  for (const QString& line : lines.mid(1)) {
    const QStringList fields = line.split(',');
    if (fields[2].toDouble() > peak[2].toDouble()) peak = fields;
  }
  EXPECT_NEAR(peak[0].toDouble(), 7.3, 0.2);
}

// A selection shorter than a segment at the picked resolution, and crossing
// fewer than two whole seconds: one average over the whole selection, at the
// frame rate the whole log measures.
TEST_F(DensityPanelTest, ShortSelectionTakesOneAverageAndTheLogsRate) {
  Show(40.2, 41.1);
  EXPECT_TRUE(Caption().contains("1 average,")) << Caption().toStdString();
  EXPECT_TRUE(Caption().contains("333.3 frames/s measured over the whole log")) << Caption().toStdString();
  EXPECT_NE(Cell(0, 1), "-");
}

}  // namespace
