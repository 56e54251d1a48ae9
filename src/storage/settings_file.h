// The settings file quenrik.ini: the eight values kept from one run to the next, read at start-up, written at exit.
#pragma once

#include <string>

#include "sweep/range_settings.h"

// The values of the settings file as ReadSettings found them, or as WriteSettings is to store them.
struct StoredSettings {
  std::string Directory;  // the measurement folder: where the file dialogs open, written back as it was read
  std::string Title;      // the measurement name for edJmeno
  std::string PortName;   // the serial port of the instrument link
  RangeSettings Range;
};

// The values used for a missing file, section or key (and for a number that cannot be read).
inline const StoredSettings kDefaultSettings{"Quenrik_mereni", "mereni1", "COM1", kDefaultRange};

// Reads [Settings] directory, title, port and [Range] fmin, fmax, freqstep, mindb, maxdb, in this order. A number
// that is empty, not in the text-to-number grammar with this separator, or beyond the range of a double gives its
// default, without a message. Never throws: an unreadable file gives the defaults like a missing one.
StoredSettings ReadSettings(const std::string& path, char separator);

// Writes the eight keys in the same order, the numbers in the general format with this separator, and keeps every
// other line of the file. Throws AppError "Unable to write to <file name>" and leaves the old file unchanged when the
// file or its folder cannot be written.
void WriteSettings(const std::string& path, const StoredSettings& settings, char separator);
