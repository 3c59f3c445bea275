#include "platform/sim/SimResources.h"

#include <algorithm>
#include <memory>

#include "platform/sim/RcFile.h"
#include "platform/sim/SimErrors.h"

namespace kp::sim {

namespace {

bool HasAny(const rc::Styles& styles, std::initializer_list<const char*> flags) {
    for (const char* flag : flags)
        if (styles.Has(flag)) return true;
    return false;
}

ControlDef Convert(const rc::Control& c) {
    ControlDef d;
    d.id = c.id.value_or(-1);
    d.text = Utf8ToGbk(c.text);
    const rc::Styles& st = c.styles;
    // The statements that give WS_TABSTOP by default; CONTROL and the static ones do not.
    static const char* const kTabStops[] = {"PUSHBUTTON", "DEFPUSHBUTTON", "CHECKBOX", "AUTOCHECKBOX",
                                            "RADIOBUTTON", "AUTORADIOBUTTON", "STATE3", "AUTO3STATE",
                                            "EDITTEXT", "LISTBOX", "COMBOBOX", "PUSHBOX"};
    const bool tabByDefault = std::any_of(std::begin(kTabStops), std::end(kTabStops),
                                          [&](const char* s) { return c.statement == s; });
    d.tabStop = (tabByDefault || st.Has("WS_TABSTOP")) && !st.Clears("WS_TABSTOP");
    d.group = st.Has("WS_GROUP");
    d.hidden = c.Hidden();
    d.disabled = c.Disabled();
    switch (c.Kind()) {
    case rc::ControlKind::Static:
    case rc::ControlKind::Icon:
        d.kind = ControlKind::Static;
        d.notify = st.Has("SS_NOTIFY");
        break;
    case rc::ControlKind::PushButton:
    case rc::ControlKind::DefaultButton:
        d.kind = ControlKind::Button;
        break;
    case rc::ControlKind::CheckBox:
        d.kind = ControlKind::CheckBox;
        d.autoCheck = c.statement == "AUTOCHECKBOX" || c.statement == "AUTO3STATE" ||
                      HasAny(st, {"BS_AUTOCHECKBOX", "BS_AUTO3STATE"});
        break;
    case rc::ControlKind::RadioButton:
        d.kind = ControlKind::Radio;
        d.autoCheck = c.statement == "AUTORADIOBUTTON" || st.Has("BS_AUTORADIOBUTTON");
        break;
    case rc::ControlKind::GroupBox:
        d.kind = ControlKind::GroupBox;
        break;
    case rc::ControlKind::Edit:
        d.kind = ControlKind::Edit;
        d.readOnly = st.Has("ES_READONLY");
        break;
    case rc::ControlKind::ListBox:
        d.kind = ControlKind::ListBox;
        d.sorted = HasAny(st, {"LBS_SORT", "LBS_STANDARD"});
        break;
    case rc::ControlKind::ComboBox:
        d.kind = ControlKind::Combo;
        d.sorted = st.Has("CBS_SORT");
        break;
    case rc::ControlKind::ListView:
        d.kind = ControlKind::ListView;
        d.sorted = st.Has("LVS_SORTASCENDING");
        d.singleSel = st.Has("LVS_SINGLESEL");
        break;
    case rc::ControlKind::DateTimePicker:
        d.kind = ControlKind::DateTime;
        break;
    case rc::ControlKind::UpDown:
        d.kind = ControlKind::UpDown;
        break;
    case rc::ControlKind::Other:
        d.kind = ControlKind::Other;
        break;
    }
    return d;
}

MenuItemDef Convert(const rc::MenuItem& item) {
    MenuItemDef d;
    d.id = item.id.value_or(0);
    d.text = Utf8ToGbk(item.text);
    d.separator = item.separator;
    for (const std::string& flag : item.flags)
        if (flag == "MFS_GRAYED" || flag == "MFS_DISABLED" || flag == "GRAYED" || flag == "INACTIVE") d.grayed = true;
    for (const rc::MenuItem& child : item.children) d.items.push_back(Convert(child));
    return d;
}

SimResources Load(const std::string& rcPath) {
    const size_t slash = rcPath.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : rcPath.substr(0, slash);
    const auto headerText = rc::ReadTextFile(dir + "/resource.h");
    const auto scriptText = rc::ReadTextFile(rcPath);
    if (!headerText || !scriptText) throw SimError("cannot read " + rcPath + " and the resource.h beside it");
    const rc::RcFile script = rc::RcFile::Parse(*scriptText, rc::ResourceHeader::Parse(*headerText));
    if (!script.Errors().empty()) throw SimError(rcPath + ": " + script.Errors().front());
    SimResources out;
    for (const rc::Dialog& dialog : script.Dialogs()) {
        if (!dialog.id) continue;
        DialogDef d;
        d.id = *dialog.id;
        d.caption = Utf8ToGbk(dialog.caption);
        d.width = dialog.width;
        d.height = dialog.height;
        d.systemModal = dialog.styles.Has("DS_SYSMODAL");
        for (const rc::Control& control : dialog.controls) d.controls.push_back(Convert(control));
        out.AddDialog(std::move(d));
    }
    for (const rc::Menu& menu : script.Menus()) {
        if (!menu.id) continue;
        MenuDef d;
        d.id = *menu.id;
        for (const rc::MenuItem& item : menu.items) d.items.push_back(Convert(item));
        out.AddMenu(std::move(d));
    }
    for (const rc::StringEntry& entry : script.Strings())
        if (entry.id) out.AddString(*entry.id, Utf8ToGbk(entry.text));
    for (const rc::FileResource& file : script.Files())
        if (file.id && file.type == "BITMAP") out.AddBitmap(*file.id);
    return out;
}

}  // namespace

const SimResources& SimResources::FromRc(const std::string& rcPath) {
    static std::map<std::string, std::unique_ptr<SimResources>> cache;
    std::unique_ptr<SimResources>& entry = cache[rcPath];
    if (!entry) entry = std::make_unique<SimResources>(Load(rcPath));
    return *entry;
}

const ControlDef* DialogDef::Control(int controlId) const {
    for (const ControlDef& c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

const DialogDef* SimResources::Dialog(int id) const {
    auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : &it->second;
}

const MenuDef* SimResources::Menu(int id) const {
    auto it = m_menus.find(id);
    return it == m_menus.end() ? nullptr : &it->second;
}

std::optional<std::string> SimResources::String(int id) const {
    auto it = m_strings.find(id);
    if (it == m_strings.end()) return std::nullopt;
    return it->second;
}

}  // namespace kp::sim
