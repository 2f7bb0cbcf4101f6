#include "platform/screen_geometry.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

namespace diruruzevuv::platform {
namespace {

// Where a line edit starts its text, inside its frame.
constexpr int kTextIndent = 2;

}  // namespace

ScreenGeometry::ScreenGeometry(QSize client) {
  SetClientSize(client);
}

void ScreenGeometry::SetClientSize(QSize client) {
  m_client = client.expandedTo(QSize(1, 1));
  m_pixelsPerUnit = std::min(m_client.width() / kGridWidth, m_client.height() / kGridHeight);
  m_origin = QPointF((m_client.width() - kGridWidth * m_pixelsPerUnit) / 2.0,
                     (m_client.height() - kGridHeight * m_pixelsPerUnit) / 2.0);
}

QRect ScreenGeometry::Map(double left, double top, double width, double height) const noexcept {
  // Both edges are rounded, so that neighbouring controls keep their gaps.
  const int x1 = static_cast<int>(std::lround(m_origin.x() + left * m_pixelsPerUnit));
  const int y1 = static_cast<int>(std::lround(m_origin.y() + top * m_pixelsPerUnit));
  const int x2 = static_cast<int>(std::lround(m_origin.x() + (left + width) * m_pixelsPerUnit));
  const int y2 = static_cast<int>(std::lround(m_origin.y() + (top + height) * m_pixelsPerUnit));
  return QRect(x1, y1, std::max(1, x2 - x1), std::max(1, y2 - y1));
}

int ScreenGeometry::FontPixels(double factor) const noexcept {
  const double units = FontPoints(factor) * kTwipsPerPoint;
  return std::max(1, static_cast<int>(std::lround(units * m_pixelsPerUnit)));
}

QFont ScreenGeometry::Font(const QString& family, double factor) const {
  QFont font(family);
  font.setPixelSize(FontPixels(factor));
  return font;
}

void ScreenGeometry::Place(QWidget* control, double left, double top, double width, double height,
                           double fontFactor, const QString& family) {
  m_placed.push_back({control, QRectF(left, top, width, height), fontFactor, family, {}});
  control->setGeometry(Map(left, top, width, height));
  control->setFont(Font(family, fontFactor));
}

void ScreenGeometry::Apply() const {
  for (const Placed& p : m_placed) {
    if (!p.control) continue;
    p.control->setGeometry(Map(p.grid.left(), p.grid.top(), p.grid.width(), p.grid.height()));
    p.control->setFont(FontFor(p));
  }
}

const ScreenGeometry::Placed* ScreenGeometry::Find(const QWidget* control) const {
  for (const Placed& p : m_placed) {
    if (p.control == control) return &p;
  }
  return nullptr;
}

QRectF ScreenGeometry::GridRect(const QWidget* control) const {
  const Placed* p = Find(control);
  return p ? p->grid : QRectF();
}

int ScreenGeometry::Room(const Placed& p) const {
  const QRect rect = Map(p.grid.left(), p.grid.top(), p.grid.width(), p.grid.height());
  if (qobject_cast<const QLineEdit*>(p.control.data())) {
    // Inside the frame; the text starts two pixels in and, the box showing
    // its start, runs to the frame before it is cut.
    QStyleOptionFrame frame;
    frame.initFrom(p.control);
    frame.rect = QRect(QPoint(0, 0), rect.size());
    frame.lineWidth =
        p.control->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, p.control);
    return p.control->style()
               ->subElementRect(QStyle::SE_LineEditContents, &frame, p.control)
               .width() -
           kTextIndent;
  }
  if (qobject_cast<const QLabel*>(p.control.data())) return rect.width();
  return rect.width() - 4;  // a button's frame
}

int ScreenGeometry::InkWidth(const QFont& font, const QString& text) {
  // What the eye sees ends at the last glyph's ink, not at its advance.
  const QFontMetrics metrics(font);
  int width = metrics.horizontalAdvance(text);
  if (!text.isEmpty()) width -= std::max(0, metrics.rightBearing(text.back()));
  return width;
}

QFont ScreenGeometry::FontFor(const Placed& p) const {
  QFont font = Font(p.family, p.fontFactor);
  if (p.fitTexts.isEmpty() || !p.control) return font;
  // A pixel smaller where the rounding of the font size to whole pixels
  // would cut a text by a pixel or two; never below legible.
  const int room = Room(p);
  const auto cut = [&] {
    return std::any_of(p.fitTexts.begin(), p.fitTexts.end(),
                       [&](const QString& text) { return InkWidth(font, text) > room; });
  };
  while (font.pixelSize() > kLegiblePixels && cut()) font.setPixelSize(font.pixelSize() - 1);
  return font;
}

void ScreenGeometry::FitText(const QWidget* control, const QString& text) {
  for (Placed& p : m_placed) {
    if (p.control != control) continue;
    p.fitTexts.push_back(text);
    p.control->setFont(FontFor(p));
  }
}

bool ScreenGeometry::Fits(const TextNeed& need) const {
  const Placed* p = Find(need.control);
  if (!p || !p->control) return true;
  const QFont font = FontFor(*p);
  const QRect rect = Map(p->grid.left(), p->grid.top(), p->grid.width(), p->grid.height());
  return InkWidth(font, need.text) <= Room(*p) &&
         QFontMetrics(font).height() <= rect.height() + 2;  // ascent and descent, hardly more
}

QSize ScreenGeometry::LegibleClientSize() {
  ScreenGeometry trial;
  int width = kMeasureFromWidth;
  for (; width > 4; width -= 4) {
    trial.SetClientSize(QSize(width - 4, static_cast<int>(std::ceil((width - 4) * 0.75))));
    if (trial.FontPixels(0.001) < kLegiblePixels) break;
  }
  return QSize(width, static_cast<int>(std::ceil(width * 0.75)));
}

QSize ScreenGeometry::MinimumClientSize(const std::vector<TextNeed>& needs) const {
  const auto sizeFor = [](int width) {
    return QSize(width, static_cast<int>(std::ceil(width * kGridHeight / kGridWidth)));
  };
  int minimum = kMeasureFromWidth;
  for (int width = kMeasureFromWidth; width > 0; width -= 4) {
    ScreenGeometry trial(sizeFor(width));
    trial.m_placed = m_placed;
    if (trial.FontPixels(0.001) < kLegiblePixels) break;
    if (!std::all_of(needs.begin(), needs.end(),
                     [&trial](const TextNeed& need) { return trial.Fits(need); }))
      break;
    minimum = width;
  }
  return sizeFor(minimum);
}

QSize ScreenGeometry::ComfortableWindowSize(const QScreen* screen) {
  if (!screen) screen = QGuiApplication::primaryScreen();
  QSize available = screen ? screen->availableGeometry().size() : QSize(1280, 960);
  if (available.isEmpty()) available = QSize(1280, 960);
  const double width = std::min(available.width() * 0.8, available.height() * 0.8 * 4.0 / 3.0);
  return QSize(static_cast<int>(width), static_cast<int>(width * 3.0 / 4.0));
}

}  // namespace diruruzevuv::platform
