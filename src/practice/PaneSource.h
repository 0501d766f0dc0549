#pragma once
// Where the question pane gets what it shows of a question: its row, its
// picture rows and the file of each picture. By default they are read from
// the database as each question is shown; an exam paper holds its own
// questions in memory, so that it shows them while the server is gone.
#include "data/PictureTable.h"
#include "data/Question.h"

#include <QList>
#include <memory>
#include <optional>

namespace kaoshi {

class DataStore;
class PictureFiles;

class PaneSource
{
public:
    virtual ~PaneSource() = default;
    // The question with that 题号; nothing when there is none or it cannot be read.
    virtual std::optional<Question> question(QuestionType type, const FieldValue &number) = 0;
    // Its picture rows, in the order they were stored; none when they cannot be read.
    virtual QList<PictureRecord> pictures(QuestionType type, const FieldValue &number) = 0;
    // The file that shows the picture at a stored location; "" when there is none.
    virtual QString pictureFile(const QString &location) = 0;
};

// Reads everything from the store as it is asked for.
class StorePaneSource final : public PaneSource
{
public:
    StorePaneSource(DataStore &store, const QString &dataDir);
    ~StorePaneSource() override;

    std::optional<Question> question(QuestionType type, const FieldValue &number) override;
    QList<PictureRecord> pictures(QuestionType type, const FieldValue &number) override;
    QString pictureFile(const QString &location) override;

private:
    DataStore &m_store;
    QString m_dataDir;
};

} // namespace kaoshi
