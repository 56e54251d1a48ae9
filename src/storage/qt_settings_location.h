// Where the settings file lives, the user's decimal separator, and the folder the file dialogs open in, through Qt.
#pragma once

#include <QString>

#include <string>

// $XDG_CONFIG_HOME/quenrik.ini, or ~/.config/quenrik.ini when it is not set. The folder is created by the first
// WriteSettings when it is missing.
std::string SettingsFilePath();

// The decimal separator of the system locale (LC_ALL, LC_NUMERIC, LANG). A full stop when the locale gives none or
// one that is not a single ASCII character the number grammar can tell apart from digits, signs, exponent and spaces.
char SystemDecimalSeparator();

// The measurement folder of the settings file as the file dialogs should open it: relative to the home folder, the
// home folder when empty, the nearest existing parent when it does not exist.
QString MeasurementDialogFolder(const std::string& folder);
