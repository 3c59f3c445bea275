// A static control that shows a bitmap resource stretched over its whole area (the button-face colour
// while it has none) with its text centred over it. The backend paints it; this object remembers which
// resource it shows so that the bitmap can be loaded again when the system colours change (grey shades of
// the bitmap follow the 3-D colours of the scheme).
#pragma once
#include <string>
#include "platform/Wnd.h"

namespace kestor {

class CBitmapStatic {
public:
    // Binds this object to control `id` of `owner`, whose window must exist. The control shows the
    // button-face colour until a bitmap is loaded.
    void Subclass(kp::Wnd& owner, int id);

    // Loads bitmap resource `id` (its low 16 bits) into the control. false when it cannot be loaded: the
    // control keeps what it showed.
    bool LoadBitmap(int id);
    // The same by resource name. The program's bitmaps are numbered, so only the numeric form "#149"
    // names one; any other name fails.
    bool LoadBitmap(const std::string& name);
    // Loads the last resource again; false when there is none or it fails.
    bool Reload();
    // The owner passes its system-colour change on.
    void OnSysColorChange() { Reload(); }

    int ResourceId() const { return m_nResourceId; }
    const std::string& ResourceName() const { return m_strResourceName; }

private:
    bool Load(int id);

    kp::Wnd* m_owner = nullptr;
    int m_id = 0;
    // What the control shows: the resource last loaded by id (-1 when none or loaded by name), or by name.
    int m_nResourceId = -1;
    std::string m_strResourceName;
};

}  // namespace kestor
