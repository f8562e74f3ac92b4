// A file's text as the decompressing reader gives it, over any bytes: whatever the data, the
// text is read to an end or a failure, in pieces of any size, never past the text limit.
#include "core/content/textlimit.h"
#include "core/refresh/decompressingreader.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Orvik;

namespace {
constexpr qint64 Limit = 1 << 20;

void require(bool condition) {
    if (!condition)
        std::abort();
}

// The bytes handed over, read in pieces of a size the bytes choose.
class MemoryReader : public FileReader {
public:
    MemoryReader(const char *data, size_t size)
        : m_data(data)
        , m_size(qint64(size)) {}
    qint64 size() const override { return m_size; }
    qint64 read(char *buffer, qint64 maxSize) override {
        const qint64 step = m_size > 0 ? 1 + qint64(uint8_t(m_data[m_size - 1])) * 64 : 1;
        const qint64 n = qMin(qMin(maxSize, step), m_size - m_position);
        std::memcpy(buffer, m_data + m_position, size_t(n));
        m_position += n;
        return n;
    }
    QString errorString() const override { return QString(); }

private:
    const char *m_data;
    qint64 m_size;
    qint64 m_position = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TextLimit::setForTests(Limit);
    const char *bytes = reinterpret_cast<const char *>(data);
    DecompressingReader file(std::make_unique<MemoryReader>(bytes, size));
    std::vector<char> buffer(4096);
    std::vector<char> text;
    qint64 got;
    while ((got = file.read(buffer.data(), qint64(buffer.size()))) > 0)
        text.insert(text.end(), buffer.begin(), buffer.begin() + got);
    require(got == 0 || got == -1);
    require(qint64(text.size()) <= Limit);
    if (file.format() == Compression::None) // bytes are read as they are
        require(text.size() == size && std::memcmp(text.data(), bytes, size) == 0);
    return 0;
}
