// Text-mode files: every line feed written goes out as CR LF, also one inside a raw binary field, and
// reading turns CR LF back into LF. A lone CR is data, and so is 0x1A.
#pragma once
#include <cstdint>
#include <string>

namespace kp {

class TextWriter {
public:
    // Writes the text and a line end.
    void WriteLine(const std::string& text);
    // Writes the text as it is (through the line-feed translation).
    void Write(const std::string& text);
    // A 32-bit little-endian integer, raw.
    void WriteUInt32(uint32_t value);
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

class TextReader {
public:
    explicit TextReader(std::string bytes) : m_bytes(std::move(bytes)) {}
    // The next line without its line end; false at the end of the data. A last line without a line
    // end is still returned.
    bool ReadLine(std::string& line);
    // Four raw bytes as a little-endian integer; false (and nothing consumed) when fewer are left.
    bool ReadUInt32(uint32_t& value);
    bool AtEnd() const { return m_pos >= m_bytes.size(); }

private:
    // The next byte after translation; -1 at the end.
    int Peek(size_t& advance) const;
    std::string m_bytes;
    size_t m_pos = 0;
};

}  // namespace kp
