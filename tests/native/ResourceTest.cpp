// The resource script and header: every id named and unique in its dialog, the sheet's pages alike, no visible
// control outside its dialog or over another.
#include <gtest/gtest.h>

#include <set>

#include "platform/Types.h"
#include "platform/sim/RcFile.h"

namespace {

TEST(Resources, IdsAreNamedAndUniqueAndVisibleControlsNeitherOverlapNorLeaveTheirDialog) {
    const std::string dir = KESTOR_RES_DIR;
    const auto header = rc::ReadTextFile(dir + "/resource.h"), script = rc::ReadTextFile(dir + "/Kestor.rc");
    ASSERT_TRUE(header && script);
    const rc::ResourceHeader names = rc::ResourceHeader::Parse(*header);
    const rc::RcFile rc = rc::RcFile::Parse(*script, names);
    for (const std::string& error : rc.Errors()) ADD_FAILURE() << error;
    std::set<std::string> defined;
    for (const rc::Define& d : names.All()) EXPECT_TRUE(defined.insert(d.name).second) << d.name;
    const rc::Dialog* page = nullptr;
    for (const rc::Dialog& dlg : rc.Dialogs()) {
        SCOPED_TRACE(dlg.idName);
        EXPECT_TRUE(dlg.id);
        if (dlg.IsChild()) {
            page = page ? page : &dlg;
            EXPECT_TRUE(dlg.styles.Has("DS_CONTROL") && !dlg.caption.empty());
            EXPECT_TRUE(dlg.width == page->width && dlg.height == page->height);
        }
        std::set<int> ids;
        std::vector<std::pair<kp::Rect, std::string>> shown;
        for (const rc::Control& c : dlg.controls) {
            const std::string what = c.statement + " " + c.idName + " \"" + c.text + "\"";
            EXPECT_TRUE(c.id) << what << ": not in resource.h";
            EXPECT_TRUE(c.idName == "IDC_STATIC" || !c.id || ids.insert(*c.id).second) << what << ": id used twice";
            if (c.Hidden() || (c.Kind() == rc::ControlKind::UpDown && c.styles.Has("UDS_ALIGNRIGHT"))) continue;
            // A combo box's height in the script is its drop-down list's.
            const kp::Rect r{c.x, c.y, c.x + c.width, c.y + (c.Kind() == rc::ControlKind::ComboBox ? 14 : c.height)};
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= dlg.width && r.bottom <= dlg.height) << what;
            if (c.Kind() == rc::ControlKind::GroupBox) continue;
            for (const auto& [o, other] : shown)
                EXPECT_FALSE(r.left < o.right && o.left < r.right && r.top < o.bottom && o.top < r.bottom)
                    << what << " overlaps " << other;
            shown.push_back({r, what});
        }
    }
    ASSERT_NE(nullptr, page);
}

}  // namespace
