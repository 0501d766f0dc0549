#include "data/FieldValue.h"

#include "data/TextRules.h"

#include <cmath>

namespace kaoshi {

QString FieldValue::toText() const
{
    switch (type()) {
    case Type::Null: return QString();
    case Type::Integer: return QString::number(std::get<qint64>(m_value));
    case Type::Real: return numberToText(std::get<double>(m_value));
    case Type::Text: return std::get<QString>(m_value);
    case Type::Blob: return QString::fromUtf8(std::get<QByteArray>(m_value));
    }
    return QString();
}

double FieldValue::toNumber() const
{
    switch (type()) {
    case Type::Integer: return static_cast<double>(std::get<qint64>(m_value));
    case Type::Real: return std::get<double>(m_value);
    case Type::Text: {
        bool ok = false;
        const double v = std::get<QString>(m_value).trimmed().toDouble(&ok);
        return ok && std::isfinite(v) ? v : 0.0;
    }
    default: return 0.0;
    }
}

qint64 FieldValue::toInteger() const
{
    if (type() == Type::Integer)
        return std::get<qint64>(m_value);
    return static_cast<qint64>(std::trunc(toNumber()));
}

QByteArray FieldValue::toBytes() const
{
    if (type() == Type::Blob)
        return std::get<QByteArray>(m_value);
    return toText().toUtf8();
}

} // namespace kaoshi
