#pragma once
// What a paper shows of its questions, read once when the paper opens: every
// question's row and picture rows in one statement each for the whole paper,
// and a copy of every picture in the seat's folder image. The paper shows its
// questions from here, so that a seat whose server is gone still shows them.
#include "exam/ExamPaper.h"
#include "practice/PaneSource.h"

#include <QHash>
#include <QPair>
#include <memory>

namespace kaoshi {

class PaperContent final : public PaneSource
{
public:
    PaperContent();
    ~PaperContent() override;

    // Reads the paper's questions and picture rows and copies its pictures to
    // the data folder's image folder. false when the questions or picture
    // rows could not be read (the store's last error says why); a picture
    // that could not be copied is asked for again when it is shown.
    bool read(DataStore &store, const QString &dataDir, const ExamPaper &paper);

    // How many of the paper's questions and pictures are held.
    qsizetype questionCount() const { return m_questions.size(); }
    qsizetype pictureFileCount() const { return m_pictureFiles.size(); }

    std::optional<Question> question(QuestionType type, const FieldValue &number) override;
    QList<PictureRecord> pictures(QuestionType type, const FieldValue &number) override;
    QString pictureFile(const QString &location) override;

private:
    using Key = QPair<int, qint64>; // the bank's place, 题号
    static std::optional<Key> keyOf(QuestionType type, const FieldValue &number);
    void copyPictures();

    std::unique_ptr<PictureFiles> m_files;
    QHash<Key, Question> m_questions;
    QHash<Key, QList<PictureRecord>> m_pictures;
    QHash<QString, QString> m_pictureFiles; // location, the file showing it
};

} // namespace kaoshi
