// The window's control tree: every control with its name, place, caption,
// lists, ranges and start values. Aligned panels are placed by hand in
// ArrangeAlignedPanels so their sizes are known before the window shows.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "app/Logo.h"
#include "app/ScaleColumnGround.h"
#include "app/ScopePanel.h"
#include "app/SpinEdit.h"
#include "app/StatusPanelBar.h"
#include "app/main.h"

namespace {

constexpr int kHeaderHeight = 81;
constexpr int kControlStripHeight = 89;
constexpr int kStatusBarHeight = 18;
constexpr int kScaleColumnWidth = 120;
constexpr int kProgressHeight = 9;

const QColor kHeaderGreen(0, 128, 0);
const QColor kAcLabelNavy(0, 0, 128);

template <class W>
W* Make(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* widget = new W(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height, const char* caption) {
  auto* label = Make<QLabel>(parent, name, left, top, width, height);
  label->setText(QString::fromLatin1(caption));
  label->adjustSize();
  return label;
}

QFrame* MakePanel(QWidget* parent, const char* name, bool bordered) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  if (bordered) {
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
  }
  return panel;
}

template <class List = QComboBox>
List* MakeList(QWidget* parent, const char* name, int left, int top, int width, int height, const QStringList& items) {
  auto* list = Make<List>(parent, name, left, top, width, height);
  list->addItems(items);
  list->setCurrentIndex(-1);
  return list;
}

app::SpinEdit* MakeSpin(QWidget* parent, const char* name, int left, int top, int width, int height, int minimum,
                        int maximum, int step, int start) {
  auto* spin = Make<app::SpinEdit>(parent, name, left, top, width, height);
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
  spin->setValue(start);
  return spin;
}

// The layout's pixel sizes suit the named faces; where they are missing, the
// nearest free faces stand in: an Arial-metric one for the narrow dialog face
// (so captions stay inside their boxes) and Vera's heir for Verdana.
const QStringList kDialogFace = {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"};
const QStringList kHeaderFace = {"Verdana", "DejaVu Sans", "Liberation Sans"};

QFont WithFont(QFont font, const QStringList& families, int pixelSize, bool bold) {
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

void Colour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

/// A white ground with black text, whatever the desktop's palette: the parts
/// that carry fixed colours stay readable under a dark theme.
void WhiteGround(QWidget* widget) {
  widget->setAutoFillBackground(true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, Qt::black);
  widget->setPalette(palette);
}

/// The name a screen reader announces for a control whose caption is a
/// separate label. On Linux, readers name a drop-down list by the label it is
/// the buddy of, and its own name is its current entry; so both.
void Name(QWidget* control, const char* name, QLabel* label = nullptr) {
  control->setAccessibleName(QString::fromLatin1(name));
  if (label != nullptr) label->setBuddy(control);
}

const QStringList kScaleEntries = {"0.01", "0.02", "0.05", "0.1", "0.2", "0.5",  "1",    "2",    "5",    "10",
                                   "20",   "50",   "100",  "200", "500", "1000", "2000", "5000", "10000"};

}  // namespace

void TfMain::BuildLayout() {
  setObjectName(QStringLiteral("fMain"));
  setWindowTitle(QStringLiteral("Zav"));
  setFont(WithFont(font(), kDialogFace, 11, false));
  setAutoFillBackground(true);

  BuildHeader();
  BuildScope();
  BuildScaleColumn();
  BuildControlStrip();

  StatusTemp = new app::StatusPanelBar(this);
  StatusTemp->setObjectName(QStringLiteral("StatusTemp"));
  StatusTemp->SetPanelText(0, QStringLiteral("Temperature:"));
  for (int panel = 1; panel <= 8; ++panel) StatusTemp->SetPanelText(panel, QStringLiteral("---"));
  StatusTemp->SetPanelWidth(9, 50);

  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(5000);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));

  resize(594, 552);
  ArrangeAlignedPanels();
}

void TfMain::BuildHeader() {
  Panel1 = MakePanel(this, "Panel1", true);
  WhiteGround(Panel1);

  iLogo = Make<QLabel>(Panel1, "iLogo", 6, 8, 160, 64);
  iLogo->setScaledContents(true);
  iLogo->setAlignment(Qt::AlignCenter);
  iLogo->setPixmap(QPixmap::fromImage(app::BuiltInLogo()));

  Label2 = MakeLabel(Panel1, "Label2", 224, 24, 317, 32, "PIR Signal Processor");
  Label2->setFont(WithFont(font(), kHeaderFace, 27, true));
  Colour(Label2, kHeaderGreen);
  Label2->adjustSize();
  Label7 = MakeLabel(Panel1, "Label7", 496, 64, 46, 13, "Ver 1.2");
  Label7->setFont(WithFont(font(), kHeaderFace, 11, true));
  Colour(Label7, kHeaderGreen);
  Label7->adjustSize();
}

