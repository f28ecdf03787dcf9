#include "settings/SheetLoader.h"

#include "linkview/LinkView.h"
#include "settings/SheetCheckbox.h"
#include "settings/SheetColorWell.h"
#include "settings/SheetDialog.h"
#include "settings/SheetSlider.h"

#include <QFile>
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

} // namespace

bool SheetLoad(const QString& path, InterfaceOwner& owner)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    SheetUiLoader loader;
    std::unique_ptr<QWidget> root(loader.load(&file));
    auto* window = dynamic_cast<SheetDialog*>(root.get());
    if (window == nullptr)
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
