#pragma once
// A one-line label that shows a text too long for its width with "…" in
// the middle, so that both its start (what it is) and its end (a file's
// name) stay visible. text() and what a screen reader reads stay whole.
#include <QLabel>

namespace kaoshi {

class ElidedLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The text as painted: whole when it fits, else cut in the middle.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace kaoshi
