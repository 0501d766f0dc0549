#pragma once
// Pages of any page source on a printer or into a PDF file, one page at a
// time: the output never holds more than the page being drawn.
#include <QList>
#include <QString>
#include <functional>
#include <memory>

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

// How many threads paint the pages of a PDF when its source reads them
// (PageSource::readsPages): by default one per core, at most
// kMostPdfPainters. setPdfPainters(0) goes back to the default.
int pdfPainters();
void setPdfPainters(int threads);
constexpr int kMostPdfPainters = 4;

// One file of a set of PDF files: its pages and where they go.
struct PdfFile {
    const PageSource *pages = nullptr;
    QString path;
};

// Writes a set of PDF files as one: every file goes into a new file beside
// its target first, and the targets are replaced only when all are complete,
// so a set that could not be written, or was stopped, leaves every file that
// was there untouched and no partial file behind. progress counts the pages
// of the whole set. false, with the reason in *error.
bool writePdfs(const QList<PdfFile> &files, const QString &title, QString *error = nullptr,
               const PageProgress &progress = {});

// A named part of a document that can be saved as a file of its own (the
// papers, the answer sheets, the keys of a printed exam).
struct PdfPart {
    QString name;
    std::shared_ptr<const PageSource> pages;
};

// The files a PDF export chosen as `path` writes: the whole document there,
// or, when it is saved in parts, one file per part beside it named after it
// and the part ("期末.pdf" → "期末-试卷.pdf", "期末-答案.pdf"). The files
// point into `whole` and `parts`, which must outlive them.
QList<PdfFile> pdfFilesFor(const PageSource &whole, const QList<PdfPart> &parts, const QString &path);

} // namespace kaoshi
