// res/resource.h and res/Kestor.rc checked against each other: no id clash within a dialog, every control id
// named in its dialog's block, pages of one size, nothing overlapping, and pictures in the formats loaded.
#include "platform/sim/RcFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>

#ifndef KESTOR_RES_DIR
#error "the build defines KESTOR_RES_DIR as the absolute path of res/"
#endif

namespace {

const std::string kResDir = KESTOR_RES_DIR;

// ---------------------------------------------------------------- the parser itself

TEST(RcFileParser, HeaderBlocksStartAtACommentAfterABlankLine) {
    const rc::ResourceHeader header = rc::ResourceHeader::Parse(
        "// ids\n// second comment line\n\n#ifndef GUARD\n#define GUARD\n\n"
        "// common\n// more on the ids\n#ifndef IDC_STATIC\n#define IDC_STATIC (-1)\n#endif\n#define ID_ONE 1\n\n"
        "// dialog 140 CTovrelTimeset\n#define IDC_CHIME 1015\n#define IDC_LIST 0x3FB  // the list\n\n"
        "// icons\n#define IDI_MAIN 128\n");
    ASSERT_EQ(header.Blocks().size(), 3u);
    EXPECT_EQ(header.Blocks()[0].title, "common");
    const rc::DefineBlock* timeset = header.DialogBlock(140);
    ASSERT_NE(timeset, nullptr);
    EXPECT_EQ(timeset->className, "CTovrelTimeset");
    ASSERT_EQ(timeset->defines.size(), 2u);
    EXPECT_EQ(timeset->defines[1].name, "IDC_LIST");
    EXPECT_EQ(timeset->defines[1].value, 1019);
    EXPECT_EQ(header.Value("IDC_STATIC"), -1);
    EXPECT_FALSE(header.Value("GUARD").has_value());
    EXPECT_EQ(header.BlockOf("ID_ONE"), &header.Blocks()[0]);
    EXPECT_EQ(header.Blocks()[0].defines.size(), 2u);
    EXPECT_EQ(header.Blocks()[2].dialogId, -1);
}

TEST(RcFileParser, ReadsDialogControlsWithKindsStylesAndTexts) {
    const rc::ResourceHeader header = rc::ResourceHeader::Parse(
        "// dialog 7 CSample\n#define IDD_SAMPLE 7\n#define IDC_NAME 1001\n#define IDC_PASS 1002\n"
        "#define IDC_HIDDEN 1003\n#define IDC_LIST 1004\n");
    const rc::RcFile file = rc::RcFile::Parse(
        "#pragma code_page(65001)\n#include \"resource.h\"\n/* a block\n   comment */\n"
        "IDD_SAMPLE DIALOGEX 0, 0, 100, 150\n"
        "STYLE DS_SETFONT | WS_POPUP |\n      WS_CAPTION   // goes on\n"
        "CAPTION \"Say \"\"hi\"\"\"\nFONT 9, \"宋体\", 0, 0, 0x86\n"
        "BEGIN\n"
        "    ICON 128, IDC_STATIC, 1, 2\n"
        "    LTEXT \"名字:\", IDC_STATIC, 5, 5, 30, 10\n"
        "    EDITTEXT IDC_NAME, 40, 5, 50, 12, ES_AUTOHSCROLL\n"
        "    EDITTEXT IDC_PASS, 40, 20, 50, 12, ES_PASSWORD | ES_AUTOHSCROLL\n"
        "    PUSHBUTTON \"Hidden\", IDC_HIDDEN, 5, 35, 40, 12, NOT WS_VISIBLE\n"
        "    CONTROL \"\", IDC_LIST, \"SysListView32\", LVS_REPORT | WS_BORDER, 5, 50, 90, 40\n"
        "    CONTROL \"Tick\", 1005, \"Button\", BS_AUTOCHECKBOX | WS_TABSTOP, 5, 95, 40, 10\n"
        "    DEFPUSHBUTTON \"OK\", IDOK, 50, 35, 40, 12\n"
        "END\n",
        header);
    EXPECT_TRUE(file.Errors().empty()) << file.Errors().front();
    const rc::Dialog* dialog = file.FindDialog(7);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, "Say \"hi\"");
    EXPECT_EQ(dialog->fontFace, "宋体");
    EXPECT_EQ(dialog->fontSize, 9);
    EXPECT_TRUE(dialog->styles.Has("WS_CAPTION"));
    EXPECT_FALSE(dialog->IsChild());
    ASSERT_EQ(dialog->controls.size(), 8u);

