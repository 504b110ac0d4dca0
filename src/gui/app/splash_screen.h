#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <memory>
#include <optional>

#include "core/app/timer.h"

class QPropertyAnimation;

namespace qv {

// The picture's pixels that are not the transparent colour, as one region of row runs.
QRegion OpaqueRegion(const QImage& image, const QColor& transparent);

// The splash pictures: the desktop one has a magenta surround that the window mask cuts away;
// the tablet one is a plain rectangle.
QImage SplashPicture(bool tablet_mode);
inline const QColor kSplashTransparent{255, 0, 255};

// A borderless picture shown on top while the main window is built. It hides itself after the
// time-out, fading where the window system can, and then deletes itself.
class CSplashScreenEx : public QWidget {
  Q_OBJECT

 public:
  enum Style : unsigned {
    kFadeIn = 1,
    kFadeOut = 2,
    kDropShadow = 4,
    kCentreOnScreen = 8,
    kCentreOnParent = 16,
    kHideOnInput = 32,
  };
  static constexpr int kDefaultTimeoutMs = 2000;
  static constexpr int kFadeInMs = 500;
  static constexpr int kFadeOutMs = 200;

  explicit CSplashScreenEx(TimerFactory& timers, QWidget* parent = nullptr);
  ~CSplashScreenEx() override;

  // The picture sets the window's size and place; with a transparent colour its pixels of that
  // colour are cut out of the window.
  void SetBitmap(const QImage& picture, std::optional<QColor> transparent = std::nullopt);
  void SetStyle(unsigned style) { style_ = style; }
  void SetTimeout(int ms) { timeout_ms_ = ms; }
  void Show();

  // Whether this window system can change a window's opacity (not offscreen, not Wayland).
  static bool FadingSupported();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void HideAndDestroy();
  void FinishHiding();

  std::unique_ptr<Timer> timer_;
  QImage picture_;
  unsigned style_ = kFadeIn | kFadeOut | kDropShadow | kCentreOnScreen;
  int timeout_ms_ = kDefaultTimeoutMs;
  bool closing_ = false;
  QPropertyAnimation* fade_ = nullptr;
};

}  // namespace qv
