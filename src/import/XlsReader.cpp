#include "import/XlsReader.h"

#include "data/TextRules.h"

#include <QFile>
#include <freexl.h>

namespace kaoshi {

namespace {
const QString kDamaged = QStringLiteral("工作簿已损坏，无法读取");
}

XlsReader::~XlsReader()
{
    if (m_handle)
        freexl_close(m_handle);
}

bool XlsReader::open(const QString &path, QString *error)
{
    const std::optional<QByteArray> signature = fileSignature(path, error);
    if (!signature)
        return false;
    const QByteArray &head = *signature;
    if (!isCompoundFileSignature(head)) {
        *error = isZipSignature(head) ? QStringLiteral("文件其实是xlsx工作簿，请把扩展名改为.xlsx")
                                               : QStringLiteral("文件不是xls工作簿");
        return false;
    }
    const int opened = freexl_open(QFile::encodeName(path).constData(), &m_handle);
    if (opened != FREEXL_OK) {
        *error = QStringLiteral("工作簿已损坏或已加密，无法读取");
        return false;
    }
    unsigned info = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        *error = QStringLiteral("工作簿已加密，无法读取");
        return false;
    }
    unsigned sheets = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) {
        *error = kDamaged;
        return false;
    }
    for (unsigned i = 0; i < sheets; ++i) {
        const char *name = nullptr;
        freexl_get_worksheet_name(m_handle, (unsigned short)i, &name);
        m_sheetNames << (name ? QString::fromUtf8(name) : QString::number(i + 1));
    }
    return true;
}

bool XlsReader::selectSheet(int index, QString *error)
{
    if (index < 0 || index >= m_sheetNames.size() ||
        freexl_select_active_worksheet(m_handle, (unsigned short)index) != FREEXL_OK ||
        freexl_worksheet_dimensions(m_handle, &m_rows, &m_columns) != FREEXL_OK) {
        *error = QStringLiteral("工作簿中没有这张工作表");
        return false;
    }
    m_next = 0;
    return true;
}

bool XlsReader::nextRow(QStringList &cells, qint64 &row)
{
    if (!m_error.isEmpty() || m_next >= m_rows)
        return false;
    cells.clear();
    for (unsigned short c = 0; c < m_columns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(m_handle, m_next, c, &value) != FREEXL_OK) {
            m_error = kDamaged;
            return false;
        }
        switch (value.type) {
        case FREEXL_CELL_INT:
            cells << QString::number(value.value.int_value);
            break;
        case FREEXL_CELL_DOUBLE:
            cells << numberToText(value.value.double_value);
            break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            cells << QString::fromUtf8(value.value.text_value);
            break;
        default:
            cells << QString();
            break;
        }
    }
    row = qint64(++m_next);
    return true;
}

} // namespace kaoshi
