// The settings sheet's loader on Qt: reads an interface description (a Qt Designer .ui file) with QUiLoader, makes
// the sheet's own kinds (SheetDialog, SheetCheckbox, SheetSlider, SheetColorWell, LinkView) where the file names
// them, points the owner's outlets at the objects whose names match, and connects every control that names an
// action in its "action" property (as "saveSettings:") to the owner. No control is wired by hand anywhere else. A
// control that names a row of the options table in its "option" property (as "zoom-factor") takes its range,
// decimals, unit, words and tooltip from that row (saver/SettingOptions.h), and its label the row's words.
//
// The window made is the caller's: whoever takes it from the owner removes it once the sheet has ended, and must
// remove it before the owner goes away (its controls call the owner). Main thread of a QApplication only.
#pragma once

#include "platform/InterfaceLoader.h"

#include <QString>

// Descriptions are read from `directory`/NAME.ui; the default is the one embedded in the program.
inline constexpr const char* kSheetResourceDirectory = ":/inkspin";
void SheetLoaderInstall(const QString& directory = QString::fromLatin1(kSheetResourceDirectory));

// Loads one description file for `owner`. False, with nothing connected and nothing left behind, when the file
// cannot be read, is no description, its window is not a SheetDialog, or a control names no row of the table.
bool SheetLoad(const QString& path, InterfaceOwner& owner);
