#include "core/search/highlightsearch.h"

#include "core/marks/markruns.h"
#include "core/text/utf8text.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ORVIK_SCAN_AVX2 1
#endif

namespace Orvik {

namespace {

constexpr char32_t InvalidByteBase = 0x110000; // a byte that is not valid UTF-8 stands alone

struct FoldTable {
    unsigned char lower[256];
    FoldTable() {
        for (int i = 0; i < 256; ++i)
            lower[i] = (i >= 'A' && i <= 'Z') ? (unsigned char)(i + 32) : (unsigned char)i;
    }
};
const FoldTable foldTable;

bool isAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool equalFoldedAscii(const unsigned char *text, const unsigned char *folded, qint64 count) {
    for (qint64 k = 0; k < count; ++k) {
        if (foldTable.lower[text[k]] != folded[k])
            return false;
    }
    return true;
}

// Decodes one character at `s`; a byte that does not begin a valid sequence stands alone.
int readChar(const unsigned char *s, qint64 avail, char32_t *cp) {
    const Utf8Char c = decodeUtf8(s, avail);
    *cp = c.length > 0 ? c.code : InvalidByteBase + s[0];
    return qMax(1, c.length);
}

char32_t fold(char32_t cp) {
    if (cp < 0x80)
        return foldTable.lower[cp];
    if (cp >= InvalidByteBase)
        return cp;
    return QChar::toCaseFolded(cp);
}

// The vector scans' candidates from `at`: bit j of `bits` set where the text's bytes at
// at + j and at + j + m - 1 are the pattern's first and last.
inline void reportCandidates(unsigned bits, const unsigned char *text, qint64 at,
                             const unsigned char *folded, qint64 m,
                             const HighlightSearch::MatchSink &sink) {
    while (bits) {
        const int j = __builtin_ctz(bits);
        bits &= bits - 1;
        if (m <= 2 || equalFoldedAscii(text + at + j + 1, folded + 1, m - 2))
            sink(at + j, m);
    }
}

#if defined(ORVIK_SCAN_AVX2)
bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// The candidate scan of scanAscii() 32 bytes a step, on processors with AVX2: at 16 a step
// the scan is bound by its instructions, at 32 by memory. Returns where it stopped.
__attribute__((target("avx2"))) qint64 scanAsciiWide(const unsigned char *text, qint64 size,
                                                     const unsigned char *folded, qint64 m,
                                                     unsigned char firstMask,
                                                     unsigned char lastMask,
                                                     const HighlightSearch::MatchSink &sink) {
    const __m256i vFirst = _mm256_set1_epi8(char(folded[0]));
    const __m256i vLast = _mm256_set1_epi8(char(folded[m - 1]));
    const __m256i vFirstMask = _mm256_set1_epi8(char(firstMask));
    const __m256i vLastMask = _mm256_set1_epi8(char(lastMask));
    qint64 i = 0;
    for (; i + 32 + m - 1 <= size; i += 32) {
        const __m256i blockFirst = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(text + i));
        const __m256i blockLast =
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(text + i + m - 1));
        const __m256i eqFirst = _mm256_cmpeq_epi8(_mm256_or_si256(blockFirst, vFirstMask), vFirst);
        const __m256i eqLast = _mm256_cmpeq_epi8(_mm256_or_si256(blockLast, vLastMask), vLast);
        const unsigned bits = unsigned(_mm256_movemask_epi8(_mm256_and_si256(eqFirst, eqLast)));
        reportCandidates(bits, text, i, folded, m, sink);
    }
    return i;
}
#endif

} // namespace

HighlightSearch::HighlightSearch(const QString &pattern)
    : HighlightSearch(pattern.toUtf8()) {}

HighlightSearch::HighlightSearch(const QByteArray &utf8) {
    m_active = utf8.count(' ') != utf8.size();
    if (!m_active)
        return;
    for (char c : utf8) {
        if ((unsigned char)c >= 0x80)
            m_ascii = false;
    }
    if (m_ascii) {
        m_folded = utf8;
        for (char &c : m_folded)
            c = char(foldTable.lower[(unsigned char)c]);
        return;
    }
    const auto *s = reinterpret_cast<const unsigned char *>(utf8.constData());
    qint64 pos = 0;
    while (pos < utf8.size()) {
        char32_t cp;
        pos += readChar(s + pos, utf8.size() - pos, &cp);
        m_units.push_back(fold(cp));
    }
}

