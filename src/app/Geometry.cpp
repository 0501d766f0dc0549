#include "app/Geometry.h"

namespace kaoshi {

namespace {
int trunc(double v) { return static_cast<int>(v); }
} // namespace

QSize mainWindowSize(int w, int h)
{
    return {trunc(h + (w - h) / 3.0), trunc(h - 150.0)};
}

QPoint mainWindowPosition(int w, int h, QSize actual)
{
    return {trunc((w - actual.width()) / 2.0), trunc((h - actual.height()) / 3.0)};
}

int navigationBarHeight(int mainOuterHeight) { return trunc(mainOuterHeight - 70.0); }

QSize taskWindowSize(QSize main) { return {trunc(main.width() - 160.0), trunc(main.height() - 70.0)}; }

} // namespace kaoshi
