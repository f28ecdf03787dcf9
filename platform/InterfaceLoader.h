// Loading a named interface description (a settings sheet) with an owner, which connects the owner's outlets to
// the objects the description makes and the controls' actions to the owner.
//
// The toolkit that makes the objects installs the loader (the settings window installs one on Qt); without one,
// every load fails and the owner's outlets stay as they are. Main thread only.
#pragma once

#include "platform/InterfaceObjects.h"

#include <functional>
#include <string_view>

// The side of an owner that a loader talks to: outlets and actions by the names the description uses.
class InterfaceOwner {
public:
    virtual ~InterfaceOwner() = default;
    // Points the outlet `name` at `object`; false when there is no such outlet or the object is of the wrong kind.
    virtual bool connectOutlet(std::string_view name, InterfaceObject* object) = 0;
    // Runs the action `name` (written as "saveSettings:"), sent by `sender` (null when the sender is no interface
    // object); false when the owner has no such action.
    virtual bool performAction(std::string_view name, InterfaceObject* sender) = 0;
};

// Loads the description `name` for `owner`; false when it cannot be loaded (the owner's outlets are then untouched).
using InterfaceLoaderFunction = std::function<bool(const char* name, InterfaceOwner& owner)>;
void InterfaceSetLoader(InterfaceLoaderFunction loader);
bool InterfaceLoadNamed(const char* name, InterfaceOwner& owner);
