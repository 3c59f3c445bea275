#include "app/ListFile.h"

#include <algorithm>

#include "platform/Gbk.h"
#include "platform/Os.h"

namespace kestor {

ListFileRead ReadListFile(const std::string& path, size_t limit, std::string& bytes) {
    kp::Os& os = kp::TheOs();
    bytes.clear();
    if (!os.files->Exists(path)) return ListFileRead::Missing;
    // One byte past the limit tells a file of exactly that size from a larger one.
    if (!os.files->Read(path, bytes, limit + 1)) {
        bytes.clear();
        return ListFileRead::Unreadable;
    }
    if (bytes.size() <= limit) return ListFileRead::Whole;
    // Only whole lines, so that no cut path or text reaches the list.
    const size_t lineEnd = bytes.rfind('\n', limit - 1);
    bytes.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
    const size_t slash = kp::MbsRFind(path, '\\');
    os.ui->MessageBox(kp::Format("列表文件 %s 超过 %u MB，只读入了它前面的一部分。\n\n"
                                 "为了不丢失其余的内容，本程序退出时不会改写这个文件，本次对这个列表所做的修改也不会保存。"
                                 "请把这个文件移走或缩小后再启动本程序。",
                                 path.substr(slash == std::string::npos ? 0 : slash + 1).c_str(),
                                 static_cast<unsigned>(limit >> 20)),
                      kp::MB_OK | kp::MB_ICONEXCLAMATION);
    return ListFileRead::Cut;
}

void InsertSortedRows(kp::IListView& list, std::vector<ListRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ListRow& a, const ListRow& b) { return kp::MbsICmp(a.texts[0], b.texts[0]) > 0; });
    list.SetRedraw(false);
    for (const ListRow& r : rows) {
        const int row = list.InsertItem(0, r.texts[0]);
        if (row < 0) break;
        for (size_t column = 1; column < r.texts.size(); ++column)
            list.SetItemText(row, static_cast<int>(column), r.texts[column]);
        list.SetItemData(row, r.data);
    }
    list.SetRedraw(true);
}

}  // namespace kestor