    const std::vector<rc::ControlKind> kinds = {
        rc::ControlKind::Icon, rc::ControlKind::Static, rc::ControlKind::Edit, rc::ControlKind::Edit,
        rc::ControlKind::PushButton, rc::ControlKind::ListView, rc::ControlKind::CheckBox,
        rc::ControlKind::DefaultButton};
    for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(dialog->controls[i].Kind(), kinds[i]) << "control " << i;

    EXPECT_EQ(dialog->controls[0].text, "128");
    EXPECT_EQ(dialog->controls[1].text, "名字:");
    EXPECT_EQ(dialog->controls[1].id, -1);
    EXPECT_FALSE(dialog->Find(1001)->Password());
    EXPECT_TRUE(dialog->Find(1002)->Password());
    EXPECT_TRUE(dialog->Find(1003)->Hidden());
    EXPECT_FALSE(dialog->Find(1004)->Hidden());
    EXPECT_EQ(dialog->Find(1004)->className, "SysListView32");
    EXPECT_EQ(dialog->Find(1004)->height, 40);
    EXPECT_EQ(dialog->Find(1)->idName, "IDOK");
}

TEST(RcFileParser, ReadsMenusStringsFilesAndSkipsVersionInfo) {
    const rc::ResourceHeader header = rc::ResourceHeader::Parse(
        "// menu\n#define IDR_M 145\n#define ID_A 107\n#define ID_Q 105\n#define IDS_X 101\n#define IDI_MAIN 128\n");
    const rc::RcFile file = rc::RcFile::Parse(
        "IDR_M MENUEX\nBEGIN\n    POPUP \"Tray\", 0, MFT_STRING, MFS_ENABLED\n    BEGIN\n"
        "        MENUITEM \"A\", ID_A, MFT_STRING, MFS_ENABLED\n        MENUITEM \"\", 0, MFT_SEPARATOR\n"
        "        MENUITEM \"Quit\", ID_Q, MFT_STRING | MFT_RIGHTJUSTIFY | MFT_RIGHTORDER, MFS_ENABLED\n"
        "    END\nEND\n"
        "STRINGTABLE\nBEGIN\n    IDS_X \"About \\\"X\\\"(&A)...\"\nEND\n"
        "IDI_MAIN ICON \"art/main.ico\"\n"
        "VS_VERSION_INFO VERSIONINFO\nFILEVERSION 1, 0, 0, 0\nBEGIN\n    BLOCK \"StringFileInfo\"\n    BEGIN\n"
        "        VALUE \"A\", \"B\"\n    END\nEND\n",
        header);
    EXPECT_TRUE(file.Errors().empty()) << file.Errors().front();
    const rc::Menu* menu = file.FindMenu(145);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items.size(), 1u);
    ASSERT_TRUE(menu->items[0].popup);
    const std::vector<rc::MenuItem>& items = menu->items[0].children;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, 107);
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].text, "Quit");
    EXPECT_EQ(items[2].flags, (std::vector<std::string>{"MFT_STRING", "MFT_RIGHTJUSTIFY", "MFT_RIGHTORDER", "MFS_ENABLED"}));
    EXPECT_EQ(file.String(101), "About \"X\"(&A)...");
    ASSERT_EQ(file.Files().size(), 1u);
    EXPECT_EQ(file.Files()[0].type, "ICON");
    EXPECT_EQ(file.Files()[0].id, 128);
    EXPECT_EQ(file.Files()[0].file, "art/main.ico");
}

