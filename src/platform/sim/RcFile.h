// Reads res/resource.h and res/Kestor.rc as text: the ids of the header, and the dialogs, menus, string
// table and file resources of the script. Texts stay UTF-8 as written; parsing never throws and never hangs.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rc {

// One "#define NAME value" line of the header.
struct Define {
    std::string name;
    int value = 0;
    int line = 0;
};

class ResourceHeader {
public:
    // Takes every "#define NAME number" (also "(-1)").
    static ResourceHeader Parse(const std::string& text);

    const std::vector<Define>& All() const { return defines_; }
    std::optional<int> Value(const std::string& name) const;

private:
    std::vector<Define> defines_;
};

// The control kinds the backends care about, from the statement, the window class and the button style.
enum class ControlKind { Static, Icon, PushButton, DefaultButton, CheckBox, RadioButton, GroupBox, Edit, ListBox,
                         ComboBox, ListView, DateTimePicker, UpDown, Other };

// A style expression as written: flags ORed in and flags taken out with NOT.
struct Styles {
    std::vector<std::string> set;
    std::vector<std::string> cleared;
    bool Has(const std::string& flag) const;
    bool Clears(const std::string& flag) const;
};

struct Control {
    std::string statement;   // LTEXT, PUSHBUTTON, CONTROL, ...
    std::string className;   // Static, Button, Edit, ListBox, ComboBox, or the CONTROL's class as written
    std::string text;        // caption; for ICON the icon resource's name
    std::string idName;      // the id as written: "IDC_CHIME", "IDOK", "1000"
    std::optional<int> id;   // resolved through the header and the standard dialog ids
    Styles styles;
    int x = 0, y = 0, width = 0, height = 0;

    ControlKind Kind() const;
    bool Hidden() const { return styles.Clears("WS_VISIBLE"); }
    bool Disabled() const { return styles.Has("WS_DISABLED"); }
};

struct Dialog {
    std::string idName;
    std::optional<int> id;
    bool extended = false;   // DIALOGEX
    std::string caption;
    Styles styles;
    int x = 0, y = 0, width = 0, height = 0;
    std::string fontFace;
    int fontSize = 0;
    std::vector<Control> controls;

    bool IsChild() const { return styles.Has("WS_CHILD"); }
};

struct MenuItem {
    std::string text;
    std::string idName;
    std::optional<int> id;
    bool separator = false;
    std::vector<std::string> flags;   // MENUEX type and state flags, or MENU options, as written
    std::vector<MenuItem> children;   // items of a POPUP
    bool popup = false;
};

struct Menu {
    std::string idName;
    std::optional<int> id;
    bool extended = false;
    std::vector<MenuItem> items;
};

struct StringEntry {
    std::string idName;
    std::optional<int> id;
    std::string text;
};

// ICON, CURSOR, BITMAP, RT_MANIFEST and other resources that name a file.
struct FileResource {
    std::string type;
    std::string idName;
    std::optional<int> id;
    std::string file;
};

class RcFile {
public:
    // Names resolve through the header, then through the standard ids of <windows.h> (IDOK, IDCANCEL, ...).
    // What cannot be read is reported in Errors(); parsing then goes on at the next top-level statement.
    static RcFile Parse(const std::string& text, const ResourceHeader& header);

    const std::vector<Dialog>& Dialogs() const { return dialogs_; }
    const std::vector<Menu>& Menus() const { return menus_; }
    const std::vector<StringEntry>& Strings() const { return strings_; }
    const std::vector<FileResource>& Files() const { return files_; }
    const std::vector<std::string>& Errors() const { return errors_; }


private:
    friend class Parser;
    std::vector<Dialog> dialogs_;
    std::vector<Menu> menus_;
    std::vector<StringEntry> strings_;
    std::vector<FileResource> files_;
    std::vector<std::string> errors_;
};

// The ids <windows.h> gives dialogs (IDOK 1, IDCANCEL 2, IDYES 6, ...); nullopt for any other name.
std::optional<int> StandardDialogId(const std::string& name);

// The whole file as bytes; nullopt when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

}  // namespace rc
