#pragma once
// A PDF file painted on several threads: the source's thread reads the pages
// (PageSource::readPage) in order and hands them out in turn to painting
// threads, each writing a PDF file of its own beside the target; the files
// are then joined, their pages in turn, into the target.
#include "print/PageOutput.h"

namespace kaoshi {

// Writes every page of `source`, which must read its pages, into the PDF
// file `file`, painted on `threads` threads (at least 2). Progress counts
// the pages painted; the last page counts once the file is complete. false
// when a page could not be painted, the files not be written or joined
// (the reason in *error), or progress stopped it (*stopped set); `file` may
// then hold a partial file.
bool printOnThreads(const PageSource &source, const QString &file, const QString &title, int threads,
                    const PageProgress &progress, QString *error, bool *stopped);

} // namespace kaoshi
