#include "platform/sim/SimResources.h"

namespace kp::sim {

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
