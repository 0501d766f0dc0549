#pragma once
// A file imported as the import dialog runs it: a preview that checks every
// question against the banks through the database, then a second read of
// the file that stores the chosen rows in one unit.
#include "ImportFiles.h"
#include "import/ImportStore.h"

#include <functional>

namespace kaoshi::test {

struct FileImport {
    ImportPreview preview{QuestionType::SingleChoice};
    StoreOutcome outcome;
};

// betweenPasses runs after the preview, before the file is read again.
inline FileImport importFile(DataStore &store, const QString &programDir, const QString &path, QuestionType chosen,
                             const QDateTime &now, bool includeDuplicates = false,
                             const std::function<void()> &betweenPasses = {})
{
    BankTexts texts(store);
    FileImport imported;
    const auto questions = [&](QString *error) {
        const QList<RawQuestion> read = readAll(path, error);
        return std::vector<RawQuestion>(read.cbegin(), read.cend());
    };
    QString error;
    ImportRun preview(store, texts, chosen);
    if (!preview.take(questions(&error)) || !error.isEmpty()) {
        imported.outcome.reason = error.isEmpty() ? preview.failure() : error;
        return imported;
    }
    imported.preview = preview.preview();
    if (betweenPasses)
        betweenPasses();
    ImportRun storing(store, texts, chosen);
    if (!storing.beginStore(includeDuplicates, {programDir, path, now})) {
        imported.outcome.reason = storing.failure();
        return imported;
    }
    const std::vector<RawQuestion> again = questions(&error);
    if (!error.isEmpty())
        imported.outcome.reason = error;
    else if (!storing.take(again))
        imported.outcome.reason = storing.failure();
    else
        imported.outcome = storing.finishStore(preview.preview());
    return imported;
}

} // namespace kaoshi::test