TEST(RcFileParser, BrokenScriptsGiveErrorsNotHangs) {
    const rc::ResourceHeader none;
    for (const char* text : {
             "IDD_X DIALOGEX 0, 0, 10\nBEGIN\n    LTEXT \"a\", 1, 0, 0, 5, 5\n",       // size and END missing
             "IDD_Y DIALOGEX 0, 0, 1, 1\nBEGIN\n    FOO 1, 2\nEND\n",                  // unknown statement
             "IDS \"unterminated\n",                                                   // string without end
             "STRINGTABLE\nBEGIN\n    1 \"x\"\n",                                       // table without END
             "M MENUEX\nBEGIN\n    POPUP \"p\"\n    BEGIN\n",                           // menu without END
             ", , ) ( | NOT",                                                          // no statement at all
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(rc::RcFile::Parse(text, none).Errors().empty());
    }
}

// ---------------------------------------------------------------- the real files

struct Resources {
    bool loaded = false;
    rc::ResourceHeader header;
    rc::RcFile script;
};

const Resources& Res() {
    static const Resources resources = [] {
        Resources r;
        const auto header = rc::ReadTextFile(kResDir + "/resource.h");
        const auto script = rc::ReadTextFile(kResDir + "/Kestor.rc");
        r.loaded = header && script;
        if (header) r.header = rc::ResourceHeader::Parse(*header);
        if (script) r.script = rc::RcFile::Parse(*script, r.header);
        return r;
    }();
    return resources;
}

class ResourceFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Res().loaded) << "cannot read resource.h or Kestor.rc in " << kResDir; }
    const rc::ResourceHeader& header() const { return Res().header; }
    const rc::RcFile& script() const { return Res().script; }
};

std::string Where(const rc::Dialog& dialog, const rc::Control& control) {
    return dialog.idName + " / " + control.statement + " " + control.idName + " \"" + control.text + "\"";
}

TEST_F(ResourceFiles, ScriptParsesWithoutErrors) {
    for (const std::string& error : script().Errors()) ADD_FAILURE() << error;
    EXPECT_EQ(script().Dialogs().size(), 13u);
}

TEST_F(ResourceFiles, NoTwoIdsOfADialogBlockShareANumberAndNoNameIsDefinedTwice) {
    for (const rc::DefineBlock& block : header().Blocks()) {
        if (block.dialogId < 0) continue;
        std::map<int, std::string> seen;
        for (const rc::Define& define : block.defines) {
            auto [it, fresh] = seen.emplace(define.value, define.name);
            EXPECT_TRUE(fresh) << block.title << ": " << define.name << " and " << it->second << " are both " << define.value;
        }
    }
    std::set<std::string> names;
    for (const rc::Define& define : header().All())
        EXPECT_TRUE(names.insert(define.name).second) << define.name << " is defined twice (line " << define.line << ")";
}

TEST_F(ResourceFiles, EveryDialogTemplateHasItsIdBlockAndTheOtherWayRound) {
    std::set<int> templates;
    for (const rc::Dialog& dialog : script().Dialogs()) {
        ASSERT_TRUE(dialog.id.has_value()) << dialog.idName << " is not defined in resource.h";
        EXPECT_TRUE(templates.insert(*dialog.id).second) << "two templates with id " << *dialog.id;
        EXPECT_EQ(dialog.idName.rfind("IDD_", 0), 0u) << dialog.idName;
        EXPECT_NE(header().DialogBlock(*dialog.id), nullptr) << "no \"// dialog " << *dialog.id << " ...\" block";
    }
    for (const rc::DefineBlock& block : header().Blocks())
        if (block.dialogId >= 0) {
            EXPECT_EQ(templates.count(block.dialogId), 1u) << block.title << " has no template";
        }
    for (const rc::Define& define : header().All())
        if (define.name.rfind("IDD_", 0) == 0) {
            EXPECT_EQ(templates.count(define.value), 1u) << define.name;
        }
}

TEST_F(ResourceFiles, ControlIdsComeFromTheirDialogsBlockAndAreUniqueWithinTheDialog) {
    const rc::DefineBlock* common = header().BlockOf("IDC_STATIC");
    ASSERT_NE(common, nullptr) << "IDC_STATIC belongs in resource.h";
    for (const rc::Dialog& dialog : script().Dialogs()) {
        const rc::DefineBlock* own = dialog.id ? header().DialogBlock(*dialog.id) : nullptr;
        ASSERT_NE(own, nullptr) << dialog.idName;
        std::set<int> ids;
        for (const rc::Control& control : dialog.controls) {
            const rc::DefineBlock* block = header().BlockOf(control.idName);
            const bool standard = block == nullptr && rc::StandardDialogId(control.idName).has_value();
            EXPECT_TRUE(block == own || block == common || standard)
                << Where(dialog, control) << ": id "
                << (block ? "from the block \"" + block->title + "\"" : std::string("not named in resource.h"));
            if (control.idName == "IDC_STATIC" || !control.id) continue;
            EXPECT_TRUE(ids.insert(*control.id).second) << Where(dialog, control) << ": id used twice";
        }
        for (const rc::Define& define : own->defines)
            EXPECT_NE(dialog.Find(define.value), nullptr) << dialog.idName << " has no control " << define.name;
    }
}

