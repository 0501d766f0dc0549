#pragma once
// Arithmetic of the main window and the task windows beside its navigation
// bar; every step is done in floating point and truncated toward zero.
#include <QPoint>
#include <QSize>

namespace kaoshi {

// Size of the main window on a screen of W × H pixels.
QSize mainWindowSize(int screenWidth, int screenHeight);
// Its position, from the size the window actually got.
QPoint mainWindowPosition(int screenWidth, int screenHeight, QSize actualSize);

inline constexpr int kNavigationBarLeft = 0;
inline constexpr int kNavigationBarTop = 2;
inline constexpr int kNavigationBarWidth = 150;
inline constexpr QPoint kTaskWindowOffset{155, 44};

int navigationBarHeight(int mainOuterHeight);
QSize taskWindowSize(QSize mainOuterSize);

} // namespace kaoshi
