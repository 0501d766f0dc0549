#include "practice/PaneSource.h"

#include "bank/PictureFiles.h"
#include "data/BankTable.h"

namespace kaoshi {

StorePaneSource::StorePaneSource(DataStore &store, const QString &dataDir) : m_store(store), m_dataDir(dataDir)
{
}

StorePaneSource::~StorePaneSource() = default;

std::optional<Question> StorePaneSource::question(QuestionType type, const FieldValue &number)
{
    return bank::questionByNumber(m_store, type, number);
}

QList<PictureRecord> StorePaneSource::pictures(QuestionType type, const FieldValue &number)
{
    return kaoshi::pictures::load(m_store, type, number).value_or(QList<PictureRecord>());
}

QString StorePaneSource::pictureFile(const QString &location)
{
    // Asked again each time: the server's bytes may have changed meanwhile.
    return pictureFilesFor(m_store, m_dataDir)->fileToShow(location);
}

} // namespace kaoshi
