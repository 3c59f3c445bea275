// What the simulated platform knows of the program's resources: dialog templates with their controls,
// menus and the string table. Filled from res/Kestor.rc, and by tests for templates of their own.
#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kp::sim {

enum class ControlKind { Unknown, Button, CheckBox, Radio, Edit, Static, GroupBox, ListView, ListBox, Combo,
                         DateTime, UpDown, Other };

struct ControlDef {
    int id = 0;
    ControlKind kind = ControlKind::Unknown;
    std::string text;        // GBK
    bool autoCheck = false;  // check box or radio button that the click itself toggles
    bool sorted = false;     // list view sort-ascending, list box or combo sort style
    bool singleSel = false;  // list view with one selected row at most
    bool hidden = false;     // created without WS_VISIBLE
    bool disabled = false;   // WS_DISABLED
    bool tabStop = false;
    bool group = false;      // WS_GROUP: starts a group of radio buttons
    bool notify = false;     // a static that reports clicks (SS_NOTIFY)
    bool readOnly = false;   // an edit the user cannot type into
};

struct DialogDef {
    int id = 0;
    std::string caption;  // GBK
    int width = 0, height = 0;  // dialog units
    bool systemModal = false;   // DS_SYSMODAL: the window is made topmost
    std::vector<ControlDef> controls;
    const ControlDef* Control(int controlId) const;
};

struct MenuItemDef {
    int id = 0;  // 0 for a separator or a pop-up
    std::string text;  // GBK
    bool separator = false;
    bool grayed = false;
    std::vector<MenuItemDef> items;  // a pop-up's items
};

struct MenuDef {
    int id = 0;
    std::vector<MenuItemDef> items;  // the menu bar level; TrackPopupMenu takes one pop-up of it
};

class SimResources {
public:
    // Reads a resource script and the resource.h beside it (texts become GBK); throws SimError when
    // either cannot be read or the script has errors. A script is read once per process.
    static const SimResources& FromRc(const std::string& rcPath);

    void AddDialog(DialogDef dialog) { m_dialogs[dialog.id] = std::move(dialog); }
    void AddMenu(MenuDef menu) { m_menus[menu.id] = std::move(menu); }
    void AddString(int id, std::string text) { m_strings[id] = std::move(text); }
    void AddBitmap(int id) { m_bitmaps.insert(id); }

    const DialogDef* Dialog(int id) const;
    const MenuDef* Menu(int id) const;
    std::optional<std::string> String(int id) const;
    // With no bitmaps known (no script read), every bitmap id counts as there.
    bool HasBitmap(int id) const { return m_bitmaps.empty() || m_bitmaps.count(id) != 0; }

private:
    std::map<int, DialogDef> m_dialogs;
    std::map<int, MenuDef> m_menus;
    std::map<int, std::string> m_strings;
    std::set<int> m_bitmaps;
};

}  // namespace kp::sim
