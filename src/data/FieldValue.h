#pragma once
#include <QByteArray>
#include <QString>
#include <QList>
#include <variant>

namespace kaoshi {

// A typed value read from the database. NULL, a missing column and a read
// past the end all give the null value, which is "" as text and 0 as number.
class FieldValue
{
public:
    enum class Type { Null, Integer, Real, Text, Blob };

    FieldValue() = default;
    // Values bound to statements are written as they are: {type, number, answer}.
    FieldValue(const QString &v) : m_value(v) {}
    FieldValue(const char *v) : m_value(QString::fromUtf8(v)) {}
    FieldValue(qint64 v) : m_value(v) {}
    FieldValue(int v) : m_value(qint64(v)) {}
    FieldValue(double v) : m_value(v) {}
    static FieldValue integer(qint64 v) { return FieldValue(Storage(v)); }
    static FieldValue real(double v) { return FieldValue(Storage(v)); }
    static FieldValue text(QString v) { return FieldValue(Storage(std::move(v))); }
    static FieldValue blob(QByteArray v) { return FieldValue(Storage(std::move(v))); }

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isNull() const { return type() == Type::Null; }

    // Integers in plain decimal, reals with up to 13 significant digits and
    // no trailing zeros, texts unchanged, null as "".
    QString toText() const;
    // Texts are parsed as decimal numbers (0 when they are not one); null is 0.
    double toNumber() const;
    qint64 toInteger() const;
    QByteArray toBytes() const;

    bool operator==(const FieldValue &other) const = default;

private:
    using Storage = std::variant<std::monostate, qint64, double, QString, QByteArray>;
    explicit FieldValue(Storage v) : m_value(std::move(v)) {}
    Storage m_value;
};

// The values bound to the ? placeholders of one statement, in order.
using Values = QList<FieldValue>;

} // namespace kaoshi
