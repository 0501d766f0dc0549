#pragma once
// A list's model with one more column at the end, whose text is worked out
// from each row of the list when it is read: what a list shows in another
// way on the screen (a cell's colour and tip) goes into a printout or a
// workbook as a column of its own, while the list's cells stay as they are.
#include <QIdentityProxyModel>
#include <functional>

namespace kaoshi {

class AddedColumnModel final : public QIdentityProxyModel
{
    Q_OBJECT
public:
    // textOf: the added cell of a row of the source.
    using RowText = std::function<QString(const QAbstractItemModel &source, int row)>;
    AddedColumnModel(const QString &title, RowText textOf, QObject *parent = nullptr);

    int addedColumn() const;

    int columnCount(const QModelIndex &parent = {}) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    bool isAdded(const QModelIndex &index) const;

    QString m_title;
    RowText m_textOf;
};

} // namespace kaoshi
