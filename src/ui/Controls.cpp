#include "ui/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QTextDocumentFragment>

namespace kaoshi {

namespace {

const char *const kControlName = "kaoshiControlName";
const char *const kNamedWindow = "kaoshiNamedWindow";

// A label is read out by what it shows. An empty one says nothing (its
// control name means nothing to a listener) and is left out of the reading;
// one that shows a picture is named by its control name.
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
        return shown.isEmpty() && showsPicture() ? label->property(kControlName).toString() : shown;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (static_cast<const QLabel *>(object())->text().isEmpty() && !showsPicture())
            s.invisible = true;
        return s;
    }

private:
    bool showsPicture() const
    {
        const auto *label = static_cast<const QLabel *>(object());
        return !label->pixmap().isNull() || label->movie();
    }
};

// A window named by its caption.
class WindowAccessible final : public QAccessibleWidget
{
public:
    explicit WindowAccessible(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? widget()->windowTitle() : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *namedControlFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("QLabel") && object->property(kControlName).isValid())
        if (auto *label = qobject_cast<QLabel *>(object))
            return new LabelAccessible(label);
    if (object->property(kNamedWindow).isValid())
        return new WindowAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

void installFactory()
{
    static const bool installed = (QAccessible::installFactory(namedControlFactory), true);
    Q_UNUSED(installed);
}

} // namespace

void nameControl(QWidget *widget, const QString &controlName, const QString &caption)
{
    widget->setObjectName(controlName);
    if (qobject_cast<QLabel *>(widget) && caption.isEmpty()) {
        // Labels change what they show; screen readers hear what is shown.
        installFactory();
        widget->setProperty(kControlName, controlName);
        return;
    }
    widget->setAccessibleName(caption.isEmpty() ? controlName : caption);
}

void nameWindow(QWidget *window, const QString &controlName)
{
    window->setObjectName(controlName);
    installFactory();
    window->setProperty(kNamedWindow, true);
}

} // namespace kaoshi
