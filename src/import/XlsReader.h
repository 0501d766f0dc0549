#pragma once
// Rows of one worksheet of an .xls workbook (the older binary format), read
// with FreeXL.
#include "import/QuestionSource.h"

namespace kaoshi {

class XlsReader final : public TableReader
{
public:
    XlsReader() = default;
    ~XlsReader() override;
    XlsReader(const XlsReader &) = delete;
    XlsReader &operator=(const XlsReader &) = delete;

    bool open(const QString &path, QString *error);
    QStringList sheetNames() const { return m_sheetNames; }
    bool selectSheet(int index, QString *error);

    bool nextRow(QStringList &cells, qint64 &row) override;
    QString error() const override { return m_error; }
    double progress() const override { return m_rows > 0 ? double(m_next) / double(m_rows) : 1.0; }

private:
    const void *m_handle = nullptr;
    QStringList m_sheetNames;
    unsigned m_rows = 0;
    unsigned short m_columns = 0;
    unsigned m_next = 0;
    QString m_error;
};

} // namespace kaoshi
