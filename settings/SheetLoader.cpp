#include "settings/SheetLoader.h"

#include "linkview/LinkView.h"
#include "saver/SettingOptions.h"
#include "settings/SheetCheckbox.h"
#include "settings/SheetColorWell.h"
#include "settings/SheetDialog.h"
#include "settings/SheetSlider.h"

#include <QFile>
#include <QLabel>
#include <QUiLoader>

#include <memory>

namespace {

// QUiLoader makes Qt's own widgets; the sheet's kinds are ours.
class SheetUiLoader : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        QWidget* widget = nullptr;
        if (className == QLatin1String("SheetDialog"))
            widget = new SheetDialog(parent);
        else if (className == QLatin1String("SheetCheckbox"))
            widget = new SheetCheckbox(parent);
        else if (className == QLatin1String("SheetSlider"))
            widget = new SheetSlider(parent);
        else if (className == QLatin1String("SheetColorWell"))
            widget = new SheetColorWell(parent);
        else if (className == QLatin1String("LinkView"))
            widget = new LinkView(parent);
        else
            return QUiLoader::createWidget(className, parent, name);
        widget->setObjectName(name);
        return widget;
    }
};

void ConnectAction(QObject* control, const std::string& action, InterfaceOwner& owner)
{
    InterfaceObject* sender = dynamic_cast<InterfaceObject*>(control);
    auto perform = [&owner, action, sender] { owner.performAction(action, sender); };
    if (auto* slider = qobject_cast<SheetSlider*>(control))
        QObject::connect(slider, &SheetSlider::sent, slider, perform);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        QObject::connect(button, &QAbstractButton::clicked, button, perform);
}

// Gives each control that names a row of the options table ("option") that row's range, decimals, unit, words and
// tooltip, and its label the row's words. False when a control names a row the table lacks.
bool TakeFromOptionsTable(QWidget* window)
{
    const auto row = [](const QObject* control) -> const OptionSpec* {
        const QVariant name = control != nullptr ? control->property("option") : QVariant();
        return name.isValid() ? FindSettingOption(name.toString().toStdString()) : nullptr;
    };
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->property("option").isValid())
            continue;
        const OptionSpec* option = row(control);
        if (option == nullptr)
            return false;
        QString help = QString::fromUtf8(option->help);
        help[0] = help[0].toUpper();
        control->setToolTip(help);
        if (auto* slider = qobject_cast<SheetSlider*>(control)) {
            slider->setMinimum(option->low);
            slider->setMaximum(option->high);
            slider->setDecimals(option->decimals);
            slider->setSuffix(QString::fromUtf8(option->unit));
        } else if (auto* box = qobject_cast<SheetCheckbox*>(control)) {
            box->setText(QString::fromUtf8(option->label));
        }
    }
    for (QLabel* label : window->findChildren<QLabel*>())
        if (const OptionSpec* option = row(label->buddy()))
            label->setText(QString::fromUtf8(option->label) + QLatin1Char(':'));
    return true;
}

} // namespace

bool SheetLoad(const QString& path, InterfaceOwner& owner)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    SheetUiLoader loader;
    std::unique_ptr<QWidget> root(loader.load(&file));
    auto* window = dynamic_cast<SheetDialog*>(root.get());
    if (window == nullptr || !TakeFromOptionsTable(window))
        return false;
    root.release();

    owner.connectOutlet(window->objectName().toStdString(), window);
    for (QObject* object : window->findChildren<QObject*>()) {
        if (auto* interfaceObject = dynamic_cast<InterfaceObject*>(object))
            owner.connectOutlet(object->objectName().toStdString(), interfaceObject);
        const QVariant action = object->property("action");
        if (action.isValid())
            ConnectAction(object, action.toString().toStdString(), owner);
    }
    return true;
}

void SheetLoaderInstall(const QString& directory)
{
    InterfaceSetLoader([directory](const char* name, InterfaceOwner& owner) {
        return SheetLoad(directory + QLatin1Char('/') + QString::fromUtf8(name) + QLatin1String(".ui"), owner);
    });
}
