#pragma once
// A paper exam without windows: what the teacher asks for, the draw of the
// questions, the variants A, B, C … with their own question and option
// order, and each variant's key. The pages themselves are laid out in
// print/PaperLayout.
#include "data/PrintedPaperTable.h"
#include "exam/OptionOrder.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class QRandomGenerator;

namespace kaoshi {

class DataStore;

inline constexpr int kMaxVariants = 26;
inline const QString kDefaultPaperTitle = QStringLiteral("考试试卷");

enum class KeyPlacement {
    AtEnd,             // a key of its own after paper and sheet
    AfterEachQuestion, // a teacher's copy: the paper with each answer below its question
};

struct PaperPlan {
    QString title = kDefaultPaperTitle;
    QString occasion; // 场次
    std::array<qint64, 4> counts{};
    int variants = 1;
    bool shuffleQuestions = false;
    bool shuffleOptions = false;
    bool paper = true;
    bool answerSheet = true;
    bool key = true;
    KeyPlacement keyPlacement = KeyPlacement::AtEnd;
    bool explanations = false; // 解析 in the key
};

// A question as the bank holds it, with the files of its pictures.
struct PaperQuestion {
    QuestionType type = QuestionType::SingleChoice;
    qint64 number = 0;
    QString text;
    QString answer;
    QString explanation;
    double score = 0;
    QStringList pictureFiles;
};

// The questions of a paper, in the order of the banks; within a bank in
// 题号 order. The same for every variant.
using PaperQuestions = std::vector<PaperQuestion>;

// The seed of variant `index` of a run: different for every variant.
qint64 variantSeed(qint64 runSeed, int index);

// The questions of a variant in printed order and the order of the options
// of each, decided by the seed alone: the same questions and seed give the
// same variant. Questions stay in their bank's section; options are
// reordered only for choice questions whose options split cleanly and
// whose standard answer names only those options.
PrintedVariant makeVariant(const PaperQuestions &questions, int index, qint64 seed, bool shuffleQuestions,
                           bool shuffleOptions);

// Whether the options of a question may be printed in another order.
bool optionsMayMove(const PaperQuestion &question);

// A question as a variant prints it.
struct PresentedQuestion {
    QString stem;
    QStringList options; // relabelled A, B, C … in printed order; empty for 判断 and 问答
    QString answer;      // the standard answer with the printed letters
};
PresentedQuestion presentQuestion(const PaperQuestion &question, const PrintedItem &item);

// Letters on the printed paper turned into the letters of the bank, so that
// an answer typed from a candidate's sheet is graded against 标准答案.
// 判断 and 问答 answers are returned as they are.
QString bankAnswerOf(const PrintedItem &item, const QString &printedAnswer);

// One line of a key: the number through the paper, the printed answer, the score.
struct KeyEntry {
    int number = 0;
    QuestionType type = QuestionType::SingleChoice;
    QString answer;
    double score = 0;
    QString explanation;
};
// The key of a variant, in printed order; questions missing from
// `questions` are left out.
std::vector<KeyEntry> variantKey(const PaperQuestions &questions, const PrintedVariant &variant);

// The question of a variant's item; nullptr when it is not among the questions.
const PaperQuestion *findQuestion(const PaperQuestions &questions, const PrintedItem &item);

// "一、单项选择题（每题2分，共20分）"; with mixed scores "（共5题，共12分）".
QString sectionHeading(int ordinal, QuestionType type, const std::vector<double> &scores);

// Lines left for a 问答 answer: more for more points.
int answerLineCount(double score);

// Draws the questions of the paper: up to counts[typeIndex(type)] of each bank, at
// random, sorted by 题号 within each bank. failed: a bank could not be read.
struct PaperQuestionDraw {
    PaperQuestions questions;
    std::array<qint64, 4> wanted{};
    bool failed = false;
};
PaperQuestionDraw drawPaperQuestions(DataStore &store, const QString &programDir, const std::array<qint64, 4> &counts,
                                     QRandomGenerator &generator);

// A new print run: the questions drawn from the run seed and one variant
// per letter, each with the seed variantSeed(runSeed, index).
struct PaperRunDraw {
    PrintedRun run;
    PaperQuestions questions;
    bool failed = false; // a bank could not be read
};
PaperRunDraw drawPaperRun(DataStore &store, const QString &programDir, const PaperPlan &plan, qint64 runSeed,
                          const QString &printedAt);

// The questions a stored run printed, read again from the banks (with the
// banks' texts and scores as they are now). Nothing when a bank cannot be read.
std::optional<PaperQuestions> questionsOfRun(DataStore &store, const QString &programDir, const PrintedRun &run);

} // namespace kaoshi