void TfMain::BuildControlStrip() {
  Panel2 = MakePanel(this, "Panel2", true);

  Label1 = MakeLabel(Panel2, "Label1", 8, 16, 22, 13, "Port:");
  ComboBoxPort = MakeList<app::PopupList>(Panel2, "ComboBoxPort", 40, 8, 73, 21, {});
  Label6 = MakeLabel(Panel2, "Label6", 8, 36, 28, 13, "Baud:");
  cbBaud =
      MakeList(Panel2, "cbBaud", 40, 32, 73, 21,
               {"300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000", "57600", "115200"});
  bStart = Make<QPushButton>(Panel2, "bStart", 8, 58, 104, 22);
  bStart->setText(QStringLiteral("Start"));
  StaticText2 = MakeLabel(Panel2, "StaticText2", 130, 13, 52, 17, "X Interval:");
  seDX = MakeSpin(Panel2, "seDX", 192, 8, 65, 22, 200, 20000, 200, 500);
  StaticText1 = MakeLabel(Panel2, "StaticText1", 262, 16, 17, 17, "ms");
  cbContinuous = Make<QCheckBox>(Panel2, "cbContinuous", 120, 35, 121, 17);
  cbContinuous->setText(QStringLiteral("Continuous Capture"));
  cbContinuous->adjustSize();
  cbContinuous->setChecked(true);
  CheckBoxLog = Make<QCheckBox>(Panel2, "CheckBoxLog", 120, 61, 81, 17);
  CheckBoxLog->setText(QStringLiteral("Timed log file"));
  CheckBoxLog->adjustSize();
  CheckBoxLog->setEnabled(false);
  cbLogTimeOut = MakeList(Panel2, "cbLogTimeOut", 208, 62, 57, 21,
                          {"1", "2", "5", "10", "15", "30", "60", "120", "240", "660", " "});
  Timeout = MakeLabel(Panel2, "Timeout", 264, 64, 16, 13, "min");

  GroupBox1 = Make<QGroupBox>(Panel2, "GroupBox1", 296, 0, 129, 49);
  GroupBox1->setTitle(QStringLiteral("DC"));
  seTrace = MakeSpin(GroupBox1, "seTrace", 8, 16, 41, 22, 1, 8, 1, 1);
  cbEnabled = Make<QCheckBox>(GroupBox1, "cbEnabled", 56, 16, 65, 17);
  cbEnabled->setText(QStringLiteral("Enabled"));
  Label3 = MakeLabel(Panel2, "Label3", 296, 52, 48, 13, "DC Scale:");
  cbScale = MakeList(Panel2, "cbScale", 352, 62, 72, 21, kScaleEntries);

  GroupBox2 = Make<QGroupBox>(Panel2, "GroupBox2", 440, 1, 129, 48);
  GroupBox2->setTitle(QStringLiteral("AC"));
  seFilters = MakeSpin(GroupBox2, "seFilters", 8, 16, 41, 22, 1, 8, 1, 1);
  cbFilter = Make<QCheckBox>(GroupBox2, "cbFilter", 56, 16, 65, 17);
  cbFilter->setText(QStringLiteral("Enabled"));
  Label5 = MakeLabel(Panel2, "Label5", 432, 52, 45, 13, "AC scale:");
  cbFilterScale = MakeList(Panel2, "cbFilterScale", 496, 62, 72, 21, kScaleEntries);

  Name(ComboBoxPort, "Port", Label1);
  Name(cbBaud, "Baud", Label6);
  Name(seDX, "X Interval in ms", StaticText2);
  Name(cbLogTimeOut, "Timed log minutes", Timeout);
  cbLogTimeOut->setAccessibleDescription(QStringLiteral("Minutes the timed log runs"));
  Name(seTrace, "DC channel");
  Name(cbEnabled, "DC channel enabled");
  Name(cbScale, "DC scale", Label3);
  Name(seFilters, "AC channel");
  Name(cbFilter, "AC channel enabled");
  Name(cbFilterScale, "AC scale", Label5);

  // Focus order of the strip, as an operator tabs through it.
  const QWidgetList order = {ComboBoxPort, seDX,     cbContinuous, bStart,        seTrace,     cbEnabled,   cbScale,
                             seFilters,    cbFilter, cbBaud,       cbFilterScale, CheckBoxLog, cbLogTimeOut};
  for (int i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TfMain::BuildScaleColumn() {
  Panel4 = MakePanel(Panel3, "Panel4", false);
  app::GiveScaleColumnItsGround(Panel4);
  const QFont plain = font();
  const QFont bold = WithFont(font(), kDialogFace, 11, true);
  const std::array<const char*, 7> dcNames = {"l1", "l2", "l3", "l4", "l5", "l6", "l7"};
  const std::array<const char*, 7> acNames = {"lTrace1", "lTrace2", "lTrace3", "lTrace4",
                                              "lTrace5", "lTrace6", "lTrace7"};
  for (size_t i = 0; i < 7; ++i) {
    const int top = 32 + 40 * static_cast<int>(i);
    const bool centre = i == 3;
    m_dcLabels[i] = MakeLabel(Panel4, dcNames[i], 1, top, centre ? 21 : 16, 13, "line");
    m_dcLabels[i]->setFont(centre ? bold : plain);
    m_acLabels[i] = MakeLabel(Panel4, acNames[i], 49, top, centre ? 21 : 16, 13, "line");
    m_acLabels[i]->setFont(centre ? bold : plain);
    Colour(m_acLabels[i], kAcLabelNavy);
  }
  l1 = m_dcLabels[0], l2 = m_dcLabels[1], l3 = m_dcLabels[2], l4 = m_dcLabels[3];
  l5 = m_dcLabels[4], l6 = m_dcLabels[5], l7 = m_dcLabels[6];
  lTrace1 = m_acLabels[0], lTrace2 = m_acLabels[1], lTrace3 = m_acLabels[2], lTrace4 = m_acLabels[3];
  lTrace5 = m_acLabels[4], lTrace6 = m_acLabels[5], lTrace7 = m_acLabels[6];

  tbOff = Make<QSlider>(Panel4, "tbOff", 96, 80, 20, 160);
  tbOff->setOrientation(Qt::Vertical);
  tbOff->setInvertedAppearance(true);  // smallest value at the top
  tbOff->setRange(-10, 10);
  tbOff->setValue(0);
  tbOff->setPageStep(1);
  tbOff->setSingleStep(1);
  tbOff->setTickInterval(1000);
  tbOff->setTickPosition(QSlider::TicksLeft);
  Name(tbOff, "DC offset");

  ButtonResetOff = Make<QPushButton>(Panel4, "ButtonResetOff", 100, 0, 20, 18);
  ButtonResetOff->setText(QStringLiteral("C"));
  Name(ButtonResetOff, "Centre the DC traces");
}

void TfMain::BuildScope() {
  Panel3 = MakePanel(this, "Panel3", true);
  Panel5 = MakePanel(Panel3, "Panel5", false);
  progress = new QProgressBar(Panel5);
  progress->setObjectName(QStringLiteral("progress"));
  progress->setRange(0, 1000);
  progress->hide();
  pScope = new app::ScopePanel(Panel5);
  pScope->setObjectName(QStringLiteral("pScope"));
}

void TfMain::ArrangeAlignedPanels() {
  const int w = width();
  const int h = height();
  Panel1->setGeometry(0, 0, w, kHeaderHeight);
  StatusTemp->setGeometry(0, h - kStatusBarHeight, w, kStatusBarHeight);
  Panel2->setGeometry(0, h - kStatusBarHeight - kControlStripHeight, w, kControlStripHeight);
  const int middle = std::max(0, h - kHeaderHeight - kControlStripHeight - kStatusBarHeight);
  Panel3->setGeometry(0, kHeaderHeight, w, middle);

  // Inside Panel3's one-pixel border: the label column on the right, the scope filling the rest.
  const int innerWidth = std::max(0, w - 2);
  const int innerHeight = std::max(0, middle - 2);
  const int columnWidth = std::min(kScaleColumnWidth, innerWidth);
  Panel4->setGeometry(1 + innerWidth - columnWidth, 1, columnWidth, innerHeight);
  const int scopeWidth = innerWidth - columnWidth;
  Panel5->setGeometry(1, 1, scopeWidth, innerHeight);
  const int progressHeight = std::min(kProgressHeight, innerHeight);
  progress->setGeometry(0, innerHeight - progressHeight, scopeWidth, progressHeight);
  pScope->setGeometry(0, 0, scopeWidth, innerHeight - progressHeight);
}
