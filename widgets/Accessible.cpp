// SPDX-License-Identifier: MIT
// What screen readers are told about the program's own widgets.
#include "widgets/Accessible.h"

#include "widgets/Gauges.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QSet>
#include <QString>

namespace kameola {

namespace {

// The gauge: a progress bar whose value runs from MinValue to MaxValue; its text is the
// percentage the gauge shows.
class AccessibleGauge : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleGauge(TGauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return QStringLiteral("%1%").arg(Gauge()->PercentDone());
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return Gauge()->Progress(); }
    void setCurrentValue(const QVariant&) override {}  // the user cannot move a gauge
    QVariant maximumValue() const override { return Gauge()->MaxValue(); }
    QVariant minimumValue() const override { return Gauge()->MinValue(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    TGauge* Gauge() const { return static_cast<TGauge*>(widget()); }
};

QSet<QString>& FrameClasses()
{
    static QSet<QString> classes;
    return classes;
}

QAccessibleInterface* MakeAccessible(const QString& className, QObject* object)
{
    if (auto* gauge = qobject_cast<TGauge*>(object);
        gauge && className == QLatin1String(TGauge::staticMetaObject.className()))
        return new AccessibleGauge(gauge);
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->isWindow() && FrameClasses().contains(className))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

void InstallFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(MakeAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace

void ShowAsFrame(const QMetaObject& windowClass)
{
    FrameClasses().insert(QLatin1String(windowClass.className()));
    InstallFactory();
}

void UseAccessibleGauges()
{
    InstallFactory();
}

} // namespace kameola