TEST_F(ResourceFiles, SheetPagesAreChildDialogsOfOneSize) {
    std::vector<const rc::Dialog*> pages;
    for (const rc::Dialog& dialog : script().Dialogs())
        if (dialog.IsChild()) pages.push_back(&dialog);
    ASSERT_EQ(pages.size(), 5u);
    for (const rc::Dialog* page : pages) {
        SCOPED_TRACE(page->idName);
        EXPECT_TRUE(page->styles.Has("DS_CONTROL"));
        EXPECT_FALSE(page->styles.Has("WS_POPUP"));
        EXPECT_FALSE(page->caption.empty());
        EXPECT_EQ(page->width, pages[0]->width);
        EXPECT_EQ(page->height, pages[0]->height);
    }
}

// The part of a control that shows: a combo box's height in the script is its drop-down list.
struct Box {
    int left, top, right, bottom;
};
Box Shown(const rc::Control& control) {
    const int height = control.Kind() == rc::ControlKind::ComboBox ? 14 : control.height;
    return {control.x, control.y, control.x + control.width, control.y + height};
}
bool PlacesItself(const rc::Control& control) {
    return control.Kind() == rc::ControlKind::UpDown &&
           (control.styles.Has("UDS_ALIGNRIGHT") || control.styles.Has("UDS_ALIGNLEFT"));
}

TEST_F(ResourceFiles, VisibleControlsStayInsideTheirDialogAndDoNotOverlap) {
    for (const rc::Dialog& dialog : script().Dialogs()) {
        std::vector<const rc::Control*> shown;
        for (const rc::Control& control : dialog.controls) {
            if (control.Hidden() || PlacesItself(control)) continue;
            const Box box = Shown(control);
            EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= dialog.width && box.bottom <= dialog.height)
                << Where(dialog, control) << " reaches outside " << dialog.width << "x" << dialog.height;
            if (control.Kind() != rc::ControlKind::GroupBox) shown.push_back(&control);
        }
        for (size_t i = 0; i < shown.size(); ++i)
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const Box a = Shown(*shown[i]), b = Shown(*shown[j]);
                const bool overlap = a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
                EXPECT_FALSE(overlap) << Where(dialog, *shown[i]) << " overlaps " << Where(dialog, *shown[j]);
            }
    }
}

void CollectCommands(const std::vector<rc::MenuItem>& items, std::vector<const rc::MenuItem*>& out) {
    for (const rc::MenuItem& item : items) {
        if (item.popup) CollectCommands(item.children, out);
        else if (!item.separator) out.push_back(&item);
    }
}

TEST_F(ResourceFiles, MenuCommandsAndStringsAreNamedInTheHeader) {
    ASSERT_FALSE(script().Menus().empty());
    for (const rc::Menu& menu : script().Menus()) {
        EXPECT_TRUE(header().Value(menu.idName).has_value()) << menu.idName;
        std::vector<const rc::MenuItem*> commands;
        CollectCommands(menu.items, commands);
        std::set<int> ids;
        for (const rc::MenuItem* item : commands) {
            EXPECT_TRUE(header().Value(item->idName).has_value()) << menu.idName << " / " << item->text;
            EXPECT_TRUE(item->id && ids.insert(*item->id).second) << menu.idName << " / " << item->text;
        }
    }
    ASSERT_FALSE(script().Strings().empty());
    for (const rc::StringEntry& entry : script().Strings())
        EXPECT_TRUE(header().Value(entry.idName).has_value()) << entry.idName;
}

// ---------------------------------------------------------------- pictures

uint32_t Le(const std::string& data, size_t offset, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | (offset + i < data.size() ? static_cast<unsigned char>(data[offset + i]) : 0u);
    return value;
}

