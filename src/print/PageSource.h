#pragma once
// Pages that a preview shows and a printer or PDF file receives one at a
// time. A source lays its pages out cheaply up front (it knows how many there
// are) and paints a page only when it is asked for that page, so a preview
// or a PDF of thousands of pages never holds more than the page at hand.
//
// A source whose pages take long to count (a list of a million rows) may lay
// them out as it goes: it knows its first pages at once, and a preview shows
// them while it asks for the rest in small steps.
#include <QPageLayout>

#include <memory>

class QPainter;

namespace kaoshi {

class PageFonts;

// A page whose content has been read from its source, to be painted on
// another thread: what it shows is in it, nothing is read any more.
class ReadPage
{
public:
    virtual ~ReadPage() = default;
    // Paints it as PageSource::paintPage would, with the fonts of the thread
    // that paints.
    virtual void paint(QPainter &painter, PageFonts &fonts) const = 0;
};

class PageSource
{
public:
    virtual ~PageSource() = default;

    // The paper, orientation and margins the pages are laid out for.
    virtual QPageLayout pageLayout() const = 0;
    // How many pages there are (every page is laid out to know it).
    virtual int pageCount() const = 0;
    // Paints page `index` (from 0). The caller has set the painter up so that
    // one unit is 0.1 mm and (0, 0) is the top-left corner of the paper.
    virtual void paintPage(QPainter &painter, int index) const = 0;

    // Whether readPage gives every page, so that they can be painted on
    // other threads than the source's.
    virtual bool readsPages() const { return false; }
    // Page `index` (from 0) read on the source's thread for a painter on
    // another one; nullptr when the source does not read pages.
    virtual std::unique_ptr<ReadPage> readPage(int index) const
    {
        Q_UNUSED(index);
        return nullptr;
    }

    // Pages laid out so far, at least 1; pageCount() once all are.
    virtual int pagesKnown() const { return pageCount(); }
    // Lays out further pages for about the given time; false once every
    // page is laid out.
    virtual bool layOutMore(int milliseconds)
    {
        Q_UNUSED(milliseconds);
        return false;
    }
};

} // namespace kaoshi
