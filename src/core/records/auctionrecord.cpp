#include "auctionrecord.h"

#include "platform/numbers.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

static_assert(kFieldCount <= 32, "a bit per field in the empty-text mask");

constexpr char kNarrow = 0; // lengths one byte each
constexpr char kWide = 1;   // lengths four bytes each

size_t headerSize(char kind)
{
    return 1 + size_t(kFieldCount) * (kind == kWide ? 4 : 1);
}

// The length of field k, as the block's header gives it.
size_t lengthAt(const char *block, size_t k)
{
    if (block[0] == kNarrow)
        return static_cast<unsigned char>(block[1 + k]);
    quint32 wide;
    std::memcpy(&wide, block + 1 + 4 * k, 4);
    return wide;
}

// Where field i starts among the texts, and its length.
std::pair<size_t, size_t> span(const char *block, size_t i)
{
    size_t start = 0;
    for (size_t k = 0; k < i; ++k)
        start += lengthAt(block, k);
    return {start, lengthAt(block, i)};
}

size_t blockSize(const char *block)
{
    if (!block)
        return 0;
    const auto [start, length] = span(block, kFieldCount - 1);
    return headerSize(block[0]) + start + length;
}

char *copyOf(const char *block)
{
    if (!block)
        return nullptr;
    const size_t n = blockSize(block);
    char *copy = static_cast<char *>(std::malloc(n));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, block, n);
    return copy;
}

} // namespace

RecordValues::RecordValues(const FieldValues &values)
{
    std::array<QByteArray, kFieldCount> utf8;
    std::array<QByteArrayView, kFieldCount> texts;
    for (size_t i = 0; i < size(); ++i) {
        utf8[i] = values[i].toUtf8();
        texts[i] = utf8[i];
        if (values[i].isEmpty() && !values[i].isNull())
            m_emptyText |= 1u << i;
    }
    assign(texts);
}

RecordValues::RecordValues(const RecordValues &other)
    : m_block(copyOf(other.m_block)), m_emptyText(other.m_emptyText)
{}

RecordValues::RecordValues(RecordValues &&other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)),
      m_emptyText(std::exchange(other.m_emptyText, 0))
{}

RecordValues &RecordValues::operator=(const RecordValues &other)
{
    if (this != &other) {
        char *copy = copyOf(other.m_block);
        std::free(m_block);
        m_block = copy;
        m_emptyText = other.m_emptyText;
    }
    return *this;
}

RecordValues &RecordValues::operator=(RecordValues &&other) noexcept
{
    std::swap(m_block, other.m_block);
    std::swap(m_emptyText, other.m_emptyText);
    return *this;
}

RecordValues::~RecordValues()
{
    std::free(m_block);
}

RecordValues RecordValues::fromUtf8(const std::array<QByteArrayView, kFieldCount> &texts)
{
    RecordValues v;
    v.assign(texts);
    return v;
}

void RecordValues::assign(const std::array<QByteArrayView, kFieldCount> &texts)
{
    size_t total = 0;
    char kind = kNarrow;
    for (const QByteArrayView &t : texts) {
        total += size_t(t.size());
        if (t.size() > 255)
            kind = kWide;
    }
    char *block = nullptr;
    if (total > 0) {
        const size_t header = headerSize(kind);
        block = static_cast<char *>(std::malloc(header + total));
        if (!block)
            throw std::bad_alloc();
        block[0] = kind;
        char *text = block + header;
        for (size_t i = 0; i < size(); ++i) {
            const auto n = size_t(texts[i].size());
            if (kind == kNarrow) {
                block[1 + i] = char(quint8(n));
            } else {
                const quint32 length = quint32(n);
                std::memcpy(block + 1 + 4 * i, &length, 4);
            }
            if (n)
                std::memcpy(text, texts[i].data(), n);
            text += n;
        }
    }
    std::free(m_block);
    m_block = block;
}

QByteArrayView RecordValues::utf8(size_t i) const
{
    if (!m_block)
        return {};
    const auto [start, length] = span(m_block, i);
    return QByteArrayView(m_block + headerSize(m_block[0]) + start, qsizetype(length));
}

std::array<QByteArrayView, kFieldCount> RecordValues::utf8All() const
{
    std::array<QByteArrayView, kFieldCount> texts;
    if (!m_block)
        return texts;
    const char *text = m_block + headerSize(m_block[0]);
    for (size_t i = 0; i < size(); ++i) {
        const size_t length = lengthAt(m_block, i);
        texts[i] = QByteArrayView(text, qsizetype(length));
        text += length;
    }
    return texts;
}

QString RecordValues::operator[](size_t i) const
{
    const QByteArrayView t = utf8(i);
    if (t.isEmpty())
        return (m_emptyText >> i) & 1u ? QStringLiteral("") : QString();
    return QString::fromUtf8(t);
}

void RecordValues::set(size_t i, const QString &value)
{
    const QByteArray utf8Value = value.toUtf8();
    std::array<QByteArrayView, kFieldCount> texts = utf8All();
    texts[i] = utf8Value;
    // The new block is built from the old one before the old one goes.
    RecordValues next;
    next.assign(texts);
    std::swap(m_block, next.m_block);
    if (value.isEmpty() && !value.isNull())
        m_emptyText |= 1u << i;
    else
        m_emptyText &= ~(1u << i);
}

FieldValues RecordValues::toFieldValues() const
{
    FieldValues values;
    for (size_t i = 0; i < size(); ++i)
        values[i] = (*this)[i];
    return values;
}

quint8 flagCodeOf(QByteArrayView utf8)
{
    // The stored forms without building a string; anything else the full reading.
    if (utf8.size() == 1 && (utf8[0] == '0' || utf8[0] == '1'))
        return utf8[0] == '0' ? 0 : 1;
    // Read as Fields::flagCode reads the same text.
    const double n = Numbers::leadingNumber(utf8);
    return n == 0.0 ? 0 : (n == 1.0 ? 1 : 2);
}

FlagCodes flagCodesOf(const FieldValues &values)
{
    FlagCodes codes;
    for (size_t i = 0; i < codes.size(); ++i)
        codes[i] = Fields::flagCode(values[i]);
    return codes;
}

FlagCodes flagCodesOf(const RecordValues &values)
{
    return flagCodesOf(values.utf8All());
}

FlagCodes flagCodesOf(const std::array<QByteArrayView, kFieldCount> &texts)
{
    FlagCodes codes;
    for (size_t i = 0; i < codes.size(); ++i)
        codes[i] = flagCodeOf(texts[i]);
    return codes;
}
