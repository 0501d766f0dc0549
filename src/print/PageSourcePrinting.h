#pragma once
// A page source on a printer: what the print preview, a real printer and a
// PDF file are given, one page at a time.
#include <QString>

class QPrinter;

namespace kaoshi {

class PageSource;

// The source's paper on the printer, which then draws on the whole sheet.
void setUpPrinter(QPrinter &printer, const PageSource &source);

// Paints the pages the printer asks for (all, or its page range); false
// when the printer could not be drawn on.
bool printPages(const PageSource &source, QPrinter &printer);

// Writes every page into a PDF file; false, with the reason in *error, when
// the file could not be written.
bool writePagesPdf(const PageSource &source, const QString &path, const QString &title, QString *error = nullptr);

} // namespace kaoshi
