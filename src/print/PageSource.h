#pragma once
// Pages that a preview shows and a printer or PDF file receives one at a
// time. A source lays its pages out cheaply up front (it knows how many there
// are) and paints a page only when it is asked for that page, so a preview
// or a PDF of thousands of pages never holds more than the page at hand.
#include <QPageLayout>

class QPainter;

namespace kaoshi {

class PageSource
{
public:
    virtual ~PageSource() = default;

    // The paper, orientation and margins the pages are laid out for.
    virtual QPageLayout pageLayout() const = 0;
    // How many pages there are.
    virtual int pageCount() const = 0;
    // Paints page `index` (from 0). The caller has set the painter up so that
    // one unit is 0.1 mm and (0, 0) is the top-left corner of the paper.
    virtual void paintPage(QPainter &painter, int index) const = 0;
};

} // namespace kaoshi
