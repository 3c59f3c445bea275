#include "platform/DataExchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Gbk.h"
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
        Fail(id, "请输入一个整数。");
        return;
    }
    value = static_cast<int>(parsed);
}

void DataExchange::MinMaxInt(int id, int value, int lower, int upper) {
    if (m_failed || !m_save) return;
    if (value < lower || value > upper) Fail(id, Format("请输入一个介于 %d 和 %d 之间的整数。", lower, upper));
}

void DataExchange::MaxChars(int id, const std::string& value, int chars) {
    if (m_failed || !m_save) return;
    int count = 0;
    for (size_t i = 0; i < value.size(); ++i, ++count) {
        if (IsLeadByte(static_cast<unsigned char>(value[i]))) ++i;
    }
    if (count > chars) Fail(id, Format("请输入不多于 %d 个字符。", chars));
}

void DataExchange::Fail(int id, const std::string& message) {
    TheOs().ui->MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    m_window.SetFocus(id);
    m_failed = true;
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
