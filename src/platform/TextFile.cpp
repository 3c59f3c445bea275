#include "platform/TextFile.h"

namespace kp {

void TextWriter::Write(const std::string& text) {
    for (char c : text) {
        if (c == '\n') m_bytes += '\r';
        m_bytes += c;
    }
}

void TextWriter::WriteLine(const std::string& text) {
    Write(text);
    Write("\n");
}

void TextWriter::WriteUInt32(uint32_t value) {
    std::string raw(4, '\0');
    for (int i = 0; i < 4; ++i) raw[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    Write(raw);
}

int TextReader::Peek(size_t& advance) const {
    if (m_pos >= m_bytes.size()) return -1;
    if (m_bytes[m_pos] == '\r' && m_pos + 1 < m_bytes.size() && m_bytes[m_pos + 1] == '\n') {
        advance = 2;
        return '\n';
    }
    advance = 1;
    return static_cast<unsigned char>(m_bytes[m_pos]);
}

bool TextReader::ReadLine(std::string& line) {
    line.clear();
    if (AtEnd()) return false;
    size_t advance = 0;
    int c;
    while ((c = Peek(advance)) != -1) {
        m_pos += advance;
        if (c == '\n') break;
        line += static_cast<char>(c);
    }
    return true;
}

bool TextReader::ReadUInt32(uint32_t& value) {
    const size_t start = m_pos;
    value = 0;
    for (int i = 0; i < 4; ++i) {
        size_t advance = 0;
        const int c = Peek(advance);
        if (c == -1) {
            m_pos = start;
            return false;
        }
        m_pos += advance;
        value |= static_cast<uint32_t>(c) << (8 * i);
    }
    return true;
}

}  // namespace kp
