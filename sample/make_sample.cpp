// Builds the sample database and its picture from questions.sql:
//   make_sample <questions.sql> <output folder>
#include "data/DataStore.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <cstdio>

namespace {

// A right triangle with its three angles marked, for the geometry question.
QImage trianglePicture()
{
    QImage image(320, 220, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 60, 150), 4));
    painter.setBrush(QColor(220, 230, 255));
    const QPolygon triangle{QPoint(40, 180), QPoint(280, 180), QPoint(40, 40)};
    painter.drawPolygon(triangle);
    painter.setPen(QPen(QColor(200, 40, 40), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(40, 160, 20, 20);
    painter.drawArc(QRect(230, 130, 100, 100), 150 * 16, 30 * 16);
    painter.drawArc(QRect(-10, -10, 100, 100), 270 * 16, 30 * 16);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_sample <questions.sql> <output folder>\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    out.mkpath(kaoshi::kImageFolder);
    const QString database = out.filePath(kaoshi::kDatabaseFileName);
    QFile::remove(database);

    kaoshi::DataStore store;
    if (!store.open(database)) {
        std::fprintf(stderr, "cannot create the database\n");
        return 1;
    }
    QString text = QString::fromUtf8(source.readAll());
    text.remove(QRegularExpression(QStringLiteral("^--[^\n]*\n"), QRegularExpression::MultilineOption));
    for (const QString &statement : text.split(QStringLiteral(";\n"), Qt::SkipEmptyParts)) {
        if (statement.trimmed().isEmpty())
            continue;
        if (!store.execute(statement)) {
            std::fprintf(stderr, "statement failed: %s\n", qPrintable(statement.left(80)));
            return 1;
        }
    }
    store.close();
    if (!trianglePicture().save(out.filePath(QStringLiteral("image/20261201912.png"))))
        return 1;
    return 0;
}
