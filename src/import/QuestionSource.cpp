#include "import/QuestionSource.h"

#include "import/ColumnMap.h"
#include "import/CsvReader.h"
#include "import/DocxPackage.h"
#include "import/DocxReader.h"
#include "import/NumberedTextReader.h"
#include "import/XlsReader.h"
#include "import/XlsxReader.h"

#include <QFile>
#include <QFileInfo>

namespace kaoshi {

namespace {

QString extension(const QString &path) { return QFileInfo(path).suffix().toLower(); }

template <typename Workbook>
OpenedSource openWorkbook(const QString &path, int sheet)
{
    auto reader = std::make_unique<Workbook>();
    QString error;
    if (!reader->open(path, &error) || !reader->selectSheet(sheet, &error))
        return {nullptr, error};
    return {std::make_unique<TableQuestionSource>(std::move(reader)), QString()};
}

// A document of numbered questions, read by the conventions parser.
template <typename Reader>
OpenedSource openDocument(const QString &path)
{
    auto reader = std::make_unique<Reader>();
    QString error;
    if (!reader->open(path, &error))
        return {nullptr, error};
    return {std::make_unique<ConventionsReader>(std::move(reader)), QString()};
}

template <typename Reader, typename Made>
OpenedSource openText(const QString &path, Made make)
{
    auto reader = std::make_unique<Reader>();
    QString error;
    if (!reader->open(path, &error))
        return {nullptr, error};
    return {make(std::move(reader)), QString()};
}

} // namespace

namespace {
thread_local const std::atomic<bool> *t_stop = nullptr;
}

StopWhen::StopWhen(const std::atomic<bool> &flag) { t_stop = &flag; }

StopWhen::~StopWhen() { t_stop = nullptr; }

bool readingStopped() { return t_stop && t_stop->load(std::memory_order_relaxed); }

QStringList worksheetNames(const QString &path, QString *error)
{
    QString ignored;
    QString &message = error ? *error : ignored;
    const QString kind = extension(path);
    if (kind == u"xlsx") {
        XlsxReader reader;
        return reader.open(path, &message) ? reader.sheetNames() : QStringList();
    }
    if (kind == u"xls") {
        XlsReader reader;
        return reader.open(path, &message) ? reader.sheetNames() : QStringList();
    }
    return {};
}

OpenedSource openQuestionSource(const QString &path, int sheet)
{
    const QString kind = extension(path);
    if (kind == u"xlsx")
        return openWorkbook<XlsxReader>(path, sheet);
    if (kind == u"xls")
        return openWorkbook<XlsReader>(path, sheet);
    if (kind == u"csv")
        return openText<CsvReader>(path, [](std::unique_ptr<CsvReader> reader) -> std::unique_ptr<QuestionSource> {
            return std::make_unique<TableQuestionSource>(std::move(reader));
        });
    if (kind == u"txt")
        return openDocument<NumberedTextReader>(path);
    if (kind == u"docx")
        return openDocument<DocxReader>(path);
    if (kind == u"doc" || kind == u"wps")
        return {nullptr, oldWordFormatMessage()};
    return {nullptr, QStringLiteral("只能导入.xlsx、.xls、.csv、.txt和.docx文件")};
}

bool isZipSignature(const QByteArray &head) { return head.startsWith("PK\x03\x04"); }

bool isCompoundFileSignature(const QByteArray &head) { return head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"); }

std::optional<QByteArray> fileSignature(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法打开文件：") + file.errorString();
        return std::nullopt;
    }
    const QByteArray head = file.read(8);
    if (head.isEmpty()) {
        *error = QStringLiteral("文件是空的");
        return std::nullopt;
    }
    return head;
}

} // namespace kaoshi
