#pragma once

#include <QFont>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QScreen;

namespace diruruzevuv::platform {

// Fits the screens' 12000 x 9000 layout grid onto a window's client area,
// one scale for both axes and the grid centred, and keeps the controls
// placed on it in step when the window is resized.
//
// The client area stands for the display the layout was made for: one
// grid unit is one twip of a display 12000 x 9000 twips large. Font sizes
// given as "display height in twips x factor" points therefore follow
// the window's size like everything else.
class ScreenGeometry {
 public:
  static constexpr double kGridWidth = 12000.0;
  static constexpr double kGridHeight = 9000.0;
  // Width and height of the display the grid stands for, in twips.
  static constexpr double kDisplayWidthTwips = 12000.0;
  static constexpr double kDisplayHeightTwips = 9000.0;
  static constexpr double kTwipsPerPoint = 20.0;

  explicit ScreenGeometry(QSize client = QSize(1200, 900));

  void SetClientSize(QSize client);
  double PixelsPerUnit() const noexcept { return m_pixelsPerUnit; }
  QPointF Origin() const noexcept { return m_origin; }

  // Pixel rectangle of a grid rectangle.
  QRect Map(double left, double top, double width, double height) const noexcept;
  // Font size in points for "display height x factor".
  static double FontPoints(double factor) noexcept { return kDisplayHeightTwips * factor; }
  // The same size in pixels of the client area (at least 1).
  int FontPixels(double factor) const noexcept;
  QFont Font(const QString& family, double factor) const;

  // Registers a control with its grid rectangle and font; Apply() moves it.
  void Place(QWidget* control, double left, double top, double width, double height,
             double fontFactor, const QString& family = QStringLiteral("Arial"));
  // Moves, sizes and sets the font of every placed control.
  void Apply() const;
  // The grid rectangle a control was placed at (all zero when unknown).
  QRectF GridRect(const QWidget* control) const;

  // A comfortable first window size: 80 % of the screen's available area
  // with the grid's 4:3 proportions.
  static QSize ComfortableWindowSize(const QScreen* screen);

  // A text that a placed control must show whole (labels, buttons and
  // line edits).
  struct TextNeed {
    const QWidget* control;
    QString text;
  };
  // Ordinary text (factor 0.001) is legible from this height in pixels.
  static constexpr int kLegiblePixels = 11;
  // The smallest client size with the grid's proportions at which
  // ordinary text is legible.
  static QSize LegibleClientSize();
  // Client sizes from here on are measured; this one is the largest
  // minimum a screen may ask for.
  static constexpr int kMeasureFromWidth = 1200;
  // The smallest client size with the grid's proportions from which on,
  // up to kMeasureFromWidth, ordinary text is legible and every text of
  // needs fits its control (in steps of 4 pixels of width).
  QSize MinimumClientSize(const std::vector<TextNeed>& needs) const;
  // Whether the text fits the control at this geometry's scale.
  bool Fits(const TextNeed& need) const;
  // The control's font is made a pixel or two smaller (never below
  // kLegiblePixels) where its own size would cut this text; for each
  // text a control must show whole.
  void FitText(const QWidget* control, const QString& text);

 private:
  struct Placed {
    QPointer<QWidget> control;
    QRectF grid;
    double fontFactor;
    QString family;
    QStringList fitTexts;
  };
  // Pixels a text may take in the control before it is cut.
  int Room(const Placed& p) const;
  QFont FontFor(const Placed& p) const;
  static int InkWidth(const QFont& font, const QString& text);
  const Placed* Find(const QWidget* control) const;

  QSize m_client;
  double m_pixelsPerUnit = 0.1;
  QPointF m_origin;
  std::vector<Placed> m_placed;
};

}  // namespace diruruzevuv::platform
