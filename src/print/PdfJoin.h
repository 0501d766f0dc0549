#pragma once
// Joining PDF files into one. Pages written on several threads go into a file
// each; the join takes their pages in turn (the first page of every file,
// then the second of every file, …) into one document with one page tree and
// one cross-reference table. The objects are copied as they are, renumbered;
// page contents are not decoded. Each file keeps its own font subsets (Qt
// names them without subset tags, so two subsets of a font share its name and
// are told apart by their objects, as a reader does).
//
// The files must be of the plain form Qt's PDF writer makes: a cross-reference
// table (no cross-reference streams, no object streams, no incremental
// updates) and one page tree node holding every page. Anything else is
// refused with a reason, never joined half way.
#include <QString>
#include <QStringList>
#include <functional>

namespace kaoshi {

// Writes the pages of `parts` into `target`, taken in turn: page i of the
// result is page i / n of part i % n, for n parts. Page counts of the parts
// may differ by one at most, the earlier parts having the extra page. The
// first part's catalogue and document information are the result's. false,
// with the reason in *error, when a part cannot be read or the target
// written; the target may then hold a partial file (write it to a temporary
// file). goOn is asked now and then while the objects are copied; false
// stops the join (the reason "已停止").
bool interleavePdfs(const QStringList &parts, const QString &target, QString *error = nullptr,
                    const std::function<bool()> &goOn = {});

} // namespace kaoshi
