#include "print/PageSequence.h"

#include <algorithm>

namespace kaoshi {

PageSequence::PageSequence(std::vector<std::unique_ptr<PageSource>> parts) : m_parts(std::move(parts)) {}

QPageLayout PageSequence::pageLayout() const { return m_parts.front()->pageLayout(); }

int PageSequence::pagesOf(size_t index) const
{
    return index < m_laying ? m_parts[index]->pageCount() : m_parts[index]->pagesKnown();
}

int PageSequence::pageCount() const
{
    int pages = 0;
    for (const auto &part : m_parts)
        pages += part->pageCount();
    m_laying = m_parts.size();
    return pages;
}

int PageSequence::pagesKnown() const
{
    // The parts laid out, and what is known of the one being laid out.
    int pages = 0;
    for (size_t i = 0; i < m_parts.size() && i <= m_laying; ++i)
        pages += pagesOf(i);
    return pages;
}

bool PageSequence::layOutMore(int milliseconds)
{
    while (m_laying < m_parts.size()) {
        if (m_parts[m_laying]->layOutMore(milliseconds))
            return true;
        ++m_laying;
        if (m_laying < m_parts.size())
            return true; // the next part's first pages are known now
    }
    return false;
}

std::pair<const PageSource *, int> PageSequence::locate(int index) const
{
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const int pages = pagesOf(i);
        if (index < pages)
            return {m_parts[i].get(), index};
        index -= pages;
    }
    return {nullptr, 0};
}

void PageSequence::paintPage(QPainter &painter, int index) const
{
    if (const auto [part, page] = locate(index); part)
        part->paintPage(painter, page);
}

bool PageSequence::readsPages() const
{
    return std::all_of(m_parts.cbegin(), m_parts.cend(), [](const auto &part) { return part->readsPages(); });
}

std::unique_ptr<ReadPage> PageSequence::readPage(int index) const
{
    const auto [part, page] = locate(index);
    return part ? part->readPage(page) : nullptr;
}

} // namespace kaoshi