::testing::AssertionResult BannerBitmap(const std::string& data) {
    if (data.size() < 54 || data.compare(0, 2, "BM") != 0) return ::testing::AssertionFailure() << "not a BMP";
    const uint32_t width = Le(data, 18, 4), height = Le(data, 22, 4), bits = Le(data, 28, 2), compression = Le(data, 30, 4);
    const uint32_t stride = (width * 3 + 3) / 4 * 4;
    if (width != 414 || height != 78 || bits != 24 || compression != 0)
        return ::testing::AssertionFailure() << width << "x" << height << ", " << bits << " bits, compression " << compression;
    if (data.size() < Le(data, 10, 4) + stride * height) return ::testing::AssertionFailure() << "pixels cut short";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult IconWithSmallAndLarge(const std::string& data) {
    if (Le(data, 0, 2) != 0 || Le(data, 2, 2) != 1) return ::testing::AssertionFailure() << "not an icon file";
    std::set<uint32_t> sizes;
    for (uint32_t i = 0; i < Le(data, 4, 2); ++i) {
        const size_t entry = 6 + 16 * i;
        const uint32_t size = Le(data, entry, 1) == 0 ? 256 : Le(data, entry, 1);
        const uint32_t length = Le(data, entry + 8, 4), offset = Le(data, entry + 12, 4);
        if (offset + length > data.size()) return ::testing::AssertionFailure() << "image " << i << " lies outside the file";
        if (Le(data, offset + 4, 4) != size || Le(data, offset + 8, 4) != 2 * size || Le(data, offset + 14, 2) != 32)
            return ::testing::AssertionFailure() << "image " << i << " is not a 32-bit " << size << "x" << size << " DIB";
        if (length != 40 + size * size * 4 + (size + 31) / 32 * 4 * size)
            return ::testing::AssertionFailure() << "image " << i << " has no complete AND mask";
        sizes.insert(size);
    }
    if (!sizes.count(16) || !sizes.count(32)) return ::testing::AssertionFailure() << "16 and 32 pixel images wanted";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HandCursor(const std::string& data) {
    if (Le(data, 0, 2) != 0 || Le(data, 2, 2) != 2 || Le(data, 4, 2) != 1) return ::testing::AssertionFailure() << "not a one-image cursor";
    const uint32_t hotX = Le(data, 10, 2), hotY = Le(data, 12, 2), offset = Le(data, 18, 4);
    if (Le(data, 6, 1) != 32 || Le(data, 7, 1) != 32 || hotX != 5 || hotY != 0)
        return ::testing::AssertionFailure() << "size " << Le(data, 6, 1) << ", hot spot " << hotX << "," << hotY;
    if (Le(data, offset + 14, 2) != 1 || offset + 40 + 8 + 2 * 128 > data.size())
        return ::testing::AssertionFailure() << "not a complete monochrome image";
    return ::testing::AssertionSuccess();
}

TEST_F(ResourceFiles, PictureFilesHaveTheFormatsTheProgramLoads) {
    std::map<std::string, int> count;
    for (const rc::FileResource& resource : script().Files()) {
        SCOPED_TRACE(resource.idName + " " + resource.file);
        const auto data = rc::ReadTextFile(kResDir + "/" + resource.file);
        ASSERT_TRUE(data.has_value()) << "missing file";
        ++count[resource.type];
        if (resource.type == "BITMAP") {
            EXPECT_TRUE(BannerBitmap(*data));
        } else if (resource.type == "ICON") {
            EXPECT_TRUE(IconWithSmallAndLarge(*data));
        } else if (resource.type == "CURSOR") {
            EXPECT_TRUE(HandCursor(*data));
        } else if (resource.type == "RT_MANIFEST") {
            EXPECT_NE(data->find("Microsoft.Windows.Common-Controls"), std::string::npos);
            EXPECT_NE(data->find("asInvoker"), std::string::npos);
        }
    }
    EXPECT_EQ(count["ICON"], 4);
    EXPECT_EQ(count["CURSOR"], 1);
    EXPECT_EQ(count["BITMAP"], 3);
    EXPECT_EQ(count["RT_MANIFEST"], 1);
}

}  // namespace
