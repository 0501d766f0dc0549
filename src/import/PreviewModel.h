#pragma once
// The import preview as a table: the file's row, 题目 laid out as the
// practice window lays it out, 标准答案, 解析, 分值, 章节 and the status.
#include <QAbstractTableModel>

namespace kaoshi {

class ImportPreview;

class PreviewModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Line, Text, Answer, Explanation, Score, Chapter, Status, Bank, ColumnCount };

    explicit PreviewModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // The title of the first column: "行号", or "段号" for a document.
    void setLineTitle(const QString &title) { m_lineTitle = title; }
    // Shows the rows of `preview` (nullptr: none).
    void setPreview(const ImportPreview *preview);
    // Rows the preview gained since they were last shown.
    void showNewRows();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ImportPreview *m_preview = nullptr;
    int m_shown = 0;
    QString m_lineTitle = QStringLiteral("行号");
};

} // namespace kaoshi
