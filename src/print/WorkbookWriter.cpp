#include "print/WorkbookWriter.h"

#include <QFile>
#include <QRegularExpression>
#include <xlsxwriter.h>

namespace kaoshi {

namespace {

constexpr int kSignificantDigits = 15;

QString reason(lxw_error code)
{
    switch (code) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("内存不足");
    case LXW_ERROR_CREATING_XLSX_FILE: return QStringLiteral("无法创建文件，通常是没有写入权限或文件夹不存在");
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE: return QStringLiteral("无法使用临时文件");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return QStringLiteral("有单元格的文字超过32767个字符");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE: return QStringLiteral("行数超过工作表能容纳的1048576行");
    default: return QStringLiteral("写入工作簿出错（%1）").arg(QString::fromUtf8(lxw_strerror(code)));
    }
}

lxw_error writeCell(lxw_worksheet *sheet, int row, int column, const QString &text)
{
    if (isPlainNumber(text))
        return worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), text.toDouble(), nullptr);
    return worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), cellText(text).toUtf8().constData(),
                                  nullptr);
}

} // namespace

bool isPlainNumber(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?$"));
    if (!plain.match(text).hasMatch())
        return false;
    int significant = 0;
    bool leading = true;
    for (QChar c : text) {
        if (!c.isDigit())
            continue;
        if (leading && c == u'0')
            continue;
        leading = false;
        ++significant;
    }
    // "-0" and "-0.0" would show as 0.
    if (significant == 0 && text.startsWith(QLatin1Char('-')))
        return false;
    return significant <= kSignificantDigits;
}

QString cellText(QString text) { return text.replace(QChar(0), QChar(0x2400)); }

bool writeWorkbook(const QString &path, const PrintTable &table, const QList<int> &columns, QString *error)
{
    const QByteArray fileName = QFile::encodeName(path);
    // Rows go out as they are written, so a long list needs little memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *workbook = workbook_new_opt(fileName.constData(), &options);
    lxw_worksheet *sheet = workbook ? workbook_add_worksheet(workbook, nullptr) : nullptr;
    if (!sheet) {
        if (workbook)
            workbook_close(workbook);
        QFile::remove(path);
        if (error)
            *error = QStringLiteral("内存不足");
        return false;
    }

    lxw_error failed = LXW_NO_ERROR;
    const int rows = table.rowCount();
    for (int row = 0; row < rows && failed == LXW_NO_ERROR; ++row) {
        for (int i = 0; i < columns.size(); ++i) {
            const QString text = table.text(row, columns[i]);
            if (text.isEmpty())
                continue;
            failed = writeCell(sheet, row, i, text);
            if (failed != LXW_NO_ERROR)
                break;
        }
    }
    const lxw_error closed = workbook_close(workbook);
    if (failed == LXW_NO_ERROR)
        failed = closed;
    if (failed != LXW_NO_ERROR) {
        QFile::remove(path);
        if (error)
            *error = reason(failed);
        return false;
    }
    return true;
}

} // namespace kaoshi
