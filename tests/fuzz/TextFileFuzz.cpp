// The text-mode file: any bytes read line by line and field by field end, consume, and never read past
// the data; and whatever the writer produces reads back to lines that write out the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "platform/TextFile.h"

namespace {

// Reads the bytes as lines and raw fields in an order taken from the bytes themselves.
void ReadAnyhow(const std::string& bytes) {
    kp::TextReader reader(bytes);
    size_t steps = 0;
    for (size_t i = 0; !reader.AtEnd(); ++i) {
        FUZZ_CHECK(++steps <= bytes.size());  // every call that succeeds consumes at least one byte
        const bool field = (static_cast<unsigned char>(bytes[i % bytes.size()]) & 1) != 0;
        if (field) {
            uint32_t value = 0;
            if (!reader.ReadUInt32(value)) {
                std::string line;
                FUZZ_CHECK(reader.ReadLine(line));
            }
        } else {
            std::string line;
            FUZZ_CHECK(reader.ReadLine(line));
            FUZZ_CHECK(line.size() <= bytes.size());
        }
    }
    std::string line;
    FUZZ_CHECK(!reader.ReadLine(line));
}

std::string WriteLines(const std::vector<std::string>& lines) {
    kp::TextWriter writer;
    for (const auto& line : lines) writer.WriteLine(line);
    return writer.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadAnyhow(bytes);

    // Lines separated by NUL bytes in the input, written the way the list files are.
    std::vector<std::string> lines(1);
    for (char c : bytes) {
        if (c == '\0') lines.emplace_back();
        else lines.back() += c;
    }
    const std::string written = WriteLines(lines);
    kp::TextReader reader(written);
    std::vector<std::string> back;
    std::string line;
    while (reader.ReadLine(line)) back.push_back(line);
    FUZZ_CHECK(WriteLines(back) == written);

    // A raw field written between lines comes back as the same value.
    if (size >= 4) {
        const uint32_t value = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
        kp::TextWriter writer;
        writer.WriteLine("[ItemCount]");
        writer.WriteUInt32(value);
        writer.WriteLine("D");
        kp::TextReader fields(writer.Bytes());
        uint32_t got = 0;
        FUZZ_CHECK(fields.ReadLine(line) && line == "[ItemCount]");
        FUZZ_CHECK(fields.ReadUInt32(got) && got == value);
        FUZZ_CHECK(fields.ReadLine(line) && line == "D");
    }
    return 0;
}
