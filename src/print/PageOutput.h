#pragma once
// Pages of any page source on a printer or into a PDF file, one page at a
// time: the output never holds more than the page being drawn.
#include <QString>
#include <functional>

class QPrinter;

namespace kaoshi {

class PageSource;

// Called after each page with the pages done and the pages to do; false stops.
using PageProgress = std::function<bool(int done, int total)>;

// The source's paper, orientation and margins on the printer, which then
// takes the whole paper as its drawing area.
void setUpPrinter(QPrinter &printer, const PageSource &source);

// Paints the pages the printer asks for (all, or its page range). false when
// the printer could not be drawn on or progress stopped it.
bool printPages(const PageSource &source, QPrinter &printer, const PageProgress &progress = {});

// Writes every page into a PDF file. The pages go into a new file beside the
// target, which takes the target's place only when it is complete: a PDF
// that could not be written, or was stopped, leaves the file that was there
// untouched and no partial file behind. false, with the reason in *error.
bool writePdf(const PageSource &source, const QString &path, const QString &title, QString *error = nullptr,
              const PageProgress &progress = {});

} // namespace kaoshi