void HighlightSearch::forEachMatch(const char *text, qint64 size, const MatchSink &sink) const {
    if (!m_active || size <= 0)
        return;
    const auto *t = reinterpret_cast<const unsigned char *>(text);
    if (m_ascii)
        scanAscii(t, size, sink);
    else
        scanFolded(t, size, sink);
}

void HighlightSearch::scanAscii(const unsigned char *text, qint64 size,
                                const MatchSink &sink) const {
    const auto *folded = reinterpret_cast<const unsigned char *>(m_folded.constData());
    const qint64 m = m_folded.size();
    if (size < m)
        return;
    // Candidates are positions whose first and last bytes match; a letter is compared with
    // the 0x20 bit set, which folds exactly the two cases of that letter together.
    const unsigned char first = folded[0];
    const unsigned char last = folded[m - 1];
    const unsigned char firstMask = isAsciiLetter(first) ? 0x20 : 0;
    const unsigned char lastMask = isAsciiLetter(last) ? 0x20 : 0;
    qint64 i = 0;
#if defined(ORVIK_SCAN_AVX2)
    if (hasAvx2())
        i = scanAsciiWide(text, size, folded, m, firstMask, lastMask, sink);
#endif
#if defined(__SSE2__)
    const __m128i vFirst = _mm_set1_epi8(char(first));
    const __m128i vLast = _mm_set1_epi8(char(last));
    const __m128i vFirstMask = _mm_set1_epi8(char(firstMask));
    const __m128i vLastMask = _mm_set1_epi8(char(lastMask));
    for (; i + 16 + m - 1 <= size; i += 16) {
        const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        const __m128i blockLast =
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i + m - 1));
        const __m128i eqFirst = _mm_cmpeq_epi8(_mm_or_si128(blockFirst, vFirstMask), vFirst);
        const __m128i eqLast = _mm_cmpeq_epi8(_mm_or_si128(blockLast, vLastMask), vLast);
        const unsigned bits = unsigned(_mm_movemask_epi8(_mm_and_si128(eqFirst, eqLast)));
        reportCandidates(bits, text, i, folded, m, sink);
    }
#endif
    for (; i + m <= size; ++i) {
        if ((text[i] | firstMask) == first && (text[i + m - 1] | lastMask) == last &&
            (m <= 2 || equalFoldedAscii(text + i + 1, folded + 1, m - 2)))
            sink(i, m);
    }
}

void HighlightSearch::scanFolded(const unsigned char *text, qint64 size,
                                 const MatchSink &sink) const {
    const char32_t firstUnit = m_units.front();
    // Only non-ASCII characters fold to a non-ASCII character, so such a pattern can start
    // only at a lead byte; ASCII runs are skipped eight bytes at a time.
    const bool asciiSkipped = firstUnit >= 0x80;
    qint64 p = 0;
    while (p < size) {
        if (asciiSkipped) {
            p = skipAscii(text, p, size);
            if (p >= size)
                break;
        }
        const unsigned char b = text[p];
        if ((b < 0x80 && foldTable.lower[b] != firstUnit) ||
            (b >= 0x80 && b < 0xC0 && firstUnit != InvalidByteBase + b)) {
            ++p;
            continue;
        }
        qint64 q = p;
        bool matched = true;
        for (char32_t unit : m_units) {
            if (q >= size) {
                matched = false;
                break;
            }
            char32_t cp;
            q += readChar(text + q, size - q, &cp);
            if (fold(cp) != unit) {
                matched = false;
                break;
            }
        }
        if (matched)
            sink(p, q - p);
        ++p;
    }
}

qint64 HighlightSearch::longestMatch() const {
    // A folded character stands for at most four bytes.
    return m_ascii ? m_folded.size() : qint64(m_units.size()) * 4;
}

bool HighlightSearch::collect(const char *text, qint64 size, qint64 base, MarkRuns &marks,
                              const std::atomic<bool> *cancel) const {
    constexpr qint64 Stretch = 4 * 1024 * 1024;
    if (!m_active)
        return true;
    const qint64 overlap = longestMatch() - 1;
    for (qint64 from = 0; from < size; from += Stretch) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        // Matches that start in this stretch; the next one's first bytes may finish them.
        const qint64 starts = qMin(Stretch, size - from);
        forEachMatch(text + from, qMin(size - from, starts + overlap),
                     [&marks, starts, at = base + from](qint64 offset, qint64 length) {
                         if (offset < starts)
                             marks.add(at + offset, at + offset + length);
                     });
    }
    return true;
}

} // namespace Orvik
