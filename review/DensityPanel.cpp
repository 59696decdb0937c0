#include "review/DensityPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "review/DensityPlot.h"
#include "review/TraceColors.h"
#include "review/CompactTable.h"

namespace review {

/// The plot on screen: draws the picture it holds, and offers the copy in its context menu.
class DensityView : public QWidget {
 public:
  DensityView(const DensityPanel& panel, QWidget* parent) : QWidget(parent), m_panel(panel) {
    setMinimumSize(240, 180);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

  void SetPicture(DensityPicture picture) {
    m_picture = std::move(picture);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    DrawDensity(painter, QRectF(rect()), m_picture);
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy spectrum as CSV"));
    copy->setEnabled(!m_picture.curves.empty());
    if (menu.exec(event->globalPos()) == copy) {
      QApplication::clipboard()->setText(QString::fromStdString(m_panel.Csv()));
    }
  }

 private:
  const DensityPanel& m_panel;
  DensityPicture m_picture;
};

namespace {

/// The resolutions offered, Hz; the default lets a selection of a few
/// seconds still average several segments.
constexpr double kResolutions[] = {0.01, 0.02, 0.05, 0.1, 0.5};
constexpr int kDefaultResolution = 3;
/// The band's limits: up to the Nyquist frequency of the board's rate.
constexpr double kBandMaxHz = 170;

/// A figure as the panel shows it.
QString Figure(double value, int digits = 4) { return QString::number(value, 'g', digits); }

/// True when a mains line lies above the Nyquist frequency and so appears folded back.
bool Folded(const analysis::MainsPeak& peak, double sampleRate) {
  return peak.mainsHz * peak.harmonic > sampleRate / 2;
}

/// A mains line's name: "50 Hz", "3x60 Hz", "4x50 Hz folded".
QString MainsName(const analysis::MainsPeak& peak, double sampleRate) {
  QString name = peak.harmonic == 1 ? QStringLiteral("%1 Hz").arg(peak.mainsHz)
                                    : QStringLiteral("%1x%2 Hz").arg(peak.harmonic).arg(peak.mainsHz);
  if (Folded(peak, sampleRate)) name += QObject::tr(" folded");
  return name;
}

QDoubleSpinBox* BandBox(double value, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(0, kBandMaxHz);
  box->setDecimals(2);
  box->setSingleStep(0.1);
  box->setSuffix(QStringLiteral(" Hz"));
  box->setValue(value);
  // One recomputation per finished entry, not one per digit typed.
  box->setKeyboardTracking(false);
  return box;
}

}  // namespace

DensityPanel::DensityPanel(QWidget* parent)
    : QWidget(parent),
      m_caption(new QLabel(this)),
      m_resolution(new QComboBox(this)),
      m_bandFrom(BandBox(analysis::DensitySettings{}.bandFrom, this)),
      m_bandTo(BandBox(analysis::DensitySettings{}.bandTo, this)),
      m_plot(new DensityView(*this, this)),
      m_table(new QTableWidget(this)) {
  for (double r : kResolutions) m_resolution->addItem(tr("%1 Hz").arg(r), r);
  m_resolution->setCurrentIndex(kDefaultResolution);
  m_resolution->setToolTip(
      tr("Wanted resolution: the segments are long enough for it, "
         "or the whole span when it is shorter"));
  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(tr("Resolution"), this));
  controls->addWidget(m_resolution);
  controls->addSpacing(8);
  controls->addWidget(new QLabel(tr("Band"), this));
  controls->addWidget(m_bandFrom);
  controls->addWidget(new QLabel(tr("to"), this));
  controls->addWidget(m_bandTo);
  controls->addStretch(1);

  m_caption->setWordWrap(true);
  m_table->setColumnCount(4);
  m_table->setHorizontalHeaderLabels({tr("Channel"), tr("Band RMS"), tr("Above band RMS"), tr("Mains lines")});
  m_table->horizontalHeaderItem(3)->setToolTip(tr("Mains lines that stand out, each with its amplitude in counts"));
  MakeCompactTable(*m_table);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setSelectionMode(QAbstractItemView::NoSelection);
  m_table->setFocusPolicy(Qt::NoFocus);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(m_caption);
  layout->addLayout(controls);
  layout->addWidget(m_plot, 1);
  layout->addWidget(m_table);

