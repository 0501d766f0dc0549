#include "ui/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QTextDocumentFragment>

namespace kaoshi {

namespace {

const char *const kControlName = "kaoshiControlName";

// A label is read out by what it shows; an empty one by its control name.
class LabelAccessible final : public QAccessibleWidget
{
public:
    explicit LabelAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const auto *label = static_cast<const QLabel *>(object());
        QString shown = label->text();
        if (Qt::mightBeRichText(shown))
            shown = QTextDocumentFragment::fromHtml(shown).toPlainText();
        return shown.isEmpty() ? label->property(kControlName).toString() : shown;
    }
};

QAccessibleInterface *namedLabelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QLabel") && object && object->isWidgetType() &&
        object->property(kControlName).isValid())
        if (auto *label = qobject_cast<QLabel *>(object))
            return new LabelAccessible(label);
    return nullptr;
}

} // namespace

void nameControl(QWidget *widget, const QString &controlName, const QString &caption)
{
    widget->setObjectName(controlName);
    if (qobject_cast<QLabel *>(widget) && caption.isEmpty()) {
        // Labels change what they show; screen readers hear what is shown.
        static const bool installed = (QAccessible::installFactory(namedLabelFactory), true);
        Q_UNUSED(installed);
        widget->setProperty(kControlName, controlName);
        return;
    }
    widget->setAccessibleName(caption.isEmpty() ? controlName : caption);
}

} // namespace kaoshi
