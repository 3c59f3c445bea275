#include "platform/DataExchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Os.h"

namespace kp {

void DataExchange::Text(int id, std::string& value) {
    if (m_failed) return;
    if (m_save)
        value = m_window.GetText(id);
    else
        m_window.SetText(id, value);
}

void DataExchange::Int(int id, int& value) {
    if (m_failed) return;
    if (!m_save) {
        m_window.SetText(id, std::to_string(value));
        return;
    }
    const std::string text = m_window.GetText(id);
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (end == begin || (end && *end != '\0') || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        TheOs().ui->MessageBox("请输入一个整数。", MB_OK | MB_ICONEXCLAMATION);
        m_window.SetFocus(id);
        m_failed = true;
        return;
    }
    value = static_cast<int>(parsed);
}

void DataExchange::Check(int id, int& value) {
    if (m_failed) return;
    if (m_save)
        value = m_window.GetCheck(id);
    else
        m_window.SetCheck(id, value);
}

void DataExchange::ComboIndex(int id, int& value) {
    if (m_failed) return;
    if (m_save)
        value = m_window.Combo(id).GetCurSel();
    else
        m_window.Combo(id).SetCurSel(value);
}

}  // namespace kp
