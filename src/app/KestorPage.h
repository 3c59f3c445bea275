// A page of the main sheet. Showing a page counts as user activity, and so does a click on its
// background where the page asks for it.
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

}  // namespace kestor
