// The resource script and its header as the program is built from them: every id named and unique
// within its dialog, the pages of the sheet alike, and no visible control outside its dialog or over
// another one.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

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
    for (const rc::Define& define : names.All()) EXPECT_TRUE(defined.insert(define.name).second) << define.name;

    const rc::Dialog* firstPage = nullptr;
    for (const rc::Dialog& dialog : rc.Dialogs()) {
        SCOPED_TRACE(dialog.idName);
        EXPECT_TRUE(dialog.id.has_value());
        if (dialog.IsChild()) {
            if (!firstPage) firstPage = &dialog;
            EXPECT_TRUE(dialog.styles.Has("DS_CONTROL") && !dialog.caption.empty());
            EXPECT_TRUE(dialog.width == firstPage->width && dialog.height == firstPage->height);
        }
        std::set<int> ids;
        struct Box {
            int left, top, right, bottom;
            std::string what;
        };
        std::vector<Box> shown;
        for (const rc::Control& c : dialog.controls) {
            const std::string what = c.statement + " " + c.idName + " \"" + c.text + "\"";
            EXPECT_TRUE(c.id.has_value()) << what << ": not named in resource.h";
            if (c.idName != "IDC_STATIC" && c.id) EXPECT_TRUE(ids.insert(*c.id).second) << what << ": id used twice";
            const bool placesItself = c.Kind() == rc::ControlKind::UpDown && c.styles.Has("UDS_ALIGNRIGHT");
            if (c.Hidden() || placesItself) continue;
            // A combo box's height in the script is its drop-down list's.
            const int height = c.Kind() == rc::ControlKind::ComboBox ? 14 : c.height;
            const Box box{c.x, c.y, c.x + c.width, c.y + height, what};
            EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= dialog.width && box.bottom <= dialog.height)
                << what << " reaches outside the dialog";
            if (c.Kind() == rc::ControlKind::GroupBox) continue;
            for (const Box& o : shown)
                EXPECT_FALSE(box.left < o.right && o.left < box.right && box.top < o.bottom && o.top < box.bottom)
                    << what << " overlaps " << o.what;
            shown.push_back(box);
        }
    }
    ASSERT_NE(nullptr, firstPage);
}

}  // namespace
