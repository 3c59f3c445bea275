#include "controls/BitmapStatic.h"

namespace kestor {

void CBitmapStatic::Subclass(kp::Wnd& owner, int id) {
    m_owner = &owner;
    m_id = id;
}

bool CBitmapStatic::Load(int id) {
    if (!m_owner || !m_owner->Window()) return false;
    return m_owner->Window()->SetStaticBitmap(m_id, id & 0xFFFF);
}

bool CBitmapStatic::LoadBitmap(int id) {
    if (!Load(id)) return false;
    m_nResourceId = id;
    m_strResourceName.clear();
    return true;
}

bool CBitmapStatic::LoadBitmap(const std::string& name) {
    // "#" followed by decimal digits is the resource system's spelling of a numbered resource.
    if (name.size() < 2 || name.size() > 6 || name[0] != '#') return false;
    int id = 0;
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        id = id * 10 + (name[i] - '0');
    }
    if (id > 0xFFFF || !Load(id)) return false;
    m_nResourceId = -1;
    m_strResourceName = name;
    return true;
}

bool CBitmapStatic::Reload() {
    if (m_nResourceId > 0) return Load(m_nResourceId);
    if (!m_strResourceName.empty()) return LoadBitmap(std::string(m_strResourceName));
    return false;
}

}  // namespace kestor
