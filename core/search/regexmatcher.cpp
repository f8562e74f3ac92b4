#include "core/search/regexmatcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <atomic>

namespace Orvik {

namespace {
constexpr PCRE2_SIZE JitStackStart = 32 * 1024;
constexpr PCRE2_SIZE JitStackMax = 1024 * 1024;
constexpr uint32_t HeapLimitKilobytes = 64 * 1024; // the interpreter's, without the JIT

std::atomic<quint64> searches{0};
std::atomic<quint64> tooComplexSearches{0};

PCRE2_SPTR subject(const char *text) {
    static const char empty = 0;
    return reinterpret_cast<PCRE2_SPTR>(text ? text : &empty);
}

QString errorMessage(int code) {
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    return length > 0 ? QString::fromUtf8(reinterpret_cast<const char *>(buffer), length)
                      : QStringLiteral("error %1").arg(code);
}
} // namespace

struct RegexMatcher::Code {
    pcre2_code *code = nullptr;
    bool jit = false;
    ~Code() { pcre2_code_free(code); }
};

struct RegexMatcher::Scratch {
    pcre2_match_data *data = nullptr;
    pcre2_match_context *context = nullptr;
    pcre2_jit_stack *stack = nullptr;
    ~Scratch() {
        pcre2_jit_stack_free(stack);
        pcre2_match_context_free(context);
        pcre2_match_data_free(data);
    }
};

RegexMatcher::RegexMatcher() = default;

RegexMatcher::RegexMatcher(const QString &pattern, bool matchCase) {
    const QByteArray utf8 = pattern.toUtf8();
    pcre2_compile_context *context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_MULTILINE |
                       PCRE2_NEVER_BACKSLASH_C | PCRE2_USE_OFFSET_LIMIT;
    if (!matchCase)
        options |= PCRE2_CASELESS;
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code *code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.constData()), PCRE2_SIZE(utf8.size()),
                      options, &error, &errorOffset, context);
    pcre2_compile_context_free(context);
    if (!code) {
        const qsizetype position = QString::fromUtf8(utf8.left(qsizetype(errorOffset))).size();
        m_error = QStringLiteral("%1 at position %2").arg(errorMessage(error)).arg(position + 1);
        return;
    }
    auto compiled = std::make_shared<Code>();
    compiled->code = code;
    compiled->jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
    m_code = std::move(compiled);
}

RegexMatcher::RegexMatcher(const RegexMatcher &other)
    : m_code(other.m_code)
    , m_error(other.m_error) {}

RegexMatcher &RegexMatcher::operator=(const RegexMatcher &other) {
    if (this != &other) {
        m_code = other.m_code;
        m_error = other.m_error;
        m_scratch.reset();
    }
    return *this;
}

RegexMatcher::RegexMatcher(RegexMatcher &&other) noexcept = default;
RegexMatcher &RegexMatcher::operator=(RegexMatcher &&other) noexcept = default;
RegexMatcher::~RegexMatcher() = default;

RegexMatcher::Scratch &RegexMatcher::scratch() const {
    if (!m_scratch) {
        auto s = std::make_unique<Scratch>();
        s->data = pcre2_match_data_create_from_pattern(m_code->code, nullptr);
        s->context = pcre2_match_context_create(nullptr);
        if (!s->data || !s->context)
            throw std::bad_alloc();
        pcre2_set_match_limit(s->context, MatchLimit);
        pcre2_set_heap_limit(s->context, HeapLimitKilobytes);
        if (m_code->jit) {
            s->stack = pcre2_jit_stack_create(JitStackStart, JitStackMax, nullptr);
            if (!s->stack)
                throw std::bad_alloc();
            pcre2_jit_stack_assign(s->context, nullptr, s->stack);
        }
        m_scratch = std::move(s);
    }
    return *m_scratch;
}

RegexMatcher::Result RegexMatcher::find(const char *text, qint64 size, qint64 from,
                                        Match *match) const {
    return find(text, size, from, size, match);
}

RegexMatcher::Result RegexMatcher::find(const char *text, qint64 size, qint64 from,
                                        qint64 lastStart, Match *match) const {
    if (!m_code || from < 0 || from > size || lastStart < from)
        return Result::NoMatch;
    Scratch &s = scratch();
    searches.fetch_add(1, std::memory_order_relaxed);
    pcre2_set_offset_limit(s.context, lastStart >= size ? PCRE2_UNSET : PCRE2_SIZE(lastStart));
    const int rc = m_code->jit ? pcre2_jit_match(m_code->code, subject(text), PCRE2_SIZE(size),
                                                 PCRE2_SIZE(from), 0, s.data, s.context)
                               : pcre2_match(m_code->code, subject(text), PCRE2_SIZE(size),
                                             PCRE2_SIZE(from), 0, s.data, s.context);
    if (rc == PCRE2_ERROR_NOMATCH)
        return Result::NoMatch;
    if (rc < 0) { // the match limit, the stack or memory ran out
        tooComplexSearches.fetch_add(1, std::memory_order_relaxed);
        return Result::TooComplex;
    }
    if (match) {
        const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(s.data);
        match->offset = qint64(ovector[0]);
        // \K can put the reported start after the end.
        match->length = ovector[1] > ovector[0] ? qint64(ovector[1] - ovector[0]) : 0;
    }
    return Result::Match;
}

quint64 RegexMatcher::searchCount() {
    return searches.load(std::memory_order_relaxed);
}

quint64 RegexMatcher::tooComplexCount() {
    return tooComplexSearches.load(std::memory_order_relaxed);
}

RegexMatcher::Result RegexMatcher::matches(const char *text, qint64 size) const {
    return find(text, size, 0, nullptr);
}

RegexMatcher::Result RegexMatcher::forEachMatch(const char *text, qint64 size,
                                                const MatchSink &sink) const {
    Result found = Result::NoMatch;
    qint64 from = 0;
    while (from <= size) {
        Match match;
        const Result result = find(text, size, from, &match);
        if (result != Result::Match)
            return result == Result::TooComplex ? result : found;
        found = Result::Match;
        sink(match.offset, match.length);
        from = match.offset + match.length;
        if (match.length == 0) {
            ++from;
            while (from < size && (uchar(text[from]) & 0xC0) == 0x80)
                ++from;
        }
    }
    return found;
}

} // namespace Orvik
