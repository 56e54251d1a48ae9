// ReadSettings and WriteSettings over the INI file, with the numbers in the general format.
#include "storage/settings_file.h"

#include "storage/ini_file.h"
#include "sweep/number_text.h"

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kRange = "Range";

double ReadNumber(const IniFile& file, const char* key, double defaultValue, char separator) {
  const std::string text = file.ReadString(kRange, key, "");
  if (text.empty()) return defaultValue;
  return number_text::TryParseFloat(text, separator).value_or(defaultValue);
}

}  // namespace

StoredSettings ReadSettings(const std::string& path, char separator) {
  const IniFile file(path);
  const StoredSettings& d = kDefaultSettings;
  StoredSettings settings;
  settings.Directory = file.ReadString(kSettings, "directory", d.Directory);
  settings.Title = file.ReadString(kSettings, "title", d.Title);
  settings.PortName = file.ReadString(kSettings, "port", d.PortName);
  settings.Range.Fmin = ReadNumber(file, "fmin", d.Range.Fmin, separator);
  settings.Range.Fmax = ReadNumber(file, "fmax", d.Range.Fmax, separator);
  settings.Range.Fstep = ReadNumber(file, "freqstep", d.Range.Fstep, separator);
  settings.Range.MinDb = ReadNumber(file, "mindb", d.Range.MinDb, separator);
  settings.Range.MaxDb = ReadNumber(file, "maxdb", d.Range.MaxDb, separator);
  return settings;
}

void WriteSettings(const std::string& path, const StoredSettings& settings, char separator) {
  IniFile file(path);
  auto number = [separator](double value) { return number_text::FormatGeneral(value, separator); };
  file.WriteString(kSettings, "directory", settings.Directory);
  file.WriteString(kSettings, "title", settings.Title);
  file.WriteString(kSettings, "port", settings.PortName);
  file.WriteString(kRange, "fmin", number(settings.Range.Fmin));
  file.WriteString(kRange, "fmax", number(settings.Range.Fmax));
  file.WriteString(kRange, "freqstep", number(settings.Range.Fstep));
  file.WriteString(kRange, "mindb", number(settings.Range.MinDb));
  file.WriteString(kRange, "maxdb", number(settings.Range.MaxDb));
  file.Save();
}
