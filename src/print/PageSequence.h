#pragma once
// Page sources one after the other as one document: a chart page before a
// report, say. A part that lays its pages out as it goes is laid out in its
// turn, so the first pages show at once.
#include "print/PageSource.h"

#include <memory>
#include <vector>

namespace kaoshi {

class PageSequence final : public PageSource
{
public:
    // parts: at least one; the first one's paper is the document's.
    explicit PageSequence(std::vector<std::unique_ptr<PageSource>> parts);

    const PageSource &part(int index) const { return *m_parts[size_t(index)]; }
    int partCount() const { return int(m_parts.size()); }

    QPageLayout pageLayout() const override;
    int pageCount() const override;
    void paintPage(QPainter &painter, int index) const override;
    bool readsPages() const override;
    std::unique_ptr<ReadPage> readPage(int index) const override;
    int pagesKnown() const override;
    bool layOutMore(int milliseconds) override;

private:
    // Pages of part `index` counted so far (all of them once it is laid out).
    int pagesOf(size_t index) const;
    // The part that holds page `index` and the page's index in it; no part
    // past the last page.
    std::pair<const PageSource *, int> locate(int index) const;

    std::vector<std::unique_ptr<PageSource>> m_parts;
    // Parts before this one are laid out completely.
    mutable size_t m_laying = 0;
};

} // namespace kaoshi
