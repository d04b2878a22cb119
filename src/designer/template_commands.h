#pragma once

class QString;

namespace wendolarka {

class IDialogs;
class TForm1;
class TRecentPlaces;

// The "&Formatka I " menu's template commands, apart from the main window.
namespace template_commands {

inline constexpr const char* kTemplateFilter = "Pliki (Wzorce).WZO|*.wzo|Dowolny plik (*.*)|*.*";

// "&Zapisz formatkę jako wzorzec": the window, visible or not, to the chosen
// file. The file is written beside and takes the old one's place only when
// complete; its name becomes the window's template name. False when the user cancelled.
// A template saved or loaded goes to the front of `recent`'s templates.
bool saveTemplate(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent = nullptr);

// "&Otwórz istniejący wzorzec": the chosen template into the window, which is
// then shown. Any failure shows the error box and leaves the window's design
// as it was. True when a template was loaded; its file's name is then the window's.
bool loadTemplate(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent = nullptr);

// An entry of "Ostatnie wzorce": that template into the window as "&Otwórz
// istniejący wzorzec" loads one, after keepOrSaveDesign. A file since gone is
// said so and leaves the list, and the design stays.
bool openRecentTemplate(TForm1& form, IDialogs& dialogs, TRecentPlaces& recent, const QString& fileName);

// Before a command that throws the design away: when it changed since it was
// built, loaded or saved, asks "Zapisać zmiany we wzorcu?" and saves on Tak.
// False when the user cancelled (Anuluj, or the save dialog), so the command stops.
bool keepOrSaveDesign(TForm1& form, IDialogs& dialogs, TRecentPlaces* recent = nullptr);

} // namespace template_commands
} // namespace wendolarka
