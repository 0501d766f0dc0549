#pragma once
// Draws a report on a printer: the preview, a real printer or a PDF file.
#include "print/ReportDocument.h"

#include <QString>

class QPrinter;

namespace kaoshi {

// Sets the report's paper, orientation and margins on the printer, which then
// takes the whole paper as its drawing area.
void setUpPrinter(QPrinter &printer, const ReportOptions &options);

// Paints the pages the printer asks for (all, or its page range), laid out on
// the printer's paper as it is set now (the user may have changed it in a
// page setup). false when the printer could not be drawn on.
bool paintReport(const ReportDocument &document, QPrinter &printer);

// Writes every page into a PDF file on the given printer's paper. false, with
// the reason in *error, when the file could not be written.
bool writeReportPdf(const ReportDocument &document, const QPrinter &paperFrom, const QString &path,
                    QString *error = nullptr);

} // namespace kaoshi