  connect(m_resolution, &QComboBox::currentIndexChanged, this, [this] { SettingsChanged(); });
  connect(m_bandFrom, &QDoubleSpinBox::valueChanged, this, [this] { SettingsChanged(); });
  connect(m_bandTo, &QDoubleSpinBox::valueChanged, this, [this] { SettingsChanged(); });
  Clear();
}

analysis::DensitySettings DensityPanel::Settings() const {
  analysis::DensitySettings settings;
  settings.resolution = m_resolution->currentData().toDouble();
  settings.bandFrom = m_bandFrom->value();
  settings.bandTo = m_bandTo->value();
  return settings;
}

void DensityPanel::SettingsChanged() {
  if (m_settingsChanged) m_settingsChanged();
}

void DensityPanel::Clear() {
  m_spectra = {};
  m_caption->setText(tr("No log open"));
  ShowTable();
  DensityPicture picture;
  picture.hint = tr("Open a log and select a span (right drag) to see its spectrum");
  m_plot->SetPicture(std::move(picture));
}

void DensityPanel::SetDensities(analysis::SpanDensities spectra, double from, double to, bool selected) {
  m_spectra = std::move(spectra);
  const QString span =
      (selected ? tr("Selection %1 s to %2 s") : tr("Whole view %1 s to %2 s")).arg(Figure(from, 6), Figure(to, 6));
  if (m_spectra.frameRate <= 0) {
    m_caption->setText(tr("%1: too few frames to measure the frame rate").arg(span));
  } else if (m_spectra.channels.empty()) {
    m_caption->setText(tr("%1: no channel shown").arg(span));
  } else {
    const analysis::Spectrum& first = m_spectra.channels.front().spectrum;
    const QString rate = tr("%1 frames/s measured over the whole log");
    const QString averages = first.averages == 1 ? tr("1 average") : tr("%1 averages").arg(first.averages);
    m_caption->setText(tr("%1: %2, %3 Hz resolution, %4")
                           .arg(span, averages, Figure(first.resolution, 3), rate.arg(m_spectra.frameRate, 0, 'f', 1)));
  }
  ShowTable();
  ShowPlot();
}

void DensityPanel::ShowTable() {
  const int rows = static_cast<int>(m_spectra.channels.size());
  m_table->setRowCount(rows);
  // As tall as its rows, so the plot keeps the rest of the dock.
  m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height() +
                          m_table->verticalHeader()->defaultSectionSize() * std::max(rows, 1) +
                          2 * m_table->frameWidth());
  // A band picked upside down holds no bin: its RMS is no figure, not zero.
  const bool band = Settings().bandTo > Settings().bandFrom;
  for (size_t r = 0; r < m_spectra.channels.size(); ++r) {
    const analysis::ChannelDensity& c = m_spectra.channels[r];
    const bool measured = c.spectrum.averages > 0;
    QStringList mains;
    for (const analysis::MainsPeak& peak : c.mains) {
      const QString name = MainsName(peak, m_spectra.frameRate);
      const QString amplitude = Figure(peak.amplitude, 3);
      mains << (Folded(peak, m_spectra.frameRate) ? tr("%1 to %2 Hz: %3").arg(name, Figure(peak.apparentHz), amplitude)
                                                  : tr("%1: %2").arg(name, amplitude));
    }
    const QStringList cells{QString::number(c.channel), measured && band ? Figure(c.bandRms) : QStringLiteral("-"),
                            measured ? Figure(c.aboveRms) : QStringLiteral("-"),
                            mains.isEmpty() ? QStringLiteral("-") : mains.join(QStringLiteral(", "))};
    for (int col = 0; col < cells.size(); ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      item->setTextAlignment(col == 0 || col == 3 ? Qt::AlignLeft | Qt::AlignVCenter
                                                  : Qt::AlignRight | Qt::AlignVCenter);
      if (col == 0) item->setForeground(TraceColor(c.channel, analysis::Trace::Ac));
      if (col == 3) item->setToolTip(cells[col]);
      m_table->setItem(static_cast<int>(r), col, item);
    }
  }
}

void DensityPanel::ShowPlot() {
  DensityPicture picture;
  const analysis::DensitySettings settings = Settings();
  picture.bandFrom = settings.bandFrom;
  picture.bandTo = settings.bandTo;
  picture.sampleRate = m_spectra.frameRate;
  picture.hint = tr("Select a span with more frames to see its spectrum");
  for (const analysis::ChannelDensity& c : m_spectra.channels) {
    if (c.spectrum.averages == 0) continue;
    DensityCurve curve;
    curve.color = TraceColor(c.channel, analysis::Trace::Ac);
    for (size_t k = 1; k < c.spectrum.psd.size(); ++k) {
      curve.frequencies.push_back(c.spectrum.Frequency(k));
      curve.densities.push_back(c.spectrum.Density(k));
    }
    picture.curves.push_back(std::move(curve));
    for (const analysis::MainsPeak& peak : c.mains) {
      const QString name = MainsName(peak, m_spectra.frameRate);
      // One mark per line, however many channels show it.
      const bool known = std::any_of(picture.marks.begin(), picture.marks.end(),
                                     [&](const DensityMark& mark) { return mark.label == name; });
      if (!known) picture.marks.push_back({peak.apparentHz, name});
    }
  }
  if (picture.curves.empty()) picture.sampleRate = 0;
  m_plot->SetPicture(std::move(picture));
}

}  // namespace review
