// A page of the main sheet, and a dialog of the program. Showing a page counts as user activity, and so
// does a click on the background of a page that asks for it and of every ActivityDialog.
#pragma once
#include "platform/Wnd.h"

namespace kestor {

class KestorPage : public kp::PropertyPage {
public:
    KestorPage(int templateId, bool clickIsActivity) : PropertyPage(templateId), m_clickIsActivity(clickIsActivity) {}
    void OnShowWindow(bool show) override;
    void OnLButtonDown(bool doubleClick) override;

private:
    bool m_clickIsActivity;
};

class ActivityDialog : public kp::Dialog {
public:
    using Dialog::Dialog;
    void OnLButtonDown(bool doubleClick) override;
};

}  // namespace kestor
